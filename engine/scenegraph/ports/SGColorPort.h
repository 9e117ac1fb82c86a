// A port holding a colour. It converts nothing: the other getters answer the
// base values.
#pragma once

#include "engine/scenegraph/ports/SGPort.h"

class SGColorPort : public SGPort {
public:
    using SGPort::setValue;

    SGColor colorValue() override;

    void setValue(const SGColor& value);
    void setStoredValue(const SGColor& value)
    {
        value_ = value;
        noteChanged();
    }
    const SGColor& storedValue() const { return value_; }

private:
    SGColor value_ = SGColor{1.0f, 1.0f, 1.0f, 1.0f};
};
