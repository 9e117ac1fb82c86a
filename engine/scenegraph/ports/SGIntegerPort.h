// A port holding a signed 32-bit integer.
#pragma once

#include "engine/scenegraph/ports/SGPort.h"

class SGIntegerPort : public SGPort {
public:
    using SGPort::setValue;

    std::string stringValue() override;
    float numberValue() override;
    int intValue() override;
    bool boolValue() override;

    void setValue(int value);
    void setStoredValue(int value)
    {
        value_ = value;
        noteChanged();
    }
    int storedValue() const { return value_; }

private:
    int value_ = 0;
};
