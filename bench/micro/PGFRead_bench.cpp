// Reading a PGF document of about 1 MB into script tables, as pgf.loadFile does.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/host/KVEngine.h"
#include "tests/support/TempDir.h"

namespace {

// Entries with attributes and a text each, until the document passes 1 MB.
std::string megabyteDocument()
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<level name=\"bench\">\n";
    for (int i = 0; xml.size() < 1024 * 1024; ++i) {
        const std::string n = std::to_string(i);
        xml += "  <actor id=\"" + n + "\" name=\"actor " + n + "\" x=\"" + std::to_string(i % 800) + "\" y=\"" +
               std::to_string(i % 600) + "\">\n    <behaviour kind=\"patrol\">walk left &amp; right " + n +
               "</behaviour>\n  </actor>\n";
    }
    return xml + "</level>\n";
}

void BM_PGFRead1MB(benchmark::State& state)
{
    TempDir dir;
    const std::string path = dir.file("level.xml");
    const std::string document = megabyteDocument();
    writeFile(path, document);
    KV_State* engine = KV_NewState(0);
    lua_State* L = engine->L;
    KV_LoadLibs(L);
    for (auto _ : state) {
        lua_getglobal(L, "pgf");
        lua_getfield(L, -1, "loadFile");
        lua_pushstring(L, path.c_str());
        if (lua_pcall(L, 1, 1, 0) != 0 || !lua_istable(L, -1)) {
            state.SkipWithError("pgf.loadFile failed");
            break;
        }
        lua_pop(L, 2);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(document.size()));
    KV_DestroyState(engine);
}

}  // namespace

BENCHMARK(BM_PGFRead1MB)->Unit(benchmark::kMillisecond);
