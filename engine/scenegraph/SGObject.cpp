#include "engine/scenegraph/SGObject.h"

void SGObject::release()
{
    if (retainCount_-- == 1)
        delete this;
}
