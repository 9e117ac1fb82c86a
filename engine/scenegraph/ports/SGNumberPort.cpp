#include "engine/scenegraph/ports/SGNumberPort.h"

#include <cstdio>

#include "engine/host/KVBinding.h"

std::string SGNumberPort::stringValue()
{
    char text[32];
    snprintf(text, sizeof text, "%.2g", static_cast<double>(numberValue()));
    return text;
}

float SGNumberPort::numberValue()
{
    if (SGPort* src = source())
        return src->numberValue();
    updateOwner();
    return value_;
}

int SGNumberPort::intValue()
{
    return kvSaturate<int>(numberValue());
}

bool SGNumberPort::boolValue()
{
    return numberValue() != 0.0f;
}

void SGNumberPort::setValue(float value)
{
    value_ = value;
    markAsDirty();
}
