#include "platform/objects/KVString.h"

#include <glib.h>

#include <cstdlib>
#include <functional>
#include <memory>

#include "platform/objects/KVClassRegistry.h"
#include "platform/objects/KVInvocation.h"
#include "platform/objects/KVNumber.h"
#include "platform/objects/KVObjectException.h"
#include "platform/text/KVUnicode.h"

Ref<KVString> KVString::withString(std::string utf8)
{
    return Ref<KVString>::adopt(new KVString(std::move(utf8)));
}

uint32_t KVString::length() const
{
    uint32_t units = 0;
    const auto* at = reinterpret_cast<const unsigned char*>(text_.data());
    const auto* end = at + text_.size();
    while (at < end)
        units += KVNextCodePoint(at, end) >= 0x10000 ? 2 : 1;  // a stray byte counts one
    return units;
}

namespace {
// Case mapping needs valid UTF-8; other text only has its ASCII letters mapped.
std::string mapCase(const std::string& text, bool upper)
{
    if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
        std::string result = text;
        for (char& c : result)
            if ((c >= 'a' && c <= 'z' && upper) || (c >= 'A' && c <= 'Z' && !upper))
                c = static_cast<char>(c ^ 0x20);
        return result;
    }
    std::unique_ptr<gchar, decltype(&g_free)> mapped(
        upper ? g_utf8_strup(text.data(), static_cast<gssize>(text.size()))
              : g_utf8_strdown(text.data(), static_cast<gssize>(text.size())),
        &g_free);
    return mapped ? std::string(mapped.get()) : text;
}

KVString* stringArgument(KVInvocation& inv, size_t index)
{
    auto s = dynamic_cast<KVString*>(inv.objectArgument(index));
    if (!s)
        throw KVObjectException(KVObjectException::InvalidArgument,
                                inv.selector() + " needs a string, got " + kvDescription(inv.objectArgument(index)));
    return s;
}
}  // namespace

std::string KVString::uppercaseString() const
{
    return mapCase(text_, true);
}

std::string KVString::lowercaseString() const
{
    return mapCase(text_, false);
}

double KVString::doubleValue() const
{
    return std::strtod(text_.c_str(), nullptr);
}

KVClass* KVString::objClass() const
{
    static KVClass* cls = KVClassRegistry::shared().lookup("NSString");
    return cls;
}

bool KVString::isEqual(const KVObject* other) const
{
    auto s = dynamic_cast<const KVString*>(other);
    return s && s->text_ == text_;
}

size_t KVString::hash() const
{
    return std::hash<std::string>()(text_);
}

void KVString::registerClass(KVClassRegistry& registry)
{
    KVClass* cls = registry.defineClass("NSString", registry.lookup("NSObject"),
                                        [] { return Ref<KVObject>(withString("")); });
    cls->addClassMethod("string", "@#:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(withString("")));
    });
    cls->addClassMethod("stringWithString:", "@#:@", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(withString(stringArgument(inv, 2)->utf8())));
    });
    cls->addInstanceMethod("length", "I@:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::unsignedIntValue(inv.targetAs<KVString>()->length()));
    });
    cls->addInstanceMethod("uppercaseString", "@@:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(withString(inv.targetAs<KVString>()->uppercaseString())));
    });
    cls->addInstanceMethod("lowercaseString", "@@:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::object(withString(inv.targetAs<KVString>()->lowercaseString())));
    });
    cls->addInstanceMethod("stringByAppendingString:", "@@:@", [](KVInvocation& inv) {
        inv.setReturnValue(
            KVValue::object(withString(inv.targetAs<KVString>()->utf8() + stringArgument(inv, 2)->utf8())));
    });
    cls->addInstanceMethod("isEqualToString:", "c@:@", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::boolValue(inv.targetAs<KVString>()->isEqual(inv.objectArgument(2))));
    });
    cls->addInstanceMethod("hasPrefix:", "c@:@", [](KVInvocation& inv) {
        const std::string& text = inv.targetAs<KVString>()->utf8();
        const std::string& prefix = stringArgument(inv, 2)->utf8();
        inv.setReturnValue(KVValue::boolValue(text.compare(0, prefix.size(), prefix) == 0));
    });
    cls->addInstanceMethod("hasSuffix:", "c@:@", [](KVInvocation& inv) {
        const std::string& text = inv.targetAs<KVString>()->utf8();
        const std::string& suffix = stringArgument(inv, 2)->utf8();
        inv.setReturnValue(KVValue::boolValue(
            text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0));
    });
    cls->addInstanceMethod("floatValue", "f@:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::floatValue(static_cast<float>(inv.targetAs<KVString>()->doubleValue())));
    });
    cls->addInstanceMethod("doubleValue", "d@:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::doubleValue(inv.targetAs<KVString>()->doubleValue()));
    });
    cls->addInstanceMethod("intValue", "i@:", [](KVInvocation& inv) {
        inv.setReturnValue(KVValue::intValue(KVNumber::withDouble(inv.targetAs<KVString>()->doubleValue())->intValue()));
    });
}
