#include "engine/bridge/LuaState.h"

#include <cstring>
#include <exception>

#include "engine/bridge/LuaBinder.h"
#include "engine/bridge/LuaErrorException.h"
#include "engine/bridge/LuaObject.h"
#include "engine/bridge/luaObjc.h"
#include "platform/notify/KVNotificationCenter.h"
#include "platform/objects/KVLogLine.h"
#include "platform/objects/KVNull.h"
#include "platform/objects/KVNumber.h"
#include "platform/objects/KVString.h"
#include "platform/runloop/KVMainThreadQueue.h"

namespace {

std::string errorText(lua_State* L, int index)
{
    size_t length = 0;
    const char* text = lua_tolstring(L, index, &length);
    if (text)
        return std::string(text, length);
    return std::string("(error object is a ") + luaL_typename(L, index) + " value)";
}

int openLuaObjc(lua_State* L)
{
    return luaopen_luaObjc(L);
}

}  // namespace

int luaErrorHandler(lua_State* L)
{
    std::string error = errorText(L, -1);
    KVLogLine("Lua Error: %s", error.c_str());

    std::string trace = "Stack Trace:\n";
    lua_Debug ar;
    char line[512];
    for (int level = 0; lua_getstack(L, level, &ar); ++level) {
        lua_getinfo(L, "lnuS", &ar);
        const char* name = ar.name ? ar.name : "(null)";
        switch (ar.what ? ar.what[0] : '\0') {
        case 'C':
            std::snprintf(line, sizeof line, "%d: C function %s\n", level, name);
            trace += line;
            break;
        case 'L': {
            std::snprintf(line, sizeof line, "%d: [%s:%s]:%d\n", level, ar.short_src, name, ar.currentline);
            trace += line;
            trace += "{\n";
            const char* local;
            for (int n = 1; (local = lua_getlocal(L, &ar, n)) != nullptr; ++n) {
                trace += "\t";
                trace += local;
                if (lua_isnil(L, -1))
                    trace += " = nil\n";
                else if (lua_istable(L, -1))
                    trace += " = <table>\n";
                else {
                    // Only numbers and strings have a text form.
                    size_t length = 0;
                    const char* text = (lua_type(L, -1) == LUA_TNUMBER || lua_type(L, -1) == LUA_TSTRING)
                                           ? lua_tolstring(L, -1, &length)
                                           : nullptr;
                    trace += " = ";
                    trace += text ? std::string(text, length) : std::string("(null)");
                    trace += "\n";
                }
                lua_pop(L, 1);
            }
            trace += "}\n";
            break;
        }
        case 'm':
            std::snprintf(line, sizeof line, "%d: main part of a chunk\n", level);
            trace += line;
            break;
        case 't':
            std::snprintf(line, sizeof line, "%d: tail call\n", level);
            trace += line;
            break;
        default:
            trace += "(unknown)\n";
            break;
        }
    }
    KVLogLine("Stack Trace: %s", trace.c_str());
    lua_pushlightuserdata(L, new LuaErrorException(error, trace));
    return 1;
}

int luaPanicHandler(lua_State* L)
{
    std::string error = errorText(L, -1);
    KVLogLine("Lua Panic: %s", error.c_str());
    throw LuaErrorException(error, std::nullopt);
}

int kv_pcall(lua_State* L, int argumentCount, int resultCount, int handlerIndex)
{
    int status = lua_pcall(L, argumentCount, resultCount, handlerIndex);
    if (status == 0)
        return 0;
    // Memory errors and errors inside the handler do not run the handler:
    // their value is the message itself.
    if (handlerIndex != 0 && lua_islightuserdata(L, -1)) {
        std::unique_ptr<LuaErrorException> caught(static_cast<LuaErrorException*>(lua_touserdata(L, -1)));
        lua_pop(L, 1);
        throw LuaErrorException(*caught);
    }
    std::string error = errorText(L, -1);
    lua_pop(L, 1);
    throw LuaErrorException(error, std::nullopt);
}

Ref<LuaState> LuaState::withState(lua_State* L)
{
    return Ref<LuaState>::adopt(new LuaState(L));
}

Ref<LuaState> LuaState::withNewState()
{
    lua_State* L = luaL_newstate();
    if (!L)
        throw KVObjectException(KVObjectException::InternalInconsistency, "cannot create a Lua state: out of memory");
    return withState(L);
}

LuaState::LuaState(lua_State* L) : LuaState()
{
    wrap(L);
}

LuaState::LuaState()
    : L_(nullptr), center_(&KVNotificationCenter::defaultCenter()), queue_(&KVMainThreadQueue::main())
{
}

void LuaState::wrap(lua_State* L)
{
    L_ = L;
    if (!L_)
        return;
    // Protected, so a failure is reported rather than ending the process.
    lua_pushcfunction(L_, openLuaObjc);
    lua_pushstring(L_, "luaObjc");
    if (lua_pcall(L_, 1, 0, 0) != 0) {
        KVLogLine("LuaState: cannot open luaObjc: %s", errorText(L_, -1).c_str());
        lua_pop(L_, 1);
    }
    binder_ = std::make_unique<LuaBinder>(this);
    globalObject()->setValueForKey(KVNumber::withFloat(1).get(), "_debuglevel");
    lua_atpanic(L_, luaPanicHandler);
}

LuaState::~LuaState()
{
    try {
        close();
    } catch (const std::exception& e) {
        KVLogLine("LuaState: cannot close: %s", e.what());
    }
}

void LuaState::destroyLuaState(lua_State* L)
{
    lua_close(L);
}

void LuaState::close()
{
    Ref<LuaObject> global;
    std::vector<Ref<LuaObject>> detached;
    {
        Lock lock(*this);
        if (!L_)
            return;
        if (binder_)
            detached = binder_->detachAll();
        global = std::move(globalObject_);
        lua_State* L = L_;
        L_ = nullptr;
        destroyLuaState(L);
    }
    // Released outside the lock: the proxies no longer reach Lua.
}

void LuaState::lockState()
{
    if (isLockedByCurrentThread())
        throw KVObjectException(KVObjectException::InternalInconsistency,
                                "the Lua state lock is already held by this thread");
    mutex_.lock();
    lockOwner_.store(std::this_thread::get_id());
}

void LuaState::unlockState()
{
    lockOwner_.store(std::thread::id());
    mutex_.unlock();
}

bool LuaState::tryLockState()
{
    if (isLockedByCurrentThread() || !mutex_.try_lock())
        return false;
    lockOwner_.store(std::this_thread::get_id());
    return true;
}

bool LuaState::isLockedByCurrentThread() const
{
    return lockOwner_.load() == std::this_thread::get_id();
}

void LuaState::setNotificationCenter(KVNotificationCenter* center)
{
    center_ = center ? center : &KVNotificationCenter::defaultCenter();
}

void LuaState::setMainQueue(KVMainThreadQueue* queue)
{
    queue_ = queue ? queue : &KVMainThreadQueue::main();
}

void LuaState::assertionFailure(const char* message)
{
    throw KVObjectException(KVObjectException::InternalInconsistency, message);
}

void LuaState::assertState()
{
    if (!L_)
        assertionFailure("Lua State is nil");
}

int LuaState::getTop()
{
    assertState();
    return lua_gettop(L_);
}

void LuaState::setTop(int top)
{
    assertState();
    lua_settop(L_, top);
}

void LuaState::getGlobal(const std::string& name)
{
    assertState();
    lua_getglobal(L_, name.c_str());
}

namespace {
// Indexing a value with no fields raises a Lua error outside any protected
// call, which would panic: such values have no members, so give nil.
bool indexable(lua_State* L, int index)
{
    if (lua_istable(L, index))
        return true;
    if (!lua_getmetatable(L, index))
        return false;
    lua_pop(L, 1);
    return true;
}
}  // namespace

void LuaState::getMember(const char* name)
{
    assertState();
    if (!name)
        assertionFailure("member name string is NULL");
    if (!*name)
        assertionFailure("name is an empty string");
    if (lua_gettop(L_) == 0 || !indexable(L_, -1)) {
        lua_pushnil(L_);
        return;
    }
    lua_getfield(L_, -1, name);
}

void LuaState::getMemberAtIndex(long index)
{
    assertState();
    if (lua_gettop(L_) == 0 || !indexable(L_, -1)) {
        lua_pushnil(L_);
        return;
    }
    lua_pushnumber(L_, static_cast<lua_Number>(index));
    lua_gettable(L_, -2);
}

void LuaState::setMemberAtIndex(KVObject* value, long index)
{
    assertState();
    if (lua_gettop(L_) == 0 || !lua_istable(L_, -1))
        assertionFailure("setMember called, but stack top object is not a table");
    lua_pushnumber(L_, static_cast<lua_Number>(index));
    pushArgument(value);
    lua_settable(L_, -3);
}

void LuaState::setMemberValue(KVObject* value, KVObject* key)
{
    assertState();
    if (lua_gettop(L_) == 0 || !lua_istable(L_, -1))
        assertionFailure("setMemberValue called, but stack top object is not a table");
    pushArgument(key);
    // Lua refuses nil and NaN keys with an error outside any protected call.
    if (lua_isnil(L_, -1) || (lua_isnumber(L_, -1) && lua_tonumber(L_, -1) != lua_tonumber(L_, -1))) {
        lua_pop(L_, 1);
        throw KVObjectException(KVObjectException::InvalidArgument,
                                "cannot store a value under the key " + kvDescription(key));
    }
    pushArgument(value);
    lua_settable(L_, -3);
}

bool LuaState::equal()
{
    assertState();
    return lua_equal(L_, -1, -2) != 0;
}

int LuaState::luaType()
{
    assertState();
    return lua_type(L_, -1);
}

bool LuaState::hasMethod(const std::string& name)
{
    if (!L_)
        return false;
    if (!lua_istable(L_, -1)) {
        KVLogLine("Warning: hasMethod called, but stack top object is not a table");
        return false;
    }
    lua_getfield(L_, -1, name.c_str());
    bool result = lua_isfunction(L_, -1);
    lua_pop(L_, 1);
    return result;
}

void LuaState::pushArgument(KVObject* value)
{
    assertState();
    if (!value) {
        lua_pushnil(L_);
    } else if (auto proxy = dynamic_cast<LuaObject*>(value)) {
        if (proxy->luaState() != this) {
            KVLogLine("LuaState: a LuaObject of another Lua state was passed; nil used instead");
            lua_pushnil(L_);
        } else {
            binder_->dereference(proxy->ref());
        }
    } else if (dynamic_cast<KVNumber*>(value) || dynamic_cast<KVString*>(value)) {
        luaObjc_pushid(L_, value);
    } else if (value == KVNull::null()) {
        lua_pushnil(L_);
    } else {
        luaObjc_pushid(L_, value);
    }
}

void LuaState::pushArguments(const LuaArguments& values)
{
    for (const auto& v : values)
        pushArgument(v.get());
}

Ref<KVObject> LuaState::getStackItem(int index)
{
    assertState();
    if (index < 0 && index > LUA_REGISTRYINDEX)
        index = lua_gettop(L_) + index + 1;  // pushing below must not move it
    switch (lua_type(L_, index)) {
    case LUA_TBOOLEAN:
        return KVNumber::withBool(lua_toboolean(L_, index) != 0);
    case LUA_TNUMBER:
        return KVNumber::withFloat(lua_tonumber(L_, index));
    case LUA_TSTRING: {
        size_t length = 0;
        const char* text = lua_tolstring(L_, index, &length);
        return KVString::withString(std::string(text, length));
    }
    case LUA_TNIL:
        return KVNull::null();
    case LUA_TTABLE:
        if (luaObjc_isid(L_, index))
            return luaObjc_toid(L_, index);
        lua_pushvalue(L_, index);
        return binder_->toLuaObject();
    default:
        return nullptr;  // functions, userdata, threads, no value
    }
}

Ref<KVArray> LuaState::popStack(int count)
{
    assertState();
    int top = lua_gettop(L_);
    if (count > top)
        count = top;
    std::vector<Ref<KVObject>> values;
    for (int i = top - count + 1; i <= top; ++i) {
        Ref<KVObject> value = getStackItem(i);
        if (value)
            values.push_back(std::move(value));
    }
    if (count > 0)
        lua_pop(L_, count);
    return KVArray::withObjects(std::move(values));
}

void LuaState::logStack()
{
    assertState();
    KVLogLine("Lua Stack:");
    int top = lua_gettop(L_);
    for (int i = 1; i <= top; ++i) {
        switch (lua_type(L_, i)) {
        case LUA_TNIL: KVLogLine("%d\tnil", i); break;
        case LUA_TBOOLEAN: KVLogLine("%d\tboolean\t%d", i, lua_toboolean(L_, i) ? 1 : 0); break;
        case LUA_TNUMBER: KVLogLine("%d\tnumber\t%f", i, static_cast<double>(lua_tonumber(L_, i))); break;
        case LUA_TSTRING: KVLogLine("%d\tstring\t%s", i, lua_tostring(L_, i)); break;
        case LUA_TTABLE: KVLogLine("%d\ttable", i); break;
        case LUA_TFUNCTION: KVLogLine("%d\tfunction", i); break;
        case LUA_TUSERDATA: KVLogLine("%d\tuserdata", i); break;
        default: break;  // light userdata and threads print nothing
        }
    }
}

void LuaState::insertErrorHandler()
{
    lua_pushcfunction(L_, luaErrorHandler);
    lua_insert(L_, 1);
}

Ref<KVArray> LuaState::callFunction(const std::string& name, const LuaArguments& args)
{
    Ref<KVArray> result = KVArray::array();
    Access access(*this);
    if (!access)
        return result;
    insertErrorHandler();
    lua_getglobal(L_, name.c_str());
    pushArguments(args);
    kv_pcall(L_, static_cast<int>(args.size()), 1, 1);
    result = popStack(1);
    return result;
}

Ref<KVObject> LuaState::callSimpleFunction(const std::string& name, const LuaArguments& args)
{
    Ref<KVArray> results = callFunction(name, args);
    return results->count() ? results->objectAtIndex(0) : nullptr;
}

Ref<KVArray> LuaState::callMethod(const std::string& method, const std::string& objectName,
                                  const LuaArguments& args)
{
    Ref<KVArray> result = KVArray::array();
    Access access(*this);
    if (!access)
        return result;
    insertErrorHandler();
    lua_getglobal(L_, objectName.c_str());
    getMember(method);
    lua_remove(L_, -2);
    lua_getglobal(L_, objectName.c_str());
    pushArguments(args);
    kv_pcall(L_, static_cast<int>(args.size()) + 1, 1, 1);
    result = popStack(1);
    return result;
}

Ref<KVObject> LuaState::callSimpleMethod(const std::string& method, const std::string& objectName,
                                         const LuaArguments& args)
{
    Ref<KVArray> results = callMethod(method, objectName, args);
    return results->count() ? results->objectAtIndex(0) : nullptr;
}

Ref<KVArray> LuaState::callMethodWithArgs(const std::string& name, const LuaArguments& args)
{
    if (!L_)
        return KVArray::array();
    StackReset reset(L_);
    insertErrorHandler();
    getMember(name);
    pushArguments(args);
    kv_pcall(L_, static_cast<int>(args.size()), 1, 1);
    return popStack(1);
}

void LuaState::doFunctionCall(int argumentCount)
{
    assertState();
    lua_pushcfunction(L_, luaErrorHandler);
    lua_insert(L_, 1);
    try {
        kv_pcall(L_, argumentCount, 1, 1);
    } catch (...) {
        lua_remove(L_, 1);
        throw;
    }
    lua_remove(L_, 1);
}

bool LuaState::syntaxCheck(const std::string& source)
{
    Access access(*this);
    if (!access)
        return false;
    return luaL_loadbuffer(L_, source.data(), source.size(), source.c_str()) == 0;
}

namespace {
// A chunk that does not load would otherwise be "called" as its own error
// message, hiding the real error behind "attempt to call a string value".
void throwLoadError(lua_State* L)
{
    std::string error = errorText(L, -1);
    KVLogLine("Lua Error: %s", error.c_str());
    throw LuaErrorException(error, std::nullopt);
}
}  // namespace

std::optional<std::string> LuaState::doString(const std::string& source)
{
    Access access(*this);
    if (!access)
        return std::nullopt;
    insertErrorHandler();
    if (luaL_loadbuffer(L_, source.data(), source.size(), source.c_str()) != 0)
        throwLoadError(L_);
    kv_pcall(L_, 0, 0, 1);
    if (lua_type(L_, -1) == LUA_TSTRING) {
        size_t length = 0;
        const char* text = lua_tolstring(L_, -1, &length);
        return std::string(text, length);
    }
    return std::nullopt;
}

std::optional<std::string> LuaState::doFile(const std::string& path)
{
    Access access(*this);
    if (!access)
        return std::nullopt;
    insertErrorHandler();
    if (luaL_loadfile(L_, path.c_str()) != 0)
        throwLoadError(L_);
    kv_pcall(L_, 0, 1, 1);
    switch (lua_type(L_, -1)) {
    case LUA_TSTRING: {
        size_t length = 0;
        const char* text = lua_tolstring(L_, -1, &length);
        return std::string(text, length);
    }
    case LUA_TNIL:
        return std::nullopt;
    default:
        return std::string("Result not a string!");
    }
}

std::string LuaState::evaluateExpression(const std::string& expression)
{
    if (!L_)
        return "";
    std::optional<std::string> direct = doString("__result = tostring(" + expression + ")");
    if (direct)
        return *direct;
    Access access(*this);
    if (!access)
        return "";
    lua_getglobal(L_, "__result");
    size_t length = 0;
    const char* text = lua_tolstring(L_, -1, &length);
    return (text && length > 0) ? std::string(text, length) : std::string();
}

Ref<KVObject> LuaState::instanceOfClass(const std::string& className)
{
    Ref<KVObject> result;
    bool isTable = false;
    if (Access access{*this}) {
        lua_getglobal(L_, className.c_str());
        isTable = lua_istable(L_, -1);
    }
    Ref<LuaObject> cls;
    if (isTable)
        cls = Ref<LuaObject>(dynamic_cast<LuaObject*>(globalObject()->valueForKey(className).get()));
    if (cls)
        result = cls->invokeMethod("new");
    else
        KVLogLine("No lua class %s found", className.c_str());
    notificationCenter().post(ObjectCreatedNotification, Ref<KVObject>(this));
    return result;
}

Ref<KVObject> LuaState::instanceOfPrototype(LuaObject* prototype)
{
    Ref<KVObject> result = prototype ? prototype->invokeMethod("new") : nullptr;
    notificationCenter().post(ObjectCreatedNotification, Ref<KVObject>(this));
    return result;
}

Ref<LuaObject> LuaState::globalObject()
{
    if (!L_)
        return nullptr;
    Lock lock(*this);
    if (!globalObject_ && L_) {
        StackReset reset(L_);
        // The globals table itself: "_G" is only there once the base library is open.
        lua_pushvalue(L_, LUA_GLOBALSINDEX);
        globalObject_ = binder_->toLuaObject(/* retainsState */ false);
    }
    return globalObject_;
}

void LuaState::collectGarbage()
{
    if (!L_)
        return;
    Lock lock(*this);
    if (L_)
        lua_gc(L_, LUA_GCCOLLECT, 0);
}

int LuaState::totalMemoryAllocated()
{
    return L_ ? lua_gc(L_, LUA_GCCOUNT, 0) : 0;
}

std::string LuaState::description() const
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "<LuaState %p>", static_cast<const void*>(L_));
    return buffer;
}
