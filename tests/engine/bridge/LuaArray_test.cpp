#include <gtest/gtest.h>

#include <functional>

#include "engine/bridge/LuaArray.h"
#include "engine/bridge/LuaErrorException.h"
#include "platform/objects/KVString.h"
#include "tests/engine/bridge/BridgeTestState.h"

namespace {

// A collection class in the style of the engine script: elements in the
// array part, keys kept beside them, 1-based positions. text() shows each
// element (an item's name) and its key.
const char* const kCollection = R"(
Collection = {}
function Collection.new() return setmetatable({ keys = {} }, { __index = Collection }) end
function Collection:count() return #self end
function Collection:indexOfObject(x)
  for i = 1, #self do if self[i] == x then return i end end
  return 0
end
function Collection:addObjectAtIndex(x, i, key) table.insert(self, i, x) table.insert(self.keys, i, key or false) end
function Collection:removeObjectAtIndex(i) table.remove(self, i) table.remove(self.keys, i) end
function Collection:setObjectForKey(x, i) self[i] = x end
function Collection:text()
  local t = {}
  for i = 1, #self do t[i] = (type(self[i]) == 'table' and self[i].name or self[i]) .. (self.keys[i] and '/' .. self.keys[i] or '') end
  return table.concat(t, ',')
end
function item(name, key) return { name = name, objectKey = key } end
p, q, r = item('p', 'kp'), item('q', 'kq'), item('r', 'kr')
list = Collection.new()
)";

// Each edit goes through the script's methods; the list's text after it.
TEST(LuaArray, EditsGoThroughTheScriptMethods)
{
    BridgeTestState t;
    t.lua->doString(kCollection);
    auto globals = t.lua->globalObject();
    Ref<LuaArray> array = LuaArray::withObject(t.global("list"));
    auto s = [](const char* v) { return KVString::withString(v); };
    const std::pair<std::function<void()>, const char*> steps[] = {
        {[&] { array->addObject(s("a").get()); array->addObject(s("c").get()); }, "a,c 2"},
        {[&] { array->insertObject(s("b").get(), 1); }, "a,b,c 3"},
        {[&] { array->replaceObjectAtIndex(0, s("A").get()); array->removeObjectAtIndex(1); }, "A,c 2"},
        {[&] { array->removeLastObject(); }, "A 1"},
        {[&] { array->removeAllObjects(); array->removeLastObject(); }, " 0"},
        {[&] {
             array->addObject(s("old").get());
             array->setArray(KVArray::withObjects({globals->valueForKey("p"), globals->valueForKey("q"),
                                                   globals->valueForKey("r")}).get());
         }, "p/kp,q/kq,r/kr 3"},
        {[&] { array->moveObjectAtIndex(0, 3); }, "q/kq,r/kr,p/kp 3"},  // to the end
        {[&] { array->moveObjectAtIndex(2, 0); }, "p/kp,q/kq,r/kr 3"},
        // Each element in turn goes to the target index, so the last one ends first.
        {[&] { array->moveObjectsAtIndexes({1, 2}, 0); }, "r/kr,q/kq,p/kp 3"},
    };
    for (const auto& [edit, text] : steps) {
        edit();
        EXPECT_EQ(t.lua->evaluateExpression("list:text()") + " " + std::to_string(array->count()), text);
    }
    EXPECT_EQ(array->indexOfObject(globals->valueForKey("q").get()), 1u);
    EXPECT_EQ(array->indexOfObject(s("zz").get()), KVArray::NotFound);
    EXPECT_EQ(array->objectAtIndex(2).get(), globals->valueForKey("p").get());
    EXPECT_TRUE(array->methodForSelector("count")) << "the runtime sees an array";
    t.lua->doString("function Collection:count() error('broken') end");
    EXPECT_THROW(array->count(), LuaErrorException);
}

}  // namespace
