#include "engine/scenegraph/ports/SGSoundPort.h"

SGSound SGSoundPort::soundValue()
{
    if (SGPort* src = source())
        return src->soundValue();
    updateOwner();
    return value_;
}

void SGSoundPort::setValue(const SGSound& value)
{
    value_ = value;
    markAsDirty();
}
