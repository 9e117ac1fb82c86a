// The "assetManager" script module. A manager is a userdata holding the
// native pointer, whose metatable "AssetManager.MT" has the module as its
// __index, so scripts call the functions as methods. It has no __gc: the
// manager lives until the script deletes it. A function that takes the
// manager and one argument reads them from the two topmost stack slots; one
// that takes only the manager reads the topmost. A call with something that
// is not a live manager, or a name that is not text, prints one line and does
// nothing.
#include <cstdio>
#include <set>
#include <string>

#include "engine/assets/KVEngineAssetManager.h"
#include "engine/host/KVBinding.h"

namespace {

const char kMetatable[] = "AssetManager.MT";

// The userdata's pointer slot, or null when the value is not a manager.
KVEngineAssetManager** managerSlot(lua_State* L, int index)
{
    return static_cast<KVEngineAssetManager**>(kvToUserdata(L, index, kMetatable));
}

// The live manager `fromTop` slots below the top (0: the top), or null after
// printing why not.
KVEngineAssetManager* checkManager(lua_State* L, int fromTop, const char* function)
{
    const int index = lua_gettop(L) - fromTop;
    KVEngineAssetManager** slot = index >= 1 ? managerSlot(L, index) : nullptr;
    if (!slot)
        fprintf(stderr, "assetManager.%s: called without an asset manager; nothing done\n", function);
    else if (!*slot)
        fprintf(stderr, "assetManager.%s: the asset manager was deleted; nothing done\n", function);
    return slot ? *slot : nullptr;
}

// Reads the value on top as a name; false, after a message, for a value that
// is neither a string nor a number.
bool readName(lua_State* L, int index, const char* function, std::string* name)
{
    const int type = lua_type(L, index);
    if (type != LUA_TSTRING && type != LUA_TNUMBER) {
        fprintf(stderr, "assetManager.%s: a name must be a string, not %s; skipped\n", function,
                lua_typename(L, type));
        return false;
    }
    size_t length = 0;
    const char* text = lua_tolstring(L, index, &length);
    name->assign(text, length);
    return true;
}

// Calls body(manager, name) with the manager below the name on the stack.
template <typename Body>
int withName(lua_State* L, const char* function, Body body)
{
    std::string name;
    if (KVEngineAssetManager* manager = checkManager(L, 1, function))
        if (readName(L, -1, function, &name))
            body(*manager, name);
    return 0;
}

// Calls body(manager, names) with the manager below a name list: the list's
// values (keys ignored, duplicates collapsed).
template <typename Body>
int withNameList(lua_State* L, const char* function, Body body)
{
    KVEngineAssetManager* manager = checkManager(L, 1, function);
    if (!manager)
        return 0;
    const int list = lua_gettop(L);
    if (!lua_istable(L, list)) {
        fprintf(stderr, "assetManager.%s: a name list must be a table, not %s; nothing done\n", function,
                luaL_typename(L, list));
        return 0;
    }
    std::set<std::string> names;
    lua_pushnil(L);
    while (lua_next(L, list)) {
        // Converted on a copy: lua_tolstring on the value itself would
        // turn a number into a string in the table.
        lua_pushvalue(L, -1);
        std::string name;
        if (readName(L, -1, function, &name))
            names.insert(name);
        lua_pop(L, 2);
    }
    body(*manager, names);
    return 0;
}

// Calls body(manager) with the manager on top.
template <typename Body>
int withManager(lua_State* L, const char* function, Body body)
{
    if (KVEngineAssetManager* manager = checkManager(L, 0, function))
        return body(*manager);
    return 0;
}

// A table of the map's names, ascending, at integer keys from 0.
template <typename Map>
int pushNames(lua_State* L, const Map& assets)
{
    lua_createtable(L, static_cast<int>(assets.size()), 0);
    int key = 0;
    for (const auto& entry : assets) {
        lua_pushlstring(L, entry.first.data(), entry.first.size());
        lua_rawseti(L, -2, key++);
    }
    return 1;
}

int am_new(lua_State* L)
{
    auto** slot = static_cast<KVEngineAssetManager**>(lua_newuserdata(L, sizeof(KVEngineAssetManager*)));
    *slot = nullptr;
    luaL_getmetatable(L, kMetatable);
    lua_setmetatable(L, -2);
    *slot = new KVEngineAssetManager(L);
    return 1;
}

int am_delete(lua_State* L)
{
    KVEngineAssetManager** slot = lua_gettop(L) >= 1 ? managerSlot(L, -1) : nullptr;
    if (!slot) {
        fprintf(stderr, "assetManager.delete: called without an asset manager; nothing done\n");
        return 0;
    }
    // Cleared first, so that nothing reached from the destructor finds
    // a half-destroyed manager.
    KVEngineAssetManager* manager = *slot;
    *slot = nullptr;
    delete manager;
    return 0;
}

int am_flushAssets(lua_State* L)
{
    // A deleted manager is silently left alone: scripts flush every frame.
    KVEngineAssetManager** slot = lua_gettop(L) >= 1 ? managerSlot(L, -1) : nullptr;
    if (slot && *slot)
        (*slot)->flushAssets();
    return 0;
}

int am_reloadAllImages(lua_State* L)
{
    return withManager(L, "reloadAllImages", [](KVEngineAssetManager& m) { m.reloadAllImages(); return 0; });
}

int am_unloadAllImages(lua_State* L)
{
    return withManager(L, "unloadAllImages", [](KVEngineAssetManager& m) { m.unloadAllImages(); return 0; });
}

// Kept for the shell's sequence of releasing GL resources.
int am_clearForFreedImages(lua_State*)
{
    return 0;
}

int am_imageNames(lua_State* L)
{
    return withManager(L, "imageNames", [L](KVEngineAssetManager& m) { return pushNames(L, m.getImages()); });
}

int am_loadImageForName(lua_State* L)
{
    return withName(L, "loadImageForName", [](KVEngineAssetManager& m, const std::string& name) {
        m.loadImageForName(name);
    });
}

int am_unloadImage(lua_State* L)
{
    return withName(L, "unloadImage", [](KVEngineAssetManager& m, const std::string& name) { m.unloadImage(name); });
}

int am_soundNames(lua_State* L)
{
    return withManager(L, "soundNames", [L](KVEngineAssetManager& m) { return pushNames(L, m.getSounds()); });
}

int am_loadSoundForName(lua_State* L)
{
    return withName(L, "loadSoundForName", [](KVEngineAssetManager& m, const std::string& name) {
        m.loadSoundForName(name);
    });
}

int am_unloadSound(lua_State* L)
{
    return withName(L, "unloadSound", [](KVEngineAssetManager& m, const std::string& name) { m.unloadSound(name); });
}

int am_cleanupAndLoadSounds(lua_State* L)
{
    return withNameList(L, "cleanupAndLoadSounds", [](KVEngineAssetManager& m, const std::set<std::string>& names) {
        m.cleanupUnusedSounds(names);
        m.loadNewSounds(names);
    });
}

int am_cleanupUnusedSounds(lua_State* L)
{
    return withNameList(L, "cleanupUnusedSounds", [](KVEngineAssetManager& m, const std::set<std::string>& names) {
        m.cleanupUnusedSounds(names);
    });
}

int am_loadSounds(lua_State* L)
{
    return withNameList(L, "loadSounds",
                        [](KVEngineAssetManager& m, const std::set<std::string>& names) { m.loadNewSounds(names); });
}

int am_cleanupAndLoadImages(lua_State* L)
{
    return withNameList(L, "cleanupAndLoadImages", [](KVEngineAssetManager& m, const std::set<std::string>& names) {
        m.cleanupUnusedImages(names);
        m.loadNewImages(names);
    });
}

int am_cleanupUnusedImages(lua_State* L)
{
    return withNameList(L, "cleanupUnusedImages", [](KVEngineAssetManager& m, const std::set<std::string>& names) {
        m.cleanupUnusedImages(names);
    });
}

int am_loadImages(lua_State* L)
{
    return withNameList(L, "loadImages",
                        [](KVEngineAssetManager& m, const std::set<std::string>& names) { m.loadNewImages(names); });
}

const luaL_Reg functions[] = {
    {"new", am_new},
    {"delete", am_delete},
    {"reloadAllImages", am_reloadAllImages},
    {"loadImageForName", am_loadImageForName},
    {"loadSoundForName", am_loadSoundForName},
    {"unloadImage", am_unloadImage},
    {"unloadAllImages", am_unloadAllImages},
    {"clearForFreedImages", am_clearForFreedImages},
    {"unloadSound", am_unloadSound},
    {"imageNames", am_imageNames},
    {"soundNames", am_soundNames},
    {"cleanupAndLoadImages", am_cleanupAndLoadImages},
    {"cleanupUnusedImages", am_cleanupUnusedImages},
    {"cleanupAndLoadSounds", am_cleanupAndLoadSounds},
    {"cleanupUnusedSounds", am_cleanupUnusedSounds},
    {"loadImages", am_loadImages},
    {"loadSounds", am_loadSounds},
    {"flushAssets", am_flushAssets},
    {nullptr, nullptr},
};

const KVModule kModule{"assetManager", KVFailure::report};

}  // namespace

int luaopen_assetManager(lua_State* L)
{
    kvOpenModule(L, "assetManager", kModule, functions);
    kvMethodsMetatable(L, kMetatable);
    lua_pop(L, 1);
    return 1;
}
