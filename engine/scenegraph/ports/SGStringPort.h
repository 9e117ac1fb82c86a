// A port holding text (also used for asset names). Reads as a number, an
// integer or a bool by parsing the text.
#pragma once

#include "engine/scenegraph/ports/SGPort.h"

class SGStringPort : public SGPort {
public:
    using SGPort::setValue;

    std::string stringValue() override;
    float numberValue() override;
    int intValue() override;
    bool boolValue() override;

    // Stores and marks everything downstream dirty.
    void setValue(const std::string& value);
    // Stores without marking anything dirty (a node's own outputs, or a
    // script write without notification).
    void setStoredValue(const std::string& value)
    {
        value_ = value;
        noteChanged();
    }
    const std::string& storedValue() const { return value_; }

private:
    std::string value_;
};
