#include "platform/objects/KVValue.h"

#include "platform/objects/KVClass.h"

#include <limits>

KVValue KVValue::object(Ref<KVObject> value)
{
    KVValue v;
    v.kind_ = Kind::Object;
    v.object_ = std::move(value);
    return v;
}

KVValue KVValue::classValue(KVClass* value)
{
    KVValue v;
    v.kind_ = Kind::Class;
    v.object_ = value;
    return v;
}

KVValue KVValue::intValue(int32_t value)
{
    KVValue v;
    v.kind_ = Kind::Int;
    v.scalar_.i = value;
    return v;
}

KVValue KVValue::unsignedIntValue(uint32_t value)
{
    KVValue v;
    v.kind_ = Kind::UnsignedInt;
    v.scalar_.u = value;
    return v;
}

KVValue KVValue::doubleValue(double value)
{
    KVValue v;
    v.kind_ = Kind::Double;
    v.scalar_.d = value;
    return v;
}

KVValue KVValue::floatValue(float value)
{
    KVValue v;
    v.kind_ = Kind::Float;
    v.scalar_.f = value;
    return v;
}

KVValue KVValue::boolValue(bool value)
{
    KVValue v;
    v.kind_ = Kind::Bool;
    v.scalar_.b = value;
    return v;
}

KVValue KVValue::pointerValue(void* value)
{
    KVValue v;
    v.kind_ = Kind::Pointer;
    v.scalar_.p = value;
    return v;
}

KVObject* KVValue::asObject() const
{
    return (kind_ == Kind::Object || kind_ == Kind::Class) ? object_.get() : nullptr;
}

KVClass* KVValue::asClass() const
{
    return dynamic_cast<KVClass*>(asObject());
}

double KVValue::asDouble() const
{
    switch (kind_) {
    case Kind::Int: return scalar_.i;
    case Kind::UnsignedInt: return scalar_.u;
    case Kind::Double: return scalar_.d;
    case Kind::Float: return scalar_.f;
    case Kind::Bool: return scalar_.b ? 1.0 : 0.0;
    default: return 0.0;
    }
}

namespace {
// Converts a double to an integer type without undefined behaviour for
// values out of range or not a number (those give 0 or the nearest bound).
template <class T>
T clampToInteger(double d)
{
    if (!(d == d))
        return 0;
    if (d <= static_cast<double>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    if (d >= static_cast<double>(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    return static_cast<T>(d);
}
}  // namespace

int32_t KVValue::asInt() const
{
    switch (kind_) {
    case Kind::Int: return scalar_.i;
    case Kind::UnsignedInt: return static_cast<int32_t>(scalar_.u);
    case Kind::Bool: return scalar_.b ? 1 : 0;
    default: return clampToInteger<int32_t>(asDouble());
    }
}

uint32_t KVValue::asUnsignedInt() const
{
    switch (kind_) {
    case Kind::Int: return static_cast<uint32_t>(scalar_.i);
    case Kind::UnsignedInt: return scalar_.u;
    case Kind::Bool: return scalar_.b ? 1u : 0u;
    default: return clampToInteger<uint32_t>(asDouble());
    }
}

float KVValue::asFloat() const
{
    return kind_ == Kind::Float ? scalar_.f : static_cast<float>(asDouble());
}

bool KVValue::asBool() const
{
    switch (kind_) {
    case Kind::Bool: return scalar_.b;
    case Kind::Int: return scalar_.i != 0;
    case Kind::UnsignedInt: return scalar_.u != 0;
    case Kind::Pointer: return scalar_.p != nullptr;
    case Kind::Object:
    case Kind::Class: return object_.get() != nullptr;
    default: return asDouble() != 0.0;
    }
}

void* KVValue::asPointer() const
{
    return kind_ == Kind::Pointer ? scalar_.p : nullptr;
}
