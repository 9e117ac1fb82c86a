#include "tests/support/ScriptMisuse.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/LuaChunk.h"

void expectMisuseAnswered(lua_State* L, const ScriptMisuseCase& c)
{
    SCOPED_TRACE(c.call);
    const std::string code = std::string(R"(
        local function answers(...)
          local out = {}
          for i = 1, select("#", ...) do
            local v = select(i, ...)
            out[i] = type(v) == "userdata" and "userdata" or tostring(v)
          end
          return table.concat(out, " ")
        end
        misuseAnswers = answers()") + c.call + ")";
    testing::internal::CaptureStderr();
    EXPECT_EQ(runLuaChunk(L, code), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string(c.line) + "\n");
    lua_getglobal(L, "misuseAnswers");
    EXPECT_STREQ(lua_tostring(L, -1), c.answers);
    lua_pop(L, 1);
}
