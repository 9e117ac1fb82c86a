// A port holding a bool.
#pragma once

#include "engine/scenegraph/ports/SGPort.h"

class SGBooleanPort : public SGPort {
public:
    using SGPort::setValue;

    // "true" or "false".
    std::string stringValue() override;
    float numberValue() override;
    int intValue() override;
    bool boolValue() override;

    void setValue(bool value);
    void setStoredValue(bool value)
    {
        value_ = value;
        noteChanged();
    }
    bool storedValue() const { return value_; }

private:
    bool value_ = false;
};
