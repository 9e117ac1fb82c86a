// A port holding a sound. It converts nothing: the other getters answer the
// base values.
#pragma once

#include "engine/scenegraph/ports/SGPort.h"

class SGSoundPort : public SGPort {
public:
    using SGPort::setValue;

    SGSound soundValue() override;

    void setValue(const SGSound& value);
    void setStoredValue(const SGSound& value)
    {
        value_ = value;
        noteChanged();
    }
    const SGSound& storedValue() const { return value_; }

private:
    SGSound value_ = SGSoundNull;
};
