// A native proxy for one Lua table (a script object, a class table, the
// globals). Made only by LuaBinder::toLuaObject, so one table has at most one
// live proxy; its registry reference keeps the table alive while native code
// holds the proxy.
//
// Every operation that touches Lua takes the LuaState's lock and empties the
// stack before giving it up, also when a LuaErrorException passes through.
// None may be called while the calling thread holds the lock.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "engine/bridge/LuaObjectObserver.h"
#include "engine/bridge/LuaState.h"
#include "platform/objects/KVDictionary.h"

class LuaObject : public KVObject {
public:
    static constexpr const char* SetValueNotification = "luaObjectSetValueNotification";
    static constexpr const char* ValueDidChangeNotification = "LuaValueDidChange";

    ~LuaObject() override;

    int ref() const { return ref_.load(); }
    // Null once the state has closed.
    LuaState* luaState() const { return state_.load(); }

    // Indices are the script's own (1-based for arrays). Nothing for nil.
    Ref<KVObject> valueAtIndex(long index);
    void setValueAtIndex(KVObject* value, long index);
    // Uses the table's own "valueForKey"/"setValueForKey" methods when it has
    // them, plain fields otherwise. A null value removes the field.
    Ref<KVObject> valueForKey(const std::string& key);
    void setValueForKey(KVObject* value, const std::string& key);
    // Calls table:name(args...); nothing when there is no such method or it
    // returns nil.
    Ref<KVObject> invokeMethod(const std::string& name, const LuaArguments& args = {});

    Ref<KVArray> toArray();
    Ref<KVDictionary> toDictionary();
    Ref<KVObject> luaClassname();
    bool isInstanceOfLuaClass(const std::string& className);

    void addObserver(LuaObjectObserver* observer);
    void removeObserver(LuaObjectObserver* observer);
    void setSendNotifications(bool send) { sendNotifications_ = send; }
    bool sendNotifications() const { return sendNotifications_; }

    // A change the script reported (run on the main thread).
    void valueDidChangeForKey(const std::string& key);
    void observeCollectionChange();

    // A proxy is its own copy.
    Ref<LuaObject> copy();

    // Gives up the reference later, on the main thread (for finalisation on
    // another thread); the proxy no longer reaches Lua from now on.
    void deactivate();

    // Releases a reference under the state's lock, restoring the stack height.
    static void freeReference(int ref, LuaState* state);
    // The same, with both values as a call on another thread gets them.
    static void dereference(int ref, Ref<LuaState> state);

    std::string description() const override;

private:
    friend class LuaBinder;
    LuaObject(LuaState* state, int ref, bool retainsState);
    // The state is closing: forget the reference and the state.
    void detach();
    std::vector<LuaObjectObserver*> observersSnapshot();
    void announceWillChange(const std::string& key);
    void announceDidChange(const std::string& key);

    std::atomic<LuaState*> state_;
    Ref<LuaState> heldState_;  // the state, when this proxy keeps it open
    std::atomic<int> ref_;
    std::mutex observersMutex_;
    std::vector<LuaObjectObserver*> observers_;
    std::atomic<bool> sendNotifications_{false};
    std::atomic<bool> valueChangeCameFromCocoa_{false};
};
