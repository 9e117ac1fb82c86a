// The native side's handle on one Lua state: value conversion both ways,
// protected calls whose Lua errors become LuaErrorException (with a stack
// trace listing every Lua frame's locals), running source text and files,
// and one lock that serialises every use of the state.
//
// The lock is not recursive. Every operation that locks throws
// KVObjectException instead of deadlocking when the calling thread already
// holds it. The stack primitives and callMethod/doFunctionCall do not lock:
// their callers hold the lock and keep the stack balanced.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/host/kv_lua.h"
#include "platform/objects/KVArray.h"
#include "platform/objects/KVObject.h"

class KVMainThreadQueue;
class KVNotificationCenter;
class LuaBinder;
class LuaObject;

using LuaArguments = std::vector<Ref<KVObject>>;

class LuaState : public KVObject {
public:
    static constexpr const char* ObjectCreatedNotification = "luaObjectCreatedNotification";

    // Wraps an existing state: opens luaObjc, creates the binder (the global
    // "luaBinder"), sets _debuglevel to 1 and installs the panic handler.
    static Ref<LuaState> withState(lua_State* L);
    // A bare state (no standard libraries) wrapped as above.
    static Ref<LuaState> withNewState();

    ~LuaState() override;

    // Closes the Lua state; from then on the operations do nothing and
    // return their empty results, and the assertions of the primitives fail.
    // Live proxies are cut off from the state first.
    void close();

    lua_State* state() const { return L_; }
    LuaBinder* binder() const { return binder_.get(); }

    void lockState();
    void unlockState();
    bool tryLockState();
    bool isLockedByCurrentThread() const;

    // Where notifications go and main-thread work is queued; the
    // application's center and queue unless set.
    KVNotificationCenter& notificationCenter() const { return *center_; }
    void setNotificationCenter(KVNotificationCenter* center);
    KVMainThreadQueue& mainQueue() const { return *queue_; }
    void setMainQueue(KVMainThreadQueue* queue);

    // Stack primitives.
    int getTop();
    void setTop(int top);
    void getGlobal(const std::string& name);
    void getMember(const char* name);
    void getMember(const std::string& name) { getMember(name.c_str()); }
    void getMemberAtIndex(long index);
    void setMemberAtIndex(KVObject* value, long index);
    void setMemberValue(KVObject* value, KVObject* key);
    bool equal();
    int luaType();
    bool hasMethod(const std::string& name);
    void pushArgument(KVObject* value);
    void pushArguments(const LuaArguments& values);
    Ref<KVObject> getStackItem(int index);
    Ref<KVArray> popStack(int count);
    void logStack();

    // Calls into Lua; each returns at most one result.
    Ref<KVArray> callFunction(const std::string& name, const LuaArguments& args = {});
    Ref<KVObject> callSimpleFunction(const std::string& name, const LuaArguments& args = {});
    Ref<KVArray> callMethod(const std::string& method, const std::string& objectName, const LuaArguments& args = {});
    Ref<KVObject> callSimpleMethod(const std::string& method, const std::string& objectName,
                                   const LuaArguments& args = {});
    // The lock must be held: calls the member of the table at the top.
    Ref<KVArray> callMethodWithArgs(const std::string& name, const LuaArguments& args);
    // The lock must be held: the function and its arguments are pushed; the
    // one result stays on the stack.
    void doFunctionCall(int argumentCount);

    bool syntaxCheck(const std::string& source);
    std::optional<std::string> doString(const std::string& source);
    std::optional<std::string> doFile(const std::string& path);
    std::string evaluateExpression(const std::string& expression);

    Ref<KVObject> instanceOfClass(const std::string& className);
    Ref<KVObject> instanceOfPrototype(LuaObject* prototype);
    Ref<LuaObject> globalObject();

    void collectGarbage();
    int totalMemoryAllocated();  // kilobytes

    std::string description() const override;

    // Holds the state's lock for a scope.
    class Lock {
    public:
        explicit Lock(LuaState& state) : state_(state) { state_.lockState(); }
        ~Lock() { state_.unlockState(); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        LuaState& state_;
    };

    // Empties the stack when a scope ends, however it ends.
    class StackReset {
    public:
        explicit StackReset(lua_State* L) : L_(L) {}
        ~StackReset() { if (L_) lua_settop(L_, 0); }
        StackReset(const StackReset&) = delete;
        StackReset& operator=(const StackReset&) = delete;

    private:
        lua_State* L_;
    };

    // One use of the state from native code: holds the lock, then empties the
    // stack when the scope ends. False when the state was closed first; the
    // check is made under the lock, since close() clears the state under it.
    class Access {
    public:
        explicit Access(LuaState& state) : lock_(state), open_(state.L_ != nullptr), reset_(state.L_) {}
        explicit operator bool() const { return open_; }

    private:
        Lock lock_;
        bool open_;
        StackReset reset_;
    };

protected:
    explicit LuaState(lua_State* L);
    // Not yet wrapping a state: wrap() does that later, once.
    LuaState();
    void wrap(lua_State* L);
    // How the Lua state is closed; a subclass that owns it another way
    // overrides this and must call close() from its own destructor.
    virtual void destroyLuaState(lua_State* L);

private:
    [[noreturn]] static void assertionFailure(const char* message);
    void assertState();
    void insertErrorHandler();

    lua_State* L_;
    std::mutex mutex_;
    std::atomic<std::thread::id> lockOwner_{};
    std::unique_ptr<LuaBinder> binder_;
    Ref<LuaObject> globalObject_;
    KVNotificationCenter* center_;
    KVMainThreadQueue* queue_;
};

// The message handler of every protected call: logs the error and the stack
// trace and returns a light userdata pointing at a new LuaErrorException.
int luaErrorHandler(lua_State* L);
// Installed with lua_atpanic: logs and throws a LuaErrorException.
int luaPanicHandler(lua_State* L);
// lua_pcall that throws the LuaErrorException of a failed call. With a
// handler index the handler's exception is thrown; otherwise one is made
// from the error message.
int kv_pcall(lua_State* L, int argumentCount, int resultCount, int handlerIndex);
