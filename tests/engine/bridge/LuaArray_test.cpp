#include <gtest/gtest.h>

#include "engine/bridge/LuaArray.h"
#include "engine/bridge/LuaErrorException.h"
#include "platform/objects/KVInvocation.h"
#include "platform/objects/KVMethod.h"
#include "platform/objects/KVNull.h"
#include "platform/objects/KVNumber.h"
#include "platform/objects/KVString.h"
#include "tests/engine/bridge/BridgeTestState.h"

namespace {

// A collection class in the style of the engine script: elements in the
// array part, keys kept beside them, 1-based positions.
const char* const kCollection = R"(
Collection = {}
Collection.__index = Collection
function Collection.new() return setmetatable({ keys = {} }, Collection) end
function Collection:count() return #self end
function Collection:indexOfObject(x)
  for i = 1, #self do if self[i] == x then return i end end
  return 0
end
function Collection:addObjectAtIndex(x, i, key) table.insert(self, i, x) table.insert(self.keys, i, key or false) end
function Collection:removeObjectAtIndex(i) table.remove(self, i) table.remove(self.keys, i) end
function Collection:setObjectForKey(x, i) self[i] = x end
function Collection:text() local t = {} for i = 1, #self do t[i] = tostring(self[i]) end return table.concat(t, ',') end
function Collection:keyText() local t = {} for i = 1, #self.keys do t[i] = tostring(self.keys[i]) end return table.concat(t, ',') end
)";

struct CollectionTest : ::testing::Test {
    BridgeTestState t;
    Ref<LuaArray> array;

    void SetUp() override
    {
        t.lua->doString(kCollection);
        t.lua->doString("list = Collection.new()");
        array = LuaArray::withObject(
            Ref<LuaObject>(dynamic_cast<LuaObject*>(t.lua->globalObject()->valueForKey("list").get())));
    }
    std::string text() { return t.lua->evaluateExpression("list:text()"); }
    static Ref<KVObject> s(const char* v) { return KVString::withString(v); }
};

TEST_F(CollectionTest, EditsGoThroughTheScriptMethods)
{
    EXPECT_EQ(array->count(), 0u);
    array->addObject(s("a").get());
    array->addObject(s("c").get());
    array->insertObject(s("b").get(), 1);
    EXPECT_EQ(text(), "a,b,c");
    EXPECT_EQ(array->count(), 3u);
    EXPECT_EQ(dynamic_cast<KVString*>(array->objectAtIndex(2).get())->utf8(), "c");
    EXPECT_EQ(array->indexOfObject(s("b").get()), 1u);
    EXPECT_EQ(array->indexOfObject(s("zz").get()), KVArray::NotFound);
    array->replaceObjectAtIndex(0, s("A").get());
    array->removeObjectAtIndex(1);
    EXPECT_EQ(text(), "A,c");
    array->removeLastObject();
    EXPECT_EQ(text(), "A");
    array->removeAllObjects();
    EXPECT_EQ(array->count(), 0u);
    array->removeLastObject();  // nothing to remove
    EXPECT_EQ(text(), "");
}

TEST_F(CollectionTest, SetArrayAndMovesCarryTheElementsKeys)
{
    t.lua->doString("function item(name, key) return { name = name, objectKey = key } end "
                    "function Collection:names() local t = {} for i = 1, #self do t[i] = self[i].name end "
                    " return table.concat(t, ',') end "
                    "p, q, r = item('p', 'kp'), item('q', 'kq'), item('r', 'kr')");
    auto globals = t.lua->globalObject();
    Ref<KVArray> source = KVArray::withObjects({globals->valueForKey("p"), globals->valueForKey("q"),
                                                globals->valueForKey("r")});
    array->addObject(s("old").get());
    array->setArray(source.get());
    EXPECT_EQ(t.lua->evaluateExpression("list:names()"), "p,q,r");
    EXPECT_EQ(t.lua->evaluateExpression("list:keyText()"), "kp,kq,kr");

    array->moveObjectAtIndex(0, 3);  // to the end
    EXPECT_EQ(t.lua->evaluateExpression("list:names()"), "q,r,p");
    EXPECT_EQ(t.lua->evaluateExpression("list:keyText()"), "kq,kr,kp");
    array->moveObjectAtIndex(2, 0);
    EXPECT_EQ(t.lua->evaluateExpression("list:names()"), "p,q,r");
    // Each element in turn goes to the target index, so the last one ends first.
    array->moveObjectsAtIndexes({1, 2}, 0);
    EXPECT_EQ(t.lua->evaluateExpression("list:names()"), "r,q,p");
    EXPECT_EQ(t.lua->evaluateExpression("list:keyText()"), "kr,kq,kp");
}

TEST_F(CollectionTest, TheRuntimeSeesAnArray)
{
    array->addObject(s("x").get());
    const KVMethod* method = array->methodForSelector("count");
    ASSERT_TRUE(method);
    KVInvocation count(method->signature);
    count.setTarget(array);
    count.setSelector("count");
    count.invoke();
    EXPECT_EQ(count.returnValue().asUnsignedInt(), 1u);
}

TEST_F(CollectionTest, ScriptErrorsReachTheCaller)
{
    t.lua->doString("function Collection:count() error('broken') end");
    EXPECT_THROW(array->count(), LuaErrorException);
    EXPECT_EQ(array->object()->luaState(), t.lua.get());
}

}  // namespace
