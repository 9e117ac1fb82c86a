#include <gtest/gtest.h>

#include "platform/objects/KVMutableArray.h"
#include "platform/objects/KVClassRegistry.h"
#include "platform/objects/KVNull.h"
#include "platform/objects/KVString.h"
#include "tests/platform/objects/SendMessage.h"

namespace {

KVClass* cls(const char* name) { return KVClassRegistry::shared().lookup(name); }

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
    sendMessage(array.get(), "addObject:", {KVValue::object(KVString::withString("x"))});
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
    EXPECT_THROW(c->addInstanceMethod("take:", "v@:", [](KVInvocation&) {}), KVObjectException);
    EXPECT_THROW(c->addInstanceMethod("take", "v#:", [](KVInvocation&) {}), KVObjectException);
    EXPECT_THROW(c->addClassMethod("make", "@@:", [](KVInvocation&) {}), KVObjectException);
    EXPECT_THROW(c->addInstanceMethod("x", "v@", [](KVInvocation&) {}), KVObjectException);
    EXPECT_EQ(c->instanceMethod("take:"), nullptr);
}

TEST(KVMethodSignature, ParsesTypesWithOffsetsPointersAndStructures)
{
    KVMethodSignature plain("v@:^v@c");
    EXPECT_EQ(plain.methodReturnType(), "v");
    ASSERT_EQ(plain.numberOfArguments(), 5u);
    EXPECT_EQ(plain.argumentType(2), "^v");
    EXPECT_EQ(plain.argumentType(4), "c");
    EXPECT_THROW(plain.argumentType(5), KVObjectException);

    KVMethodSignature compiled("{Point={Inner=ff}d}24@0:8r^{Point=ff}16");
    EXPECT_EQ(compiled.methodReturnType(), "{Point={Inner=ff}d}");
    ASSERT_EQ(compiled.numberOfArguments(), 3u);
    EXPECT_EQ(compiled.argumentType(2), "^{Point=ff}");
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
        invocation.setArgument(2, KVValue::object(KVString::withString("kept")));
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

}  // namespace
