// A fresh engine Lua state with every module open, and a way to run
// script snippets in it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/host/KVEngine.h"

class ScriptModules : public ::testing::Test {
protected:
    void SetUp() override
    {
        state_ = KV_NewState(0);
        ASSERT_NE(state_, nullptr);
        L = state_->L;
        KV_LoadLibs(L);
    }
    void TearDown() override { KV_DestroyState(state_); }

    // Runs the chunk; "" on success, else the error message.
    std::string run(const std::string& chunk)
    {
        if (luaL_dostring(L, chunk.c_str()) == 0)
            return "";
        std::string message = lua_tostring(L, -1);
        lua_pop(L, 1);
        return message;
    }

    // tostring of the expression's value.
    std::string eval(const std::string& expression)
    {
        EXPECT_EQ(run("_r = tostring(" + expression + ")"), "");
        lua_getglobal(L, "_r");
        std::string value = lua_tostring(L, -1);
        lua_pop(L, 1);
        return value;
    }

    KV_State* state_ = nullptr;
    lua_State* L = nullptr;
};
