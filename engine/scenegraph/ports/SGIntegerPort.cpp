#include "engine/scenegraph/ports/SGIntegerPort.h"

std::string SGIntegerPort::stringValue()
{
    return std::to_string(intValue());
}

float SGIntegerPort::numberValue()
{
    return static_cast<float>(intValue());
}

int SGIntegerPort::intValue()
{
    if (SGPort* src = source())
        return src->intValue();
    updateOwner();
    return value_;
}

bool SGIntegerPort::boolValue()
{
    return intValue() != 0;
}

void SGIntegerPort::setValue(int value)
{
    value_ = value;
    markAsDirty();
}
