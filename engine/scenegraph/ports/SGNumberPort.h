// A port holding a 32-bit float.
#pragma once

#include "engine/scenegraph/ports/SGPort.h"

class SGNumberPort : public SGPort {
public:
    using SGPort::setValue;

    // Two significant digits, as printf's %.2g: 150 reads "1.5e+02".
    std::string stringValue() override;
    float numberValue() override;
    // Truncated toward zero; out of range saturates, NaN gives 0.
    int intValue() override;
    // True unless 0 (NaN is true).
    bool boolValue() override;

    void setValue(float value);
    void setStoredValue(float value)
    {
        value_ = value;
        noteChanged();
    }
    float storedValue() const { return value_; }

private:
    float value_ = 0.0f;
};
