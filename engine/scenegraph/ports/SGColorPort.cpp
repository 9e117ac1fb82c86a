#include "engine/scenegraph/ports/SGColorPort.h"

SGColor SGColorPort::colorValue()
{
    if (SGPort* src = source())
        return src->colorValue();
    updateOwner();
    return value_;
}

void SGColorPort::setValue(const SGColor& value)
{
    value_ = value;
    markAsDirty();
}
