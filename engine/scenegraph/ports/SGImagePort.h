// A port holding an image. It converts nothing: the other getters answer the
// base values.
#pragma once

#include "engine/scenegraph/ports/SGPort.h"

class SGImagePort : public SGPort {
public:
    using SGPort::setValue;

    SGImage imageValue() override;

    void setValue(const SGImage& value);
    void setStoredValue(const SGImage& value)
    {
        value_ = value;
        noteChanged();
    }
    const SGImage& storedValue() const { return value_; }

private:
    SGImage value_ = SGImageNull;
};
