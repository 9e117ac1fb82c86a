#include "engine/scenegraph/ports/SGBooleanPort.h"

std::string SGBooleanPort::stringValue()
{
    return boolValue() ? "true" : "false";
}

float SGBooleanPort::numberValue()
{
    return boolValue() ? 1.0f : 0.0f;
}

int SGBooleanPort::intValue()
{
    return boolValue() ? 1 : 0;
}

bool SGBooleanPort::boolValue()
{
    if (SGPort* src = source())
        return src->boolValue();
    updateOwner();
    return value_;
}

void SGBooleanPort::setValue(bool value)
{
    value_ = value;
    markAsDirty();
}
