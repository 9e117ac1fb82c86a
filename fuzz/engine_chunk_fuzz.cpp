// Fuzz target for engine scripts as they reach the player: Lua source or a
// precompiled chunk, damaged or hostile. Loading must give a chunk or an
// error message, never a crash; a chunk that loads is dumped and must load
// again. Nothing is run: precompiled code is trusted once it loads.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/host/kv_lua.h"

namespace {

// The system allocator with a ceiling, so that a damaged size field gives
// Lua's "not enough memory" rather than the fuzzer's out-of-memory report.
void* limitedAlloc(void*, void* block, size_t, size_t newSize)
{
    if (newSize == 0) {
        std::free(block);
        return nullptr;
    }
    if (newSize > (64u << 20))
        return nullptr;
    return std::realloc(block, newSize);
}

int appendChunk(lua_State*, const void* data, size_t size, void* out)
{
    static_cast<std::string*>(out)->append(static_cast<const char*>(data), size);
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    lua_State* L = lua_newstate(limitedAlloc, nullptr);
    if (!L)
        std::abort();
    const int status = luaL_loadbuffer(L, reinterpret_cast<const char*>(data), size, "engine.luo");
    if (status != 0) {
        if (!lua_isstring(L, -1) || std::strlen(lua_tostring(L, -1)) == 0)
            std::abort();
    } else {
        std::string dumped;
        lua_dump(L, appendChunk, &dumped);
        if (luaL_loadbuffer(L, dumped.data(), dumped.size(), "engine.luo") != 0)
            std::abort();
    }
    lua_close(L);
    return 0;
}
