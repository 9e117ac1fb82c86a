// The pooled allocator against the system's on a script that allocates
// hard: small tables, strings and closures, most of them garbage at once.
#include <benchmark/benchmark.h>

#include "engine/host/KVEngine.h"

namespace {

const char kChurn[] = R"(
return function()
  local keep = {}
  for i = 1, 20000 do
    keep[i % 512 + 1] = { i, tostring(i), x = i * 0.5, f = function() return i end }
  end
  local parts = {}
  for i = 1, 2000 do parts[#parts + 1] = "item " .. i end
  return #table.concat(parts, ",")
end
)";

void churn(benchmark::State& state, int mode)
{
    KV_State* engine = KV_NewState(mode);
    lua_State* L = engine->L;
    luaL_openlibs(L);
    if (luaL_loadstring(L, kChurn) != 0 || lua_pcall(L, 0, 1, 0) != 0) {
        state.SkipWithError(lua_tostring(L, -1));
        KV_DestroyState(engine);
        return;
    }
    const int function = lua_gettop(L);
    for (auto _ : state) {
        lua_pushvalue(L, function);
        if (lua_pcall(L, 0, 1, 0) != 0) {
            state.SkipWithError(lua_tostring(L, -1));
            break;
        }
        benchmark::DoNotOptimize(lua_tonumber(L, -1));
        lua_pop(L, 1);
    }
    KV_DestroyState(engine);
}

void BM_LuaChurnSystemAllocator(benchmark::State& state) { churn(state, 0); }
void BM_LuaChurnPoolAllocator(benchmark::State& state) { churn(state, 1); }

}  // namespace

BENCHMARK(BM_LuaChurnSystemAllocator)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LuaChurnPoolAllocator)->Unit(benchmark::kMillisecond);
