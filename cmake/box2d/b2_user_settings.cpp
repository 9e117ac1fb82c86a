#include "box2d/b2_settings.h"

void b2ThrowAssertion(const char* expression, const char* file, int line)
{
    throw b2Exception(expression, file, line);
}
