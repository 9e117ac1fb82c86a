// Engine scripts precompiled by kvluac, as published games ship them.
#include <gtest/gtest.h>

#include <tuple>

#include "engine/host/KVEngine.h"
#include "tests/support/LuaChunk.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace {

// Our chunks carry single-precision numbers; one from a luac with double
// numbers (8 in the header's sizeof(lua_Number) byte) must not load.
TEST(Precompiled, SinglePrecisionChunksRunAndDoubleOnesAreRefused)
{
    TempDir dir;
    writeFile(dir.file("engine.lua"), "function initEngine() answer = 16777217 + 0.5 end");
    const ProgramResult luac =
        runProgram({std::string(KV_BUILD_DIR) + "/kvluac", "-o", dir.file("engine64.luo"), dir.file("engine.lua")});
    ASSERT_EQ(luac.status, 0) << luac.err;
    std::string chunk = readFile(dir.file("engine64.luo"));
    ASSERT_GE(chunk.size(), 12u);
    chunk[10] = 8;
    writeFile(dir.file("double.luo"), chunk);
    for (const auto& [file, answer, message] :
         {std::tuple{"engine64.luo", "16777216", ""}, std::tuple{"double.luo", "nil", "bad header"}}) {
        KV_State* state = KV_NewState(0);
        testing::internal::CaptureStderr();
        KV_Init(state, dir.file(file).c_str(), nullptr);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(runLuaChunk(state->L, std::string("assert(answer == ") + answer + ")"), "") << file;
        EXPECT_NE(log.find(message), std::string::npos) << log;
        EXPECT_EQ(log.empty(), !*message) << log;
        KV_DestroyState(state);
    }
}

}  // namespace
