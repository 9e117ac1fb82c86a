// An immutable number ("NSNumber") holding a float, a double, a 32-bit
// integer or a boolean; reading it as another kind converts as C does.
//
// Methods: numberWithFloat: numberWithDouble: numberWithInt:
// numberWithUnsignedInt: numberWithBool: (class); floatValue doubleValue
// intValue unsignedIntValue boolValue stringValue isEqualToNumber:.
#pragma once

#include <cstdint>
#include <string>

#include "platform/objects/KVObject.h"

class KVNumber : public KVObject {
public:
    enum class Kind { Float, Double, Int, Bool };

    static Ref<KVNumber> withFloat(float value);
    static Ref<KVNumber> withDouble(double value);
    static Ref<KVNumber> withInt(int32_t value);
    static Ref<KVNumber> withBool(bool value);

    Kind kind() const { return kind_; }
    bool isBoolean() const { return kind_ == Kind::Bool; }
    float floatValue() const;
    double doubleValue() const;
    int32_t intValue() const;
    bool boolValue() const { return doubleValue() != 0.0; }
    std::string stringValue() const;

    KVClass* objClass() const override;
    std::string description() const override { return stringValue(); }
    // Numbers compare by value whatever their kind.
    bool isEqual(const KVObject* other) const override;
    size_t hash() const override;

    static void registerClass(class KVClassRegistry& registry);

private:
    KVNumber(Kind kind, double value) : kind_(kind), value_(value) {}
    Kind kind_;
    double value_;  // exact for every kind held
};
