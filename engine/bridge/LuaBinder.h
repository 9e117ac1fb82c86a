// Keeps Lua values alive while native proxies (LuaObject) stand for them, and
// makes sure one table has at most one live proxy. Its Lua side is the global
// "luaBinder": "reverseReferences" (value to reference number), the change
// report functions scripts call, and "luaBinderObject".
//
// Every operation is called with the LuaState's lock held.
#pragma once

#include <unordered_map>
#include <vector>

#include "engine/host/kv_lua.h"
#include "platform/objects/KVRef.h"

class LuaObject;
class LuaState;

class LuaBinder {
public:
    explicit LuaBinder(LuaState* luaState);
    ~LuaBinder();
    LuaBinder(const LuaBinder&) = delete;
    LuaBinder& operator=(const LuaBinder&) = delete;

    LuaState* luaState() const { return luaState_; }

    // The recorded reference of the value at the top (left in place), or
    // LUA_NOREF.
    int getReference();
    // A reference for the value at the top, which is popped: the recorded
    // one while its proxy lives, otherwise a new registry reference.
    int makeReference();
    // The proxy for the value at the top, which is popped: the live one if
    // any, otherwise a new one. Null for nil.
    Ref<LuaObject> toLuaObject(bool retainsState = true);
    // Pushes the value of a reference.
    void dereference(int ref);
    // Releases a reference; its record in "reverseReferences" goes too while
    // it still names this reference. Throws KVObjectException for a
    // reference whose value is nil.
    void freeReference(int ref);
    // Sets the global "luaBinder" to nil and forgets every proxy.
    void clear();

    // The live proxy of a reference (retained), or null.
    Ref<LuaObject> liveObject(int ref) const;
    // Removes a proxy's entry when the entry is still that proxy.
    void forgetObject(int ref, const LuaObject* object);
    size_t liveObjectCount() const { return referencesToObjc_.size(); }
    // Cuts every live proxy off from the state (the state is closing) and
    // returns them, to be released once the lock is given up.
    std::vector<Ref<LuaObject>> detachAll();

private:
    void pushReverseReferences();

    LuaState* luaState_;
    int reverseReferencesRef_ = LUA_NOREF;
    // Weak: an entry goes when its proxy is destroyed.
    std::unordered_map<int, LuaObject*> referencesToObjc_;
};
