#include <gtest/gtest.h>

#include <vector>

#include "engine/bridge/LuaBinder.h"
#include "engine/bridge/LuaErrorException.h"
#include "tests/engine/bridge/BridgeTestState.h"

namespace {

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

// A deactivated proxy frees its reference later, on the main thread; the
// table asked for before that gets a proxy of its own, which the late
// release leaves alone.
TEST_F(LuaObjectTest, OneLiveProxyPerTableAndAFreshOneAfterItDiesOrIsDeactivated)
{
    t.lua->doString("thing = { name = 'a' } alias = thing");
    Ref<LuaObject> first = t.global("thing");
    ASSERT_TRUE(first);
    EXPECT_EQ(first.get(), t.global("alias").get());
    size_t live = t.lua->binder()->liveObjectCount();
    first = nullptr;
    EXPECT_EQ(t.lua->binder()->liveObjectCount(), live - 1);

    Ref<LuaObject> again = t.global("thing");
    ASSERT_TRUE(again);
    EXPECT_EQ(again.get(), t.global("alias").get());
    again->deactivate();
    EXPECT_EQ(again->valueForKey("name"), nullptr);
    Ref<LuaObject> fresh = t.global("thing");
    ASSERT_TRUE(fresh);
    EXPECT_NE(fresh.get(), again.get());
    EXPECT_EQ(t.queue.drain(), 1u);
    EXPECT_EQ(t.global("alias").get(), fresh.get());
    // The table stays alive through the proxy alone.
    t.lua->doString("thing = nil alias = nil collectgarbage()");
    EXPECT_EQ(shown(fresh->valueForKey("name")), "string:a");
}

TEST_F(LuaObjectTest, FieldsByKeyAndIndexOrThroughTheTablesOwnAccessors)
{
    t.lua->doString("box = { off = false, [1] = 'one', [2] = 'two' }");
    Ref<LuaObject> box = t.global("box");
    EXPECT_EQ(shown({box->valueForKey("off"), box->valueForKey("missing"), box->valueAtIndex(2), box->valueAtIndex(3)}),
              "bool:0 none string:two none");

    box->setValueForKey(KVString::withString("v").get(), "added");
    EXPECT_EQ(t.lua->evaluateExpression("box.added"), "v");
    box->setValueForKey(nullptr, "added");
    box->setValueAtIndex(KVNumber::withFloat(3).get(), 3);
    EXPECT_EQ(t.lua->evaluateExpression("tostring(box.added) .. box[3]"), "nil3");
    EXPECT_EQ(shown(box->toArray()->objects()), "string:one string:two float:3");

    // Tables with accessor methods answer for themselves.
    t.lua->doString("seen = {} "
                    "obj = { hidden = 'h' } "
                    "function obj:valueForKey(key) seen.get = (self == obj) and key return 'got ' .. key, 'more' end "
                    "function obj:setValueForKey(value, key) seen.set = (self == obj) and (key .. '=' .. tostring(value)) end");
    Ref<LuaObject> obj = t.global("obj");
    EXPECT_EQ(shown(obj->valueForKey("hidden")), "string:got hidden");
    obj->setValueForKey(KVNumber::withFloat(4).get(), "size");
    EXPECT_EQ(t.lua->evaluateExpression("seen.get .. ' ' .. seen.set .. ' ' .. tostring(obj.size)"), "hidden size=4 nil");
}

TEST_F(LuaObjectTest, InvokeMethodPassesSelfAndTheArguments)
{
    t.lua->doString("calc = { base = 10 } "
                    "function calc:add(a, b) return self.base + a + b end "
                    "function calc:nothing() end "
                    "function calc:fail() error('no') end");
    Ref<LuaObject> calc = t.global("calc");
    const auto add = [&](float a) {
        return calc->invokeMethod("add", {KVNumber::withFloat(a), KVNumber::withFloat(2)});
    };
    EXPECT_EQ(shown({add(1), calc->invokeMethod("nothing"), calc->invokeMethod("absent")}), "float:13 none none");
    EXPECT_THROW(calc->invokeMethod("fail"), LuaErrorException);
    // The lock is free again after the error.
    EXPECT_EQ(shown(add(0)), "float:12");
}

// Through the script's own table.keys and instanceOfClassType.
TEST_F(LuaObjectTest, DictionaryAndClassQueriesAskTheScript)
{
    t.lua->doString("function table.keys(self, t) local ks = {} for k in pairs(t) do ks[#ks + 1] = k end "
                    " table.sort(ks, function(a, b) return tostring(a) < tostring(b) end) return ks end "
                    "rec = { [1] = 'first', name = 'n', flag = true } "
                    "Animal = { __classname = 'Animal' } Plant = {} pet = setmetatable({}, { __index = Animal }) "
                    "function instanceOfClassType(o, c) return getmetatable(o) ~= nil and getmetatable(o).__index == c end");
    Ref<KVDictionary> d = t.global("rec")->toDictionary();
    EXPECT_EQ(d->count(), 3u);
    EXPECT_EQ(shown({d->objectForKey(KVNumber::withFloat(1).get()), d->objectForKey(KVString::withString("name").get()),
                     d->objectForKey(KVString::withString("flag").get())}),
              "string:first string:n bool:1");
    Ref<LuaObject> pet = t.global("pet");
    EXPECT_EQ(shown(pet->luaClassname()), "string:Animal");
    EXPECT_TRUE(pet->isInstanceOfLuaClass("Animal"));
    EXPECT_FALSE(pet->isInstanceOfLuaClass("Plant"));  // the script answering false means no
}

TEST_F(LuaObjectTest, ScriptReportsReachObserversOnTheMainThread)
{
    t.lua->doString("watched = {} unwatched = {}");
    Ref<LuaObject> watched = t.global("watched");
    Recorder recorder;
    watched->addObserver(&recorder);
    watched->setSendNotifications(true);

    t.lua->doString("luaBinder.valueDidChangeForKey(watched, 'score') "
                    "luaBinder.valueDidChangeForKey(watched, 7) "
                    "luaBinder.valueDidChangeForKey(watched, {}) "
                    "luaBinder.valueDidChangeForKey(unwatched, 'score')");
    EXPECT_TRUE(recorder.events.empty());  // nothing before the main thread runs
    EXPECT_EQ(t.queue.drain(), 2u);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"will score", "did score", "will 7", "did 7"}));

    // A change made from native code is announced once, by the setter.
    recorder.events.clear();
    watched->setValueForKey(KVNumber::withFloat(1).get(), "level");
    watched->observeCollectionChange();
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"will level", "did level", "collection"}));
    watched->removeObserver(&recorder);
}

TEST(LuaObject, ProxiesOutlivingTheirStateDoNothing)
{
    Ref<LuaObject> survivor;
    {
        BridgeTestState t;
        t.lua->doString("kept = { v = 1 }");
        survivor = t.global("kept");
        EXPECT_EQ(survivor->copy().get(), survivor.get());
    }
    EXPECT_EQ(survivor->luaState(), nullptr);
    EXPECT_EQ(shown({survivor->valueForKey("v"), survivor->invokeMethod("x")}), "none none");
    EXPECT_EQ(survivor->toArray()->count(), 0u);
    survivor->setValueForKey(KVNumber::withFloat(1).get(), "v");
}

}  // namespace
