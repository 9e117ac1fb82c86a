// Native methods that the engine script calls by name through
// callbacks.callExternalFunction(name, ...). Each Lua state has its own table
// of registrations; the script's arguments are converted by the types the
// method declares, and its result back to one Lua value.
//
// A registered method's first explicit parameter is the registration's
// context pointer ("^v"), the script's arguments fill the others. Parameter
// types converted: "@" (a Lua string or number becomes a string object),
// "i", "I", "d", "f", "c" (BOOL); results: "@", "i", "I", "d", "f", "c".
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/host/kv_lua.h"
#include "platform/objects/KVObject.h"

// The codes of the platform's type encodings that the table converts.
constexpr const char* OBJC_TYPE_ID = "@";
constexpr const char* OBJC_TYPE_INT = "i";
constexpr const char* OBJC_TYPE_UNSIGNED_INT = "I";
constexpr const char* OBJC_TYPE_DOUBLE = "d";
constexpr const char* OBJC_TYPE_FLOAT = "f";
constexpr const char* OBJC_TYPE_BOOL = "c";
// Encodings match when their first characters do.
bool objcTypeMatches(const char* a, const char* b);

class KVExternalFunctionTable {
public:
    struct Action {
        Ref<KVObject> target;
        std::string selector;
        void* context = nullptr;
    };

    // The state's table, made and registered on first use.
    static std::shared_ptr<KVExternalFunctionTable> externalFunctionTableForState(lua_State* L);
    // Drops the state's table and its registrations; call it when the state
    // closes, so a later state at the same address starts empty.
    static void destroyExternalFunctionTableForState(lua_State* L);

    // Stores the action under the name, replacing an earlier one. Refused,
    // with a log line, when the target is null or has no such method, or the
    // method does not take the context pointer as its first argument.
    bool registerTarget(KVObject* target, void* context, const std::string& selector, const std::string& name);
    // One target and context for several (name, selector) pairs, in order.
    void registerTarget(KVObject* target, void* context,
                        const std::vector<std::pair<std::string, std::string>>& actions);

    bool hasFunction(const std::string& name) const;

    // Runs the call whose name and arguments are on L's stack (1 .. n);
    // returns the number of results pushed (0 or 1).
    int performCall(lua_State* L);

private:
    mutable std::mutex mutex_;
    std::map<std::string, Action> functions_;
};

// For the engine state's external-function slot: the context is ignored.
int callExternalFunction(void* externalContext, lua_State* L);
