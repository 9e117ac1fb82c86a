#include <gtest/gtest.h>

#include <vector>

#include "engine/bridge/LuaBinder.h"
#include "engine/bridge/LuaErrorException.h"
#include "engine/bridge/LuaObject.h"
#include "platform/objects/KVNull.h"
#include "platform/objects/KVNumber.h"
#include "platform/objects/KVString.h"
#include "tests/engine/bridge/BridgeTestState.h"

namespace {

KVNumber* number(const Ref<KVObject>& o) { return dynamic_cast<KVNumber*>(o.get()); }
KVString* string(const Ref<KVObject>& o) { return dynamic_cast<KVString*>(o.get()); }

Ref<LuaObject> global(BridgeTestState& t, const char* name)
{
    return Ref<LuaObject>(dynamic_cast<LuaObject*>(t.lua->globalObject()->valueForKey(name).get()));
}

struct Recorder : LuaObjectObserver {
    std::vector<std::string> events;
    void luaObjectWillChangeValueForKey(LuaObject*, const std::string& key) override { events.push_back("will " + key); }
    void luaObjectDidChangeValueForKey(LuaObject*, const std::string& key) override { events.push_back("did " + key); }
    void luaCollectionDidChange(LuaObject*) override { events.push_back("collection"); }
};

// Each test runs in its own bridged state.
struct LuaObjectTest : testing::Test {
    BridgeTestState t;
};

TEST_F(LuaObjectTest, OneLiveProxyPerTableAndAFreshOneAfterItDies)
{
    t.lua->doString("thing = { name = 'a' } alias = thing");
    Ref<LuaObject> first = global(t, "thing");
    ASSERT_TRUE(first);
    EXPECT_EQ(first.get(), global(t, "alias").get());
    size_t live = t.lua->binder()->liveObjectCount();
    first = nullptr;
    EXPECT_EQ(t.lua->binder()->liveObjectCount(), live - 1);

    Ref<LuaObject> again = global(t, "thing");
    ASSERT_TRUE(again);
    EXPECT_EQ(again.get(), global(t, "alias").get());
    // The table stays alive through the proxy alone.
    t.lua->doString("thing = nil alias = nil collectgarbage()");
    EXPECT_EQ(string(again->valueForKey("name"))->utf8(), "a");
}

TEST_F(LuaObjectTest, FieldsByKeyAndIndex)
{
    t.lua->doString("box = { off = false, [1] = 'one', [2] = 'two' }");
    Ref<LuaObject> box = global(t, "box");
    Ref<KVObject> off = box->valueForKey("off");
    ASSERT_TRUE(number(off));
    EXPECT_TRUE(number(off)->isBoolean());
    EXPECT_FALSE(number(off)->boolValue());
    EXPECT_EQ(box->valueForKey("missing"), nullptr);
    EXPECT_EQ(string(box->valueAtIndex(2))->utf8(), "two");
    EXPECT_EQ(box->valueAtIndex(3), nullptr);

    int sets = 0;
    t.center.addObserver(LuaObject::SetValueNotification, t.lua.get(), [&](const KVNotification&) { ++sets; });
    box->setValueForKey(KVString::withString("v").get(), "added");
    EXPECT_EQ(t.lua->evaluateExpression("box.added"), "v");
    box->setValueForKey(nullptr, "added");
    EXPECT_EQ(t.lua->evaluateExpression("box.added"), "nil");
    box->setValueAtIndex(KVNumber::withFloat(3).get(), 3);
    EXPECT_EQ(t.lua->evaluateExpression("box[3]"), "3");
    EXPECT_EQ(sets, 3);

    Ref<KVArray> items = box->toArray();
    ASSERT_EQ(items->count(), 3u);
    EXPECT_EQ(string(items->objectAtIndex(0))->utf8(), "one");
    EXPECT_EQ(number(items->objectAtIndex(2))->floatValue(), 3);
}

TEST_F(LuaObjectTest, TablesWithAccessorMethodsAnswerForThemselves)
{
    t.lua->doString("seen = {} "
                    "obj = { hidden = 'h' } "
                    "function obj:valueForKey(key) seen.get = (self == obj) and key return 'got ' .. key, 'more' end "
                    "function obj:setValueForKey(value, key) seen.set = (self == obj) and (key .. '=' .. tostring(value)) end");
    Ref<LuaObject> obj = global(t, "obj");
    EXPECT_EQ(string(obj->valueForKey("hidden"))->utf8(), "got hidden");
    EXPECT_EQ(t.lua->evaluateExpression("seen.get"), "hidden");
    obj->setValueForKey(KVNumber::withFloat(4).get(), "size");
    EXPECT_EQ(t.lua->evaluateExpression("seen.set"), "size=4");
    EXPECT_EQ(t.lua->evaluateExpression("obj.size"), "nil");
}

TEST_F(LuaObjectTest, InvokeMethodPassesSelfAndTheArguments)
{
    t.lua->doString("calc = { base = 10 } "
                    "function calc:add(a, b) return self.base + a + b end "
                    "function calc:nothing() end "
                    "function calc:fail() error('no') end");
    Ref<LuaObject> calc = global(t, "calc");
    Ref<KVObject> sum = calc->invokeMethod("add", {KVNumber::withFloat(1), KVNumber::withFloat(2)});
    EXPECT_EQ(number(sum)->floatValue(), 13);
    EXPECT_EQ(calc->invokeMethod("nothing"), nullptr);
    EXPECT_EQ(calc->invokeMethod("absent"), nullptr);
    EXPECT_THROW(calc->invokeMethod("fail"), LuaErrorException);
    // The lock is free again after the error.
    EXPECT_EQ(number(calc->invokeMethod("add", {KVNumber::withFloat(0), KVNumber::withFloat(0)}))->floatValue(), 10);
}

TEST_F(LuaObjectTest, DictionaryThroughTheScriptsKeysFunction)
{
    t.lua->doString("function table.keys(self, t) local ks = {} for k in pairs(t) do ks[#ks + 1] = k end "
                    " table.sort(ks, function(a, b) return tostring(a) < tostring(b) end) return ks end "
                    "rec = { [1] = 'first', name = 'n', flag = true }");
    Ref<KVDictionary> d = global(t, "rec")->toDictionary();
    EXPECT_EQ(d->count(), 3u);
    EXPECT_EQ(string(d->objectForKey(KVNumber::withFloat(1).get()))->utf8(), "first");
    EXPECT_EQ(string(d->objectForKey(KVString::withString("name").get()))->utf8(), "n");
    EXPECT_TRUE(number(d->objectForKey(KVString::withString("flag").get()))->boolValue());
}

TEST_F(LuaObjectTest, ClassQueries)
{
    t.lua->doString("Animal = { __classname = 'Animal' } Plant = {} "
                    "pet = setmetatable({}, { __index = Animal }) "
                    "function instanceOfClassType(o, c) return getmetatable(o) ~= nil and getmetatable(o).__index == c end");
    Ref<LuaObject> pet = global(t, "pet");
    EXPECT_EQ(string(pet->luaClassname())->utf8(), "Animal");
    EXPECT_TRUE(pet->isInstanceOfLuaClass("Animal"));
    // A script answering false means no.
    EXPECT_FALSE(pet->isInstanceOfLuaClass("Plant"));
}

TEST_F(LuaObjectTest, ScriptReportsReachObserversOnTheMainThread)
{
    t.lua->doString("watched = {} unwatched = {}");
    Ref<LuaObject> watched = global(t, "watched");
    Recorder recorder;
    watched->addObserver(&recorder);
    watched->setSendNotifications(true);
    std::vector<std::string> posted;
    t.center.addObserver(LuaObject::ValueDidChangeNotification, watched.get(), [&](const KVNotification& n) {
        posted.push_back(dynamic_cast<KVString*>(n.userInfo->objectForKey(KVString::withString("key").get()))->utf8());
    });

    t.lua->doString("luaBinder.valueDidChangeForKey(watched, 'score') "
                    "luaBinder.valueDidChangeForKey(watched, 7) "
                    "luaBinder.valueDidChangeForKey(watched, {}) "
                    "luaBinder.valueDidChangeForKey(unwatched, 'score')");
    EXPECT_TRUE(recorder.events.empty());  // nothing before the main thread runs
    EXPECT_EQ(t.queue.drain(), 2u);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"will score", "did score", "will 7", "did 7"}));
    EXPECT_EQ(posted, (std::vector<std::string>{"score", "7"}));

    // A change made from native code is announced once, by the setter.
    recorder.events.clear();
    watched->setValueForKey(KVNumber::withFloat(1).get(), "level");
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"will level", "did level"}));
    watched->observeCollectionChange();
    EXPECT_EQ(recorder.events.back(), "collection");
    watched->removeObserver(&recorder);
}

TEST_F(LuaObjectTest, DeactivateFreesTheReferenceLaterOnTheMainThread)
{
    t.lua->doString("item = {}");
    Ref<LuaObject> item = global(t, "item");
    item->deactivate();
    EXPECT_EQ(item->valueForKey("x"), nullptr);
    // Asked again before the release, the table gets a new proxy of its own.
    Ref<LuaObject> fresh = global(t, "item");
    ASSERT_TRUE(fresh);
    EXPECT_NE(fresh.get(), item.get());
    EXPECT_EQ(t.queue.drain(), 1u);
    // The late release leaves the new proxy's record alone.
    EXPECT_EQ(global(t, "item").get(), fresh.get());
    fresh->setValueForKey(KVString::withString("ok").get(), "x");
    EXPECT_EQ(t.lua->evaluateExpression("item.x"), "ok");
}

TEST(LuaObject, ProxiesOutlivingTheirStateDoNothing)
{
    Ref<LuaObject> survivor;
    {
        BridgeTestState t;
        t.lua->doString("kept = { v = 1 }");
        survivor = global(t, "kept");
        EXPECT_EQ(survivor->copy().get(), survivor.get());
    }
    EXPECT_EQ(survivor->luaState(), nullptr);
    EXPECT_EQ(survivor->valueForKey("v"), nullptr);
    EXPECT_EQ(survivor->invokeMethod("x"), nullptr);
    EXPECT_EQ(survivor->toArray()->count(), 0u);
    survivor->setValueForKey(KVNumber::withFloat(1).get(), "v");
}

}  // namespace
