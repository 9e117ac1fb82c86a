#include "engine/bridge/LuaBinder.h"

#include "engine/bridge/LuaObject.h"
#include "engine/bridge/LuaState.h"
#include "engine/bridge/wrap_LuaBinder.h"
#include "platform/objects/KVObjectException.h"

LuaBinder::LuaBinder(LuaState* luaState) : luaState_(luaState)
{
    lua_State* L = luaState_->state();
    lua_newtable(L);
    lua_newtable(L);
    lua_pushvalue(L, -1);
    reverseReferencesRef_ = luaL_ref(L, LUA_REGISTRYINDEX);
    lua_setfield(L, -2, "reverseReferences");
    luaBinder_registerFunctions(L, this);
    lua_setglobal(L, "luaBinder");
}

LuaBinder::~LuaBinder() = default;

void LuaBinder::pushReverseReferences()
{
    lua_rawgeti(luaState_->state(), LUA_REGISTRYINDEX, reverseReferencesRef_);
}

int LuaBinder::getReference()
{
    lua_State* L = luaState_->state();
    if (!L || lua_isnil(L, -1))
        return LUA_NOREF;
    pushReverseReferences();
    lua_pushvalue(L, -2);
    lua_rawget(L, -2);
    int ref = lua_isnumber(L, -1) ? static_cast<int>(lua_tointeger(L, -1)) : LUA_NOREF;
    lua_pop(L, 2);
    return ref;
}

int LuaBinder::makeReference()
{
    lua_State* L = luaState_->state();
    int ref = getReference();
    if (ref != LUA_NOREF && liveObject(ref)) {
        lua_pop(L, 1);
        return ref;
    }
    if (lua_isnil(L, -1)) {
        lua_pop(L, 1);
        return LUA_REFNIL;
    }
    lua_pushvalue(L, -1);
    ref = luaL_ref(L, LUA_REGISTRYINDEX);
    // reverseReferences[value] = ref; the value is still at the top.
    pushReverseReferences();
    lua_insert(L, -2);
    lua_pushinteger(L, ref);
    lua_rawset(L, -3);
    lua_pop(L, 1);
    return ref;
}

Ref<LuaObject> LuaBinder::toLuaObject(bool retainsState)
{
    int ref = makeReference();
    if (ref == LUA_REFNIL || ref == LUA_NOREF)
        return nullptr;
    if (Ref<LuaObject> live = liveObject(ref))
        return live;
    Ref<LuaObject> proxy = Ref<LuaObject>::adopt(new LuaObject(luaState_, ref, retainsState));
    referencesToObjc_[ref] = proxy.get();
    return proxy;
}

void LuaBinder::dereference(int ref)
{
    lua_State* L = luaState_->state();
    if (L)
        lua_rawgeti(L, LUA_REGISTRYINDEX, ref);
}

void LuaBinder::freeReference(int ref)
{
    lua_State* L = luaState_->state();
    if (!L)
        return;
    lua_rawgeti(L, LUA_REGISTRYINDEX, ref);
    if (lua_isnil(L, -1)) {
        lua_pop(L, 1);
        throw KVObjectException(KVObjectException::InternalInconsistency,
                                "[LuaBinder freeReference] freeing a nil reference");
    }
    if (getReference() == ref) {
        pushReverseReferences();
        lua_pushvalue(L, -2);
        lua_pushnil(L);
        lua_rawset(L, -3);
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
    luaL_unref(L, LUA_REGISTRYINDEX, ref);
}

void LuaBinder::clear()
{
    lua_State* L = luaState_->state();
    if (L) {
        lua_pushnil(L);
        lua_setglobal(L, "luaBinder");
    }
    referencesToObjc_.clear();
}

Ref<LuaObject> LuaBinder::liveObject(int ref) const
{
    auto it = referencesToObjc_.find(ref);
    if (it == referencesToObjc_.end() || !it->second->tryRetain())
        return nullptr;
    return Ref<LuaObject>::adopt(it->second);
}

void LuaBinder::forgetObject(int ref, const LuaObject* object)
{
    auto it = referencesToObjc_.find(ref);
    if (it != referencesToObjc_.end() && it->second == object)
        referencesToObjc_.erase(it);
}

std::vector<Ref<LuaObject>> LuaBinder::detachAll()
{
    std::vector<Ref<LuaObject>> detached;
    for (auto& entry : referencesToObjc_) {
        if (entry.second->tryRetain()) {
            Ref<LuaObject> proxy = Ref<LuaObject>::adopt(entry.second);
            proxy->detach();
            detached.push_back(std::move(proxy));
        }
    }
    referencesToObjc_.clear();
    return detached;
}
