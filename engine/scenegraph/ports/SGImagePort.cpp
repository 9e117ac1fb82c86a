#include "engine/scenegraph/ports/SGImagePort.h"

SGImage SGImagePort::imageValue()
{
    if (SGPort* src = source())
        return src->imageValue();
    updateOwner();
    return value_;
}

void SGImagePort::setValue(const SGImage& value)
{
    value_ = value;
    markAsDirty();
}
