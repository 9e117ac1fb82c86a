#include <gtest/gtest.h>

#include "platform/objects/KVArray.h"
#include "platform/objects/KVClassRegistry.h"
#include "platform/objects/KVNumber.h"
#include "platform/objects/KVString.h"
#include "tests/platform/objects/SendMessage.h"

namespace {

class Counter : public KVObject {
public:
    int value = 0;
    KVClass* objClass() const override
    {
        static KVClass* cls = [] {
            auto& registry = KVClassRegistry::shared();
            KVClass* base = registry.defineClass("TestCounterBase", registry.lookup("NSObject"));
            base->addInstanceMethod("add:", "v@:i", [](KVInvocation& inv) { inv.targetAs<Counter>()->value += inv.intArgument(2); });
            base->addInstanceMethod("value", "i@:", [](KVInvocation& inv) {
                inv.setReturnValue(KVValue::intValue(inv.targetAs<Counter>()->value));
            });
            KVClass* derived = registry.defineClass("TestCounter", base, [] { return Ref<KVObject>(makeRef<Counter>()); });
            // Overrides the inherited method.
            derived->addInstanceMethod("value", "i@:", [](KVInvocation& inv) {
                inv.setReturnValue(KVValue::intValue(inv.targetAs<Counter>()->value * 10));
            });
            return derived;
        }();
        return cls;
    }
};

// Redefining a class under the same superclass answers it; under another,
// it is refused. (Lookups by name are the bridge's daily work.)
TEST(KVClassRegistry, RedefiningWithAnotherSuperclassIsRefused)
{
    auto& registry = KVClassRegistry::shared();
    EXPECT_EQ(registry.defineClass("NSArray", registry.lookup("NSObject")), registry.lookup("NSArray"));
    EXPECT_THROW(registry.defineClass("NSArray", registry.lookup("NSString")), KVObjectException);
    EXPECT_TRUE(registry.lookup("NSMutableArray")->isSubclassOf(registry.lookup("NSArray")));
    EXPECT_FALSE(registry.lookup("NSArray")->isSubclassOf(registry.lookup("NSString")));
}

TEST(KVClass, MethodsAreFoundThroughSuperclassesAndOverridden)
{
    Ref<Counter> counter = makeRef<Counter>();
    sendMessage(counter.get(), "add:", {KVValue::intValue(4)});
    EXPECT_EQ(sendMessage(counter.get(), "value").asInt(), 40);
    EXPECT_EQ(sendMessage(counter.get(), "class").asClass()->name(), "TestCounter");
    EXPECT_TRUE(sendMessage(counter.get(), "isEqual:", {KVValue::object(counter)}).asBool());
    EXPECT_THROW(sendMessage(counter.get(), "nothing"), KVObjectException);

    KVClass* cls = counter->objClass();
    Ref<KVObject> made = sendMessage(cls, "new").asObject();
    ASSERT_TRUE(dynamic_cast<Counter*>(made.get()));
    // A class without a factory makes nothing.
    EXPECT_EQ(sendMessage(KVClassRegistry::shared().lookup("NSNumber"), "alloc").asObject(), nullptr);
}

TEST(KVClass, EncodingsMustMatchTheSelectorAndReceiver)
{
    KVClass* cls = KVClassRegistry::shared().defineClass("TestEncodings", KVClassRegistry::shared().lookup("NSObject"));
    EXPECT_THROW(cls->addInstanceMethod("take:", "v@:", [](KVInvocation&) {}), KVObjectException);
    EXPECT_THROW(cls->addInstanceMethod("take", "v#:", [](KVInvocation&) {}), KVObjectException);
    EXPECT_THROW(cls->addClassMethod("make", "@@:", [](KVInvocation&) {}), KVObjectException);
    EXPECT_THROW(cls->addInstanceMethod("x", "v@", [](KVInvocation&) {}), KVObjectException);
    EXPECT_EQ(cls->instanceMethod("take:"), nullptr);
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
