// Engine scripts precompiled by kvluac, as published games ship them.
#include <gtest/gtest.h>

#include "engine/host/KVEngine.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kLuac = std::string(KV_BUILD_DIR) + "/kvluac";
const std::string kHeader("\x1B\x4C\x75\x61\x51\x00\x01\x04\x08\x04\x04\x00", 12);

std::string precompile(const TempDir& dir, const std::string& source, std::vector<std::string> options = {})
{
    writeFile(dir.file("engine.lua"), source);
    std::vector<std::string> argv = {kLuac};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.insert(argv.end(), {"-o", dir.file("engine64.luo"), dir.file("engine.lua")});
    const ProgramResult result = runProgram(argv);
    EXPECT_EQ(result.status, 0) << result.err;
    return readFile(dir.file("engine64.luo"));
}

TEST(Precompiled, ChunksCarryTheFloatHeaderAndRun)
{
    TempDir dir;
    for (const auto& options : {std::vector<std::string>{}, std::vector<std::string>{"-s"}}) {
        const std::string chunk = precompile(dir, "function initEngine() answer = 16777217 + 0.5 end", options);
        ASSERT_GE(chunk.size(), 12u);
        EXPECT_EQ(chunk.substr(0, 12), kHeader);

        KV_State* state = KV_NewState(0);
        testing::internal::CaptureStderr();
        KV_Init(state, dir.file("engine64.luo").c_str(), nullptr);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        lua_getglobal(state->L, "answer");
        EXPECT_EQ(lua_tonumber(state->L, -1), 16777216.0f);
        KV_DestroyState(state);
    }
}

TEST(Precompiled, DoublePrecisionChunksAreRefused)
{
    TempDir dir;
    std::string chunk = precompile(dir, "loaded = true");
    chunk[10] = 8;  // what a luac with double numbers writes for sizeof(lua_Number)
    writeFile(dir.file("double.luo"), chunk);

    KV_State* state = KV_NewState(0);
    testing::internal::CaptureStderr();
    KV_Init(state, dir.file("double.luo").c_str(), nullptr);
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("bad header"), std::string::npos) << message;
    lua_getglobal(state->L, "loaded");
    EXPECT_TRUE(lua_isnil(state->L, -1));
    KV_DestroyState(state);
}

}  // namespace
