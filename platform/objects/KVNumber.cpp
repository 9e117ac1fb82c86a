#include "platform/objects/KVNumber.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>

#include "platform/objects/KVClassRegistry.h"
#include "platform/objects/KVInvocation.h"
#include "platform/objects/KVString.h"

Ref<KVNumber> KVNumber::withFloat(float value)
{
    return Ref<KVNumber>::adopt(new KVNumber(Kind::Float, value));
}

Ref<KVNumber> KVNumber::withDouble(double value)
{
    return Ref<KVNumber>::adopt(new KVNumber(Kind::Double, value));
}

Ref<KVNumber> KVNumber::withInt(int32_t value)
{
    return Ref<KVNumber>::adopt(new KVNumber(Kind::Int, value));
}

Ref<KVNumber> KVNumber::withBool(bool value)
{
    return Ref<KVNumber>::adopt(new KVNumber(Kind::Bool, value ? 1.0 : 0.0));
}

float KVNumber::floatValue() const
{
    return static_cast<float>(value_);
}

double KVNumber::doubleValue() const
{
    return value_;
}

int32_t KVNumber::intValue() const
{
    // Truncation, with out-of-range values and NaN pinned instead of undefined.
    if (!(value_ == value_))
        return 0;
    if (value_ <= std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    if (value_ >= std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value_);
}

std::string KVNumber::stringValue() const
{
    char buffer[64];
    switch (kind_) {
    case Kind::Int:
    case Kind::Bool:
        std::snprintf(buffer, sizeof buffer, "%d", intValue());
        break;
    case Kind::Float:
        std::snprintf(buffer, sizeof buffer, "%.7g", value_);
        break;
    case Kind::Double:
        std::snprintf(buffer, sizeof buffer, "%.15g", value_);
        break;
    }
    return buffer;
}

KVClass* KVNumber::objClass() const
{
    static KVClass* cls = KVClassRegistry::shared().lookup("NSNumber");
    return cls;
}

bool KVNumber::isEqual(const KVObject* other) const
{
    auto number = dynamic_cast<const KVNumber*>(other);
    return number && number->value_ == value_;
}

size_t KVNumber::hash() const
{
    return std::hash<double>()(value_ == 0.0 ? 0.0 : value_);  // -0 and 0 are equal
}

void KVNumber::registerClass(KVClassRegistry& registry)
{
    KVClass* cls = registry.defineClass("NSNumber", registry.lookup("NSObject"));
    cls->addClassMethod("numberWithFloat:", "@#:f", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(withFloat(inv.floatArgument(2))));
    });
    cls->addClassMethod("numberWithDouble:", "@#:d", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(withDouble(inv.doubleArgument(2))));
    });
    cls->addClassMethod("numberWithInt:", "@#:i", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(withInt(inv.intArgument(2))));
    });
    cls->addClassMethod("numberWithUnsignedInt:", "@#:I", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(withDouble(inv.unsignedIntArgument(2))));
    });
    cls->addClassMethod("numberWithBool:", "@#:c", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(withBool(inv.boolArgument(2))));
    });
    cls->addInstanceMethod("floatValue", "f@:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::floatValue(inv.targetAs<KVNumber>()->floatValue()));
    });
    cls->addInstanceMethod("doubleValue", "d@:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::doubleValue(inv.targetAs<KVNumber>()->doubleValue()));
    });
    cls->addInstanceMethod("intValue", "i@:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::intValue(inv.targetAs<KVNumber>()->intValue()));
    });
    cls->addInstanceMethod("unsignedIntValue", "I@:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::unsignedIntValue(
            static_cast<uint32_t>(inv.targetAs<KVNumber>()->intValue())));
    });
    cls->addInstanceMethod("boolValue", "c@:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::boolValue(inv.targetAs<KVNumber>()->boolValue()));
    });
    cls->addInstanceMethod("stringValue", "@@:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(KVString::withString(inv.targetAs<KVNumber>()->stringValue())));
    });
    cls->addInstanceMethod("isEqualToNumber:", "c@:@", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::boolValue(inv.targetAs<KVNumber>()->isEqual(inv.objectArgument(2))));
    });
}
