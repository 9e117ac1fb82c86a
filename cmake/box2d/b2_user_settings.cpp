#include "box2d/b2_settings.h"

#include <cstdio>

void b2Exception::Report() const
{
    if (file)
        std::fputs(file, stdout);
    std::printf(":%d assertion failed ", line);
    if (expression)
        std::fputs(expression, stdout);
    std::fputc('\n', stdout);
}

void b2ThrowAssertion(const char* expression, const char* file, int line)
{
    throw b2Exception(expression, file, line);
}
