#include "engine/bridge/LuaObject.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "engine/bridge/LuaBinder.h"
#include "platform/notify/KVNotificationCenter.h"
#include "platform/objects/KVLogLine.h"
#include "platform/objects/KVNull.h"
#include "platform/objects/KVNumber.h"
#include "platform/objects/KVString.h"
#include "platform/runloop/KVMainThreadQueue.h"

namespace {

// Takes the lock unless this thread already holds it: releasing a proxy may
// happen inside a native function called by a running script.
class LockUnlessHeld {
public:
    explicit LockUnlessHeld(LuaState& state) : state_(state), taken_(!state.isLockedByCurrentThread())
    {
        if (taken_)
            state_.lockState();
    }
    ~LockUnlessHeld()
    {
        if (taken_)
            state_.unlockState();
    }
    LockUnlessHeld(const LockUnlessHeld&) = delete;
    LockUnlessHeld& operator=(const LockUnlessHeld&) = delete;

private:
    LuaState& state_;
    bool taken_;
};

// Restores the stack height when a scope ends.
class HeightRestore {
public:
    explicit HeightRestore(lua_State* L) : L_(L), height_(lua_gettop(L)) {}
    ~HeightRestore()
    {
        if (lua_gettop(L_) > height_)
            lua_settop(L_, height_);
    }
    HeightRestore(const HeightRestore&) = delete;
    HeightRestore& operator=(const HeightRestore&) = delete;

private:
    lua_State* L_;
    int height_;
};

Ref<KVObject> nothingForNull(Ref<KVObject> value)
{
    return value.get() == KVNull::null() ? nullptr : value;
}

Ref<KVObject> firstOf(const Ref<KVArray>& results)
{
    return results->count() ? nothingForNull(results->objectAtIndex(0)) : nullptr;
}

}  // namespace

LuaObject::LuaObject(LuaState* state, int ref, bool retainsState)
    : state_(state), heldState_(retainsState ? state : nullptr), ref_(ref)
{
}

LuaObject::~LuaObject()
{
    LuaState* state = state_.load();
    if (!state)
        return;
    int ref = ref_.exchange(-1);
    if (ref != -1) {
        try {
            LockUnlessHeld lock(*state);
            if (state->binder())
                state->binder()->forgetObject(ref, this);
            if (state->state()) {
                HeightRestore restore(state->state());
                state->binder()->freeReference(ref);
            }
        } catch (const std::exception& e) {
            KVLogLine("LuaObject: cannot free reference %d: %s", ref, e.what());
        }
    }
}

void LuaObject::detach()
{
    ref_.store(-1);
    if (state_.exchange(nullptr))
        heldState_ = nullptr;
}

Ref<KVObject> LuaObject::valueAtIndex(long index)
{
    Ref<KVObject> result;
    LuaState* state = luaState();
    if (!state)
        return nullptr;
    {
        LuaState::Access access(*state);
        if (!access || ref() == -1)
            return nullptr;
        state->binder()->dereference(ref());
        state->getMemberAtIndex(index);
        result = state->getStackItem(-1);
    }
    return nothingForNull(result);
}

void LuaObject::setValueAtIndex(KVObject* value, long index)
{
    LuaState* state = luaState();
    if (!state)
        return;
    {
        LuaState::Access access(*state);
        if (!access || ref() == -1)
            return;
        state->binder()->dereference(ref());
        state->setMemberAtIndex(value, index);
    }
    state->notificationCenter().post(SetValueNotification, Ref<KVObject>(state));
}

Ref<KVObject> LuaObject::valueForKey(const std::string& key)
{
    Ref<KVObject> result;
    LuaState* state = luaState();
    if (!state)
        return nullptr;
    {
        LuaState::Access access(*state);
        if (!access || ref() == -1)
            return nullptr;
        state->binder()->dereference(ref());
        if (state->hasMethod("valueForKey")) {
            state->setTop(0);
            state->binder()->dereference(ref());
            result = firstOf(state->callMethodWithArgs("valueForKey", {Ref<KVObject>(this), KVString::withString(key)}));
        } else {
            state->getMember(key);
            result = state->getStackItem(-1);
        }
    }
    return nothingForNull(result);
}

void LuaObject::setValueForKey(KVObject* value, const std::string& key)
{
    LuaState* state = luaState();
    if (!state)
        return;
    struct FromNative {
        std::atomic<bool>& flag;
        explicit FromNative(std::atomic<bool>& f) : flag(f) { flag = true; }
        ~FromNative() { flag = false; }
    };
    {
        FromNative fromNative(valueChangeCameFromCocoa_);
        announceWillChange(key);
        Ref<KVObject> stored = value ? Ref<KVObject>(value) : Ref<KVObject>(KVNull::null());
        Ref<KVArray> results;
        {
            LuaState::Access access(*state);
            if (!access || ref() == -1)
                return;
            state->binder()->dereference(ref());
            if (state->hasMethod("setValueForKey")) {
                state->setTop(0);
                state->binder()->dereference(ref());
                results = state->callMethodWithArgs("setValueForKey",
                                                    {Ref<KVObject>(this), stored, KVString::withString(key)});
            } else {
                state->setMemberValue(stored.get(), KVString::withString(key).get());
            }
        }
    }
    announceDidChange(key);
    state->notificationCenter().post(SetValueNotification, Ref<KVObject>(state));
}

Ref<KVObject> LuaObject::invokeMethod(const std::string& name, const LuaArguments& args)
{
    Ref<KVArray> results;
    LuaState* state = luaState();
    if (!state)
        return nullptr;
    {
        LuaState::Lock lock(*state);
        if (!state->state() || ref() == -1)
            return nullptr;
        HeightRestore restore(state->state());
        int height = state->getTop();
        state->binder()->dereference(ref());
        if (state->hasMethod(name)) {
            state->setTop(height);
            state->binder()->dereference(ref());
            LuaArguments list;
            list.reserve(args.size() + 1);
            list.emplace_back(this);
            list.insert(list.end(), args.begin(), args.end());
            results = state->callMethodWithArgs(name, list);
        }
    }
    return results ? firstOf(results) : nullptr;
}

Ref<KVArray> LuaObject::toArray()
{
    std::vector<Ref<KVObject>> values;
    LuaState* state = luaState();
    if (!state)
        return KVArray::array();
    {
        LuaState::Access access(*state);
        if (!access || ref() == -1)
            return KVArray::array();
        state->binder()->dereference(ref());
        for (long i = 1;; ++i) {
            state->getMemberAtIndex(i);
            Ref<KVObject> value = state->getStackItem(-1);
            lua_pop(state->state(), 1);
            if (!value || value.get() == KVNull::null())
                break;
            values.push_back(std::move(value));
        }
    }
    return KVArray::withObjects(std::move(values));
}

Ref<KVDictionary> LuaObject::toDictionary()
{
    LuaState* state = luaState();
    if (!state)
        return KVDictionary::dictionary();
    Ref<KVObject> keysObject = state->callSimpleMethod("keys", "table", {Ref<KVObject>(this)});
    auto keys = dynamic_cast<LuaObject*>(keysObject.get());
    std::vector<std::pair<Ref<KVObject>, Ref<KVObject>>> pairs;
    if (keys) {
        for (const auto& key : keys->toArray()->objects()) {
            Ref<KVObject> value;
            if (auto number = dynamic_cast<KVNumber*>(key.get()))
                value = valueAtIndex(number->intValue());
            else if (auto string = dynamic_cast<KVString*>(key.get()))
                value = valueForKey(string->utf8());
            pairs.emplace_back(key, value ? value : Ref<KVObject>(KVNull::null()));
        }
    }
    return KVDictionary::withPairs(std::move(pairs));
}

Ref<KVObject> LuaObject::luaClassname()
{
    return valueForKey("__classname");
}

bool LuaObject::isInstanceOfLuaClass(const std::string& className)
{
    LuaState* state = luaState();
    if (!state)
        return false;
    Ref<LuaObject> globals = state->globalObject();
    Ref<KVObject> cls = globals ? globals->valueForKey(className) : nullptr;
    Ref<KVObject> answer = state->callSimpleFunction("instanceOfClassType", {Ref<KVObject>(this), cls});
    // A Lua false arrives as a boolean number: it answers no, as nil does.
    if (!answer || answer.get() == KVNull::null())
        return false;
    auto number = dynamic_cast<KVNumber*>(answer.get());
    return !(number && number->isBoolean() && !number->boolValue());
}

void LuaObject::addObserver(LuaObjectObserver* observer)
{
    if (!observer)
        return;
    std::lock_guard<std::mutex> guard(observersMutex_);
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void LuaObject::removeObserver(LuaObjectObserver* observer)
{
    std::lock_guard<std::mutex> guard(observersMutex_);
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

std::vector<LuaObjectObserver*> LuaObject::observersSnapshot()
{
    std::lock_guard<std::mutex> guard(observersMutex_);
    return observers_;
}

void LuaObject::announceWillChange(const std::string& key)
{
    for (auto observer : observersSnapshot())
        observer->luaObjectWillChangeValueForKey(this, key);
}

void LuaObject::announceDidChange(const std::string& key)
{
    for (auto observer : observersSnapshot())
        observer->luaObjectDidChangeValueForKey(this, key);
}

void LuaObject::valueDidChangeForKey(const std::string& key)
{
    if (!valueChangeCameFromCocoa_) {
        announceWillChange(key);
        announceDidChange(key);
    }
    LuaState* state = luaState();
    if (sendNotifications_ && state)
        state->notificationCenter().post(ValueDidChangeNotification, Ref<KVObject>(this),
                                         KVDictionary::withPairs({{KVString::withString("key"),
                                                                   KVString::withString(key)}}));
}

void LuaObject::observeCollectionChange()
{
    for (auto observer : observersSnapshot())
        observer->luaCollectionDidChange(this);
}

Ref<LuaObject> LuaObject::copy()
{
    KVLogLine("LuaObject trying to copy with zone - this shouldn't happen");
    return Ref<LuaObject>(this);
}

void LuaObject::deactivate()
{
    LuaState* state = luaState();
    int ref = ref_.exchange(-1);
    if (ref == -1 || !state)
        return;
    {
        // Forget the proxy now, so the table gets a fresh one if asked again.
        LockUnlessHeld lock(*state);
        if (state->binder())
            state->binder()->forgetObject(ref, this);
    }
    Ref<LuaState> keep(state);
    state->mainQueue().performAsync([ref, keep] { LuaObject::dereference(ref, keep); });
}

void LuaObject::freeReference(int ref, LuaState* state)
{
    if (!state || ref == -1)
        return;
    LockUnlessHeld lock(*state);
    if (!state->state() || !state->binder())
        return;
    HeightRestore restore(state->state());
    state->binder()->freeReference(ref);
}

void LuaObject::dereference(int ref, Ref<LuaState> state)
{
    freeReference(ref, state.get());
}

std::string LuaObject::description() const
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "<LuaObject ref %d>", ref());
    return buffer;
}
