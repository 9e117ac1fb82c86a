#include "engine/host/KVDatabase.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "engine/host/KVEngine.h"
#include "tests/support/TempDir.h"

namespace {

class SavedValues : public ::testing::Test {
protected:
    void SetUp() override
    {
        savePath = dir.file("save.data");
        state = KV_NewState(0);
        const std::string script = "function shutdownEngine() "
                                   "  lateLoad = database.loadValueForKey('k') "
                                   "  database.storeValueForKey('v', 'late') "
                                   "  lateDir = database.getTablesDirectoryPath() "
                                   "end";
        KV_InitFromBuffer(state, script.data(), script.size(), savePath.c_str());
    }
    void TearDown() override { KV_DestroyState(state); }

    void run(const char* code) { ASSERT_EQ(luaL_dostring(state->L, code), 0) << lua_tostring(state->L, -1); }
    std::string global(const char* name)
    {
        lua_getglobal(state->L, name);
        const char* text = lua_tostring(state->L, -1);
        std::string value = text ? std::string(text) + ":" + lua_typename(state->L, lua_type(state->L, -1)) : "nil";
        lua_pop(state->L, 1);
        return value;
    }
    int rowsFor(const std::string& key)
    {
        sqlite3* db = nullptr;
        sqlite3_open(databaseFile().c_str(), &db);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT count(*) FROM savedValues WHERE key = ?", -1, &statement, nullptr);
        sqlite3_bind_text(statement, 1, key.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(statement);
        const int rows = sqlite3_column_int(statement, 0);
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return rows;
    }
    std::string databaseFile() const { return savePath + "persistent.save"; }

    TempDir dir;
    std::string savePath;
    KV_State* state = nullptr;
};

TEST_F(SavedValues, ValuesAreTextKeysAreQuotedAndShutdownComesAfterTheDatabase)
{
    run("database.storeValueForKey(0.5, \"it's\") "
        "database.storeValueForKey('first', 'twice') database.storeValueForKey('second', 'twice') "
        "a = database.loadValueForKey(\"it's\") b = database.loadValueForKey('twice') "
        "c = database.loadValueForKey('x', 'ignored', \"it's\")");
    // Values read back as text (the player's two runs show a number stored).
    EXPECT_EQ(global("a"), "0.5:string");
    EXPECT_EQ(global("b"), "second:string");
    EXPECT_EQ(global("c"), "0.5:string") << "the key is the last argument";
    EXPECT_EQ(rowsFor("twice"), 1);
    EXPECT_EQ(rowsFor("it's"), 1);

    KV_DestroyState(state);
    state = nullptr;
    // shutdownEngine ran after the database closed: its calls answered nil and
    // stored nothing (AddressSanitizer would see any use of the freed handle).
    EXPECT_EQ(rowsFor("late"), 0);
    EXPECT_EQ(rowsFor("twice"), 1);
}

// Exactly one value, so tonumber(database.loadValueForKey(k)) works in a
// fresh install; a value without text forgets the key.
TEST_F(SavedValues, LoadsAnswerOneValueAndValuesWithoutTextForgetTheKey)
{
    run("function count(...) return select('#', ...) end "
        "fresh = count(database.loadValueForKey('score')) .. count(database.loadValueForKey()) .. "
        "        count(database.loadValueForKey({})) "
        "database.storeValueForKey('v', nil) database.storeValueForKey() database.storeValueForKey(nil, 'k')");
    EXPECT_EQ(global("fresh"), "111:string");
    EXPECT_FALSE(fileExists(databaseFile()));

    run("forgotten = '' "
        "local values = {n = 4, nil, true, print, 'lone key'} "
        "for i = 1, values.n do "
        "  database.storeValueForKey('kept', 'k') "
        "  if i < 4 then database.storeValueForKey(values[i], 'k') else database.storeValueForKey('k') end "
        "  forgotten = forgotten .. tostring(database.loadValueForKey('k')) .. count(database.loadValueForKey('k')) "
        "end");
    EXPECT_EQ(global("forgotten"), "nil1nil1nil1nil1:string");
    EXPECT_EQ(rowsFor("k"), 0);
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
    ASSERT_EQ(luaL_dostring(state->L, "database.storeValueForKey('v', 'k') "
                                      "assert(database.loadValueForKey('k') == nil) "
                                      "assert(select('#', database.getTablesDirectoryPath()) == 1) "
                                      "assert(database.getTablesDirectoryPath() == nil)"),
              0)
        << lua_tostring(state->L, -1);
    KV_DestroyState(state);

    // 1008 bytes is the longest accepted.
    const std::string limit = dir.path() + "/" + std::string(1008 - dir.path().size() - 1, 'b');
    state = KV_NewState(0);
    KV_InitFromBuffer(state, "", 0, limit.c_str());
    EXPECT_NE(state->database, nullptr);
    KV_DestroyState(state);
}

}  // namespace
