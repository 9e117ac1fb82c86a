// One typed argument or result of an invocation. Objects are held strongly,
// so an invocation keeps its arguments and result alive.
#pragma once

#include <cstdint>

#include "platform/objects/KVObject.h"

class KVValue {
public:
    enum class Kind { None, Object, Class, Int, UnsignedInt, Double, Float, Bool, Pointer };

    KVValue() = default;
    static KVValue object(Ref<KVObject> value);
    static KVValue classValue(KVClass* value);
    static KVValue intValue(int32_t value);
    static KVValue unsignedIntValue(uint32_t value);
    static KVValue doubleValue(double value);
    static KVValue floatValue(float value);
    static KVValue boolValue(bool value);
    static KVValue pointerValue(void* value);

    Kind kind() const { return kind_; }
    bool isSet() const { return kind_ != Kind::None; }

    // Each reading converts from the stored kind as a C cast would; an unset
    // value reads as nil, 0 or false.
    KVObject* asObject() const;
    KVClass* asClass() const;
    int32_t asInt() const;
    uint32_t asUnsignedInt() const;
    double asDouble() const;
    float asFloat() const;
    bool asBool() const;
    void* asPointer() const;

private:
    Kind kind_ = Kind::None;
    Ref<KVObject> object_;
    union {
        int32_t i;
        uint32_t u;
        double d;
        float f;
        bool b;
        void* p;
    } scalar_{};
};
