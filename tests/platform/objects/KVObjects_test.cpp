// The object runtime scripts talk to through the bridge: classes, method
// signatures, invocations and the value classes' messages.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/objects/KVClassRegistry.h"
#include "platform/objects/KVInvocation.h"
#include "platform/objects/KVMethod.h"
#include "platform/objects/KVMutableArray.h"
#include "platform/objects/KVMutableDictionary.h"
#include "platform/objects/KVNull.h"
#include "platform/objects/KVNumber.h"
#include "platform/objects/KVObjectException.h"
#include "platform/objects/KVString.h"

namespace {

KVClass* cls(const char* name) { return KVClassRegistry::shared().lookup(name); }
Ref<KVObject> str(const char* s) { return KVString::withString(s); }

// Sends a message as a bridge would: find the method, build an invocation,
// set the typed arguments, invoke.
KVValue sendMessage(KVObject* target, const std::string& selector, std::initializer_list<KVValue> args = {})
{
    const KVMethod* method = target->methodForSelector(selector);
    if (!method)
        throw KVObjectException(KVObjectException::InvalidArgument, "no method " + selector);
    KVInvocation invocation(method->signature);
    invocation.setTarget(target);
    invocation.setSelector(selector);
    size_t index = 2;
    for (const auto& a : args)
        invocation.setArgument(index++, a);
    invocation.invoke();
    return invocation.returnValue();
}

// Redefining a class under the same superclass answers it; under another,
// it is refused. (Lookups by name are the bridge's daily work.)
TEST(KVClassRegistry, RedefiningWithAnotherSuperclassIsRefused)
{
    EXPECT_EQ(KVClassRegistry::shared().defineClass("NSArray", cls("NSObject")), cls("NSArray"));
    EXPECT_THROW(KVClassRegistry::shared().defineClass("NSArray", cls("NSString")), KVObjectException);
    EXPECT_TRUE(cls("NSMutableArray")->isSubclassOf(cls("NSArray")));
    EXPECT_FALSE(cls("NSArray")->isSubclassOf(cls("NSString")));
}

// Methods and instances come from the nearest class up the chain that has
// them; a class without a factory makes nothing.
TEST(KVClass, MethodsAndInstancesComeFromTheNearestClassUpTheChain)
{
    Ref<KVObject> array = sendMessage(cls("NSMutableArray"), "new").asObject();
    ASSERT_TRUE(dynamic_cast<KVMutableArray*>(array.get()));
    sendMessage(array.get(), "addObject:", {KVValue::object(str("x"))});
    EXPECT_EQ(sendMessage(array.get(), "count").asUnsignedInt(), 1u);  // an array's
    EXPECT_EQ(sendMessage(array.get(), "class").asClass()->name(), "NSMutableArray");  // an object's
    EXPECT_TRUE(sendMessage(array.get(), "isEqual:", {KVValue::object(array)}).asBool());
    // An object without its own equality is equal to itself only.
    KVObject* null = KVNull::null();
    EXPECT_TRUE(sendMessage(null, "isEqual:", {KVValue::object(null)}).asBool());
    EXPECT_FALSE(sendMessage(null, "isEqual:", {KVValue::object(array)}).asBool());
    EXPECT_THROW(sendMessage(array.get(), "nothing"), KVObjectException);
    EXPECT_EQ(sendMessage(cls("NSNumber"), "alloc").asObject(), nullptr);
}

TEST(KVClass, EncodingsMustMatchTheSelectorAndReceiver)
{
    KVClass* c = KVClassRegistry::shared().defineClass("TestEncodings", cls("NSObject"));
    for (const auto& [selector, types] : {std::pair{"take:", "v@:"}, {"take", "v#:"}, {"x", "v@"}})
        EXPECT_THROW(c->addInstanceMethod(selector, types, [](KVInvocation&) {}), KVObjectException) << selector;
    EXPECT_THROW(c->addClassMethod("make", "@@:", [](KVInvocation&) {}), KVObjectException);
    EXPECT_EQ(c->instanceMethod("take:"), nullptr);
}

TEST(KVMethodSignature, ParsesTypesWithOffsetsPointersAndStructures)
{
    const auto types = [](const char* encoding) {
        KVMethodSignature signature(encoding);
        std::string all = signature.methodReturnType();
        for (size_t i = 0; i < signature.numberOfArguments(); ++i)
            all += " " + signature.argumentType(i);
        EXPECT_THROW(signature.argumentType(signature.numberOfArguments()), KVObjectException);
        return all;
    };
    EXPECT_EQ(types("v@:^v@c"), "v @ : ^v @ c");
    EXPECT_EQ(types("{Point={Inner=ff}d}24@0:8r^{Point=ff}16"), "{Point={Inner=ff}d} @ : ^{Point=ff}");
    EXPECT_TRUE(KVMethodSignature::typeMatches("@\"NSString\"", "@"));

    for (const char* bad : {"", "v", "v@", "v@:{x=ff", "v@:(u]", "v@:^"})
        EXPECT_THROW(KVMethodSignature{bad}, KVObjectException) << bad;
}

TEST(KVInvocation, ArgumentsKeepTheirObjectsAliveAndBadIndexesAreRefused)
{
    KVMethodSignature signature("v@:@if");
    long before = KVObject::liveObjectCount();
    {
        KVInvocation invocation(signature);
        invocation.setArgument(2, KVValue::object(str("kept")));
        EXPECT_EQ(KVObject::liveObjectCount(), before + 1);
        EXPECT_THROW(invocation.setArgument(5, KVValue::intValue(1)), KVObjectException);
        EXPECT_THROW(invocation.setArgument(1, KVValue::intValue(1)), KVObjectException);
        EXPECT_THROW(invocation.invoke(), KVObjectException);  // no target
    }
    EXPECT_EQ(KVObject::liveObjectCount(), before);
    // Out-of-range numbers read as the nearest integer instead of undefined values.
    EXPECT_EQ(KVValue::doubleValue(1e20).asInt(), INT32_MAX);
    EXPECT_EQ(KVValue::floatValue(-1.0f).asUnsignedInt(), 0u);
}

TEST(KVNumber, KindsConvertAndCompareByValue)
{
    EXPECT_EQ(KVNumber::withFloat(2.75f)->intValue(), 2);
    EXPECT_EQ(KVNumber::withFloat(-2.75f)->intValue(), -2);
    EXPECT_TRUE(KVNumber::withBool(true)->isBoolean());
    EXPECT_EQ(KVNumber::withBool(true)->floatValue(), 1.0f);
    EXPECT_TRUE(KVNumber::withInt(3)->isEqual(KVNumber::withFloat(3).get()));
    EXPECT_EQ(KVNumber::withInt(3)->hash(), KVNumber::withDouble(3)->hash());
    EXPECT_FALSE(KVNumber::withInt(3)->isEqual(str("3").get()));
    EXPECT_EQ(KVNumber::withDouble(1e300)->intValue(), INT32_MAX);
    EXPECT_EQ(KVNumber::withFloat(0.1f)->stringValue(), "0.1");

    Ref<KVObject> made = sendMessage(cls("NSNumber"), "numberWithInt:", {KVValue::floatValue(7.9f)}).asObject();
    EXPECT_EQ(sendMessage(made.get(), "intValue").asInt(), 7);
    EXPECT_EQ(sendMessage(made.get(), "floatValue").asFloat(), 7.0f);
    Ref<KVObject> flag = sendMessage(cls("NSNumber"), "numberWithBool:", {KVValue::boolValue(true)}).asObject();
    EXPECT_TRUE(sendMessage(flag.get(), "boolValue").asBool());
}

TEST(KVString, CountsUtf16UnitsAndMapsCase)
{
    EXPECT_EQ(KVString::withString("abc")->length(), 3u);
    EXPECT_EQ(KVString::withString("h\xC3\xA9")->length(), 2u);           // é: one unit
    EXPECT_EQ(KVString::withString("\xF0\x9F\x98\x80")->length(), 2u);   // an emoji: a surrogate pair
    EXPECT_EQ(KVString::withString("a\xFF" "b")->length(), 3u);           // a stray byte counts as one
    EXPECT_EQ(KVString::withString("stra\xC3\x9F" "e \xC3\xA9t\xC3\xA9")->uppercaseString(), "STRASSE \xC3\x89T\xC3\x89");
    EXPECT_EQ(KVString::withString("MiXeD\xFF")->lowercaseString(), "mixed\xFF");
    EXPECT_EQ(KVString::withString("3.5 apples")->doubleValue(), 3.5);
    EXPECT_EQ(KVString::withString("none")->doubleValue(), 0.0);

    Ref<KVObject> s = sendMessage(cls("NSString"), "stringWithString:", {KVValue::object(str("ab"))}).asObject();
    EXPECT_EQ(sendMessage(s.get(), "length").asUnsignedInt(), 2u);
    Ref<KVObject> joined = sendMessage(s.get(), "stringByAppendingString:", {KVValue::object(str("cd"))}).asObject();
    EXPECT_EQ(joined->description(), "abcd");
    EXPECT_TRUE(sendMessage(joined.get(), "hasPrefix:", {KVValue::object(str("ab"))}).asBool());
    EXPECT_TRUE(sendMessage(joined.get(), "hasSuffix:", {KVValue::object(str("cd"))}).asBool());
    EXPECT_FALSE(sendMessage(joined.get(), "hasSuffix:", {KVValue::object(str("abcde"))}).asBool());
    // A number where a string is needed is refused, not misread.
    EXPECT_THROW(sendMessage(s.get(), "stringByAppendingString:", {KVValue::object(KVNumber::withInt(1))}),
                 KVObjectException);
}

TEST(KVMutableArray, EditsAndRefusalsThatChangeNothing)
{
    Ref<KVObject> made = sendMessage(cls("NSMutableArray"), "array").asObject();
    auto array = dynamic_cast<KVMutableArray*>(made.get());
    ASSERT_TRUE(array);
    sendMessage(array, "addObject:", {KVValue::object(str("b"))});
    sendMessage(array, "insertObject:atIndex:", {KVValue::object(str("a")), KVValue::unsignedIntValue(0)});
    sendMessage(array, "addObject:", {KVValue::object(KVNull::null())});
    EXPECT_EQ(array->description(), "(a, b, <null>)");
    EXPECT_THROW(array->addObject(nullptr), KVObjectException);
    EXPECT_THROW(array->insertObject(str("x").get(), 4), KVObjectException);
    EXPECT_THROW(array->removeObjectAtIndex(3), KVObjectException);
    EXPECT_THROW(sendMessage(array, "objectAtIndex:", {KVValue::intValue(-1)}), KVObjectException);
    EXPECT_EQ(sendMessage(array, "indexOfObject:", {KVValue::object(str("b"))}).asInt(), 1);
    EXPECT_EQ(sendMessage(array, "indexOfObject:", {KVValue::object(str("z"))}).asInt(), -1);
    array->replaceObjectAtIndex(2, str("c").get());
    array->setArray(array);  // from itself
    EXPECT_EQ(array->description(), "(a, b, c)");
    sendMessage(array, "removeLastObject");
    EXPECT_EQ(sendMessage(array, "lastObject").asObject()->description(), "b");

    Ref<KVObject> fixed = sendMessage(cls("NSArray"), "arrayWithArray:", {KVValue::object(made)}).asObject();
    EXPECT_FALSE(dynamic_cast<KVMutableArray*>(fixed.get()));
    EXPECT_TRUE(fixed->isEqual(array));
    EXPECT_EQ(fixed->methodForSelector("addObject:"), nullptr);
    Ref<KVObject> one = sendMessage(cls("NSMutableArray"), "arrayWithObject:", {KVValue::object(str("x"))}).asObject();
    EXPECT_TRUE(dynamic_cast<KVMutableArray*>(one.get()));
    EXPECT_THROW(sendMessage(cls("NSArray"), "arrayWithObject:", {}), KVObjectException);
}

TEST(KVMutableDictionary, KeysCompareByValueAndKeepTheirOrder)
{
    Ref<KVMutableDictionary> d = KVMutableDictionary::dictionary();
    d->setObject(KVNumber::withInt(1).get(), str("one").get());
    d->setObject(KVNumber::withInt(2).get(), KVNumber::withFloat(2).get());
    d->setObject(KVNumber::withInt(3).get(), str("three").get());
    d->setObject(KVNumber::withInt(11).get(), str("one").get());  // replaces, keeps the place
    EXPECT_EQ(d->objectForKey(str("one").get())->description(), "11");
    EXPECT_EQ(d->objectForKey(KVNumber::withInt(2).get())->description(), "2");
    EXPECT_EQ(d->allKeys()->description(), "(one, 2, three)");
    d->removeObjectForKey(KVNumber::withDouble(2).get());
    EXPECT_EQ(d->allValues()->description(), "(11, 3)");
    EXPECT_EQ(d->objectForKey(str("three").get())->description(), "3");
    EXPECT_THROW(d->setObject(nullptr, str("k").get()), KVObjectException);
    EXPECT_THROW(d->setObject(str("v").get(), nullptr), KVObjectException);
    EXPECT_EQ(d->count(), 2u);

    sendMessage(d.get(), "setObject:forKey:", {KVValue::object(str("v")), KVValue::object(str("k"))});
    EXPECT_EQ(sendMessage(d.get(), "objectForKey:", {KVValue::object(str("k"))}).asObject()->description(), "v");
    EXPECT_EQ(sendMessage(d.get(), "objectForKey:", {KVValue::object(str("none"))}).asObject(), nullptr);
    Ref<KVObject> single = sendMessage(cls("NSDictionary"), "dictionaryWithObject:forKey:",
                                       {KVValue::object(str("v")), KVValue::object(str("k"))}).asObject();
    EXPECT_EQ(sendMessage(single.get(), "count").asUnsignedInt(), 1u);
    EXPECT_FALSE(single->isEqual(d.get()));
}

}  // namespace
