#include "engine/host/KVDatabase.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "engine/host/KVEngine.h"
#include "tests/support/LuaChunk.h"
#include "tests/support/TempDir.h"

namespace {

class SavedValues : public ::testing::Test {
protected:
    void SetUp() override
    {
        state = KV_NewState(0);
        const std::string script = "function shutdownEngine() "
                                   "  lateLoad = database.loadValueForKey('k') "
                                   "  database.storeValueForKey('v', 'late') "
                                   "  lateDir = database.getTablesDirectoryPath() "
                                   "end";
        KV_InitFromBuffer(state, script.data(), script.size(), savePath.c_str());
    }
    void TearDown() override { KV_DestroyState(state); }

    // Runs the chunk, then answers the expression's value as text.
    std::string run(const std::string& chunk, const char* expression)
    {
        EXPECT_EQ(runLuaChunk(state->L, chunk + " _result = tostring(" + expression + ")"), "");
        lua_getglobal(state->L, "_result");
        const std::string value = lua_tostring(state->L, -1) ? lua_tostring(state->L, -1) : "(failed)";
        lua_pop(state->L, 1);
        return value;
    }
    // Every saved key, in order, straight from the file.
    std::string keys()
    {
        sqlite3* db = nullptr;
        sqlite3_stmt* query = nullptr;
        sqlite3_open_v2((savePath + "persistent.save").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_prepare_v2(db, "SELECT group_concat(key, ',') FROM (SELECT key FROM savedValues ORDER BY key)", -1,
                           &query, nullptr);
        const unsigned char* text = sqlite3_step(query) == SQLITE_ROW ? sqlite3_column_text(query, 0) : nullptr;
        const std::string out = text ? reinterpret_cast<const char*>(text) : "";
        sqlite3_finalize(query);
        sqlite3_close(db);
        return out;
    }

    TempDir dir;
    const std::string savePath = dir.file("save.data");
    KV_State* state = nullptr;
};

TEST_F(SavedValues, ValuesAreTextKeysAreQuotedAndShutdownComesAfterTheDatabase)
{
    // Values read back as text (the player's two runs show a number stored);
    // the key is the last argument.
    EXPECT_EQ(run("database.storeValueForKey(0.5, \"it's\") "
                  "database.storeValueForKey('first', 'twice') database.storeValueForKey('second', 'twice') "
                  "a = database.loadValueForKey(\"it's\") b = database.loadValueForKey('twice') "
                  "c = database.loadValueForKey('x', 'ignored', \"it's\")",
                  "type(a) .. ' ' .. a .. ' ' .. b .. ' ' .. c"),
              "string 0.5 second 0.5");
    EXPECT_EQ(keys(), "it's,twice");

    KV_DestroyState(state);
    state = nullptr;
    // shutdownEngine ran after the database closed: its calls answered nil and
    // stored nothing (AddressSanitizer would see any use of the freed handle).
    EXPECT_EQ(keys(), "it's,twice");
}

// Exactly one value, so tonumber(database.loadValueForKey(k)) works in a
// fresh install; a value without text forgets the key.
TEST_F(SavedValues, LoadsAnswerOneValueAndValuesWithoutTextForgetTheKey)
{
    EXPECT_EQ(run("function count(...) return select('#', ...) end "
                  "database.storeValueForKey('v', nil) database.storeValueForKey() database.storeValueForKey(nil, 'k')",
                  "count(database.loadValueForKey('score')) .. count(database.loadValueForKey()) .. "
                  "count(database.loadValueForKey({}))"),
              "111");
    EXPECT_FALSE(fileExists(savePath + "persistent.save"));

    EXPECT_EQ(run("forgotten = '' "
                  "local values = {n = 4, nil, true, print, 'lone key'} "
                  "for i = 1, values.n do "
                  "  database.storeValueForKey('kept', 'k') "
                  "  if i < 4 then database.storeValueForKey(values[i], 'k') else database.storeValueForKey('k') end "
                  "  forgotten = forgotten .. tostring(database.loadValueForKey('k')) .. count(database.loadValueForKey('k')) "
                  "end",
                  "forgotten"),
              "nil1nil1nil1nil1");
    EXPECT_TRUE(fileExists(savePath + "persistent.save"));
    EXPECT_EQ(keys(), "");
}

TEST(SavedValuesPath, TooLongSavePathRunsWithoutADatabase)
{
    TempDir dir;
    const std::string longPath = dir.path() + "/" + std::string(1010, 'a');
    KV_State* state = KV_NewState(0);
    testing::internal::CaptureStderr();
    KV_InitFromBuffer(state, "", 0, longPath.c_str());
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("save path too long"), std::string::npos) << message;
    EXPECT_EQ(state->database, nullptr);
    EXPECT_EQ(runLuaChunk(state->L, "database.storeValueForKey('v', 'k') assert(database.loadValueForKey('k') == nil)"
                                    " assert(select('#', database.getTablesDirectoryPath()) == 1)"
                                    " assert(database.getTablesDirectoryPath() == nil)"),
              "");
    KV_DestroyState(state);

    // 1008 bytes is the longest accepted.
    const std::string limit = dir.path() + "/" + std::string(1008 - dir.path().size() - 1, 'b');
    state = KV_NewState(0);
    KV_InitFromBuffer(state, "", 0, limit.c_str());
    EXPECT_NE(state->database, nullptr);
    KV_DestroyState(state);
}

}  // namespace
