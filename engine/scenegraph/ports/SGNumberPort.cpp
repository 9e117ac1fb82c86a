#include "engine/scenegraph/ports/SGNumberPort.h"

#include <cmath>
#include <cstdio>
#include <limits>

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
    const float number = numberValue();
    if (std::isnan(number))
        return 0;
    if (number >= 2147483648.0f)
        return std::numeric_limits<int>::max();
    if (number <= -2147483648.0f)
        return std::numeric_limits<int>::min();
    return static_cast<int>(number);
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
