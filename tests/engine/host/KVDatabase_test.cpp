#include "engine/host/KVDatabase.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <optional>

#include "engine/host/KVEngine.h"
#include "tests/support/LuaChunk.h"
#include "tests/support/TempDir.h"

namespace {

class SavedValues : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string script = "function shutdownEngine() "
                                   "  lateLoad = database.loadValueForKey('k') "
                                   "  database.storeValueForKey('v', 'late') "
                                   "  lateDir = database.getTablesDirectoryPath() "
                                   "end";
        KV_InitFromBuffer(lua->engine, script.data(), script.size(), savePath.c_str());
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
    std::optional<LuaTestState> lua{std::in_place};
};

// Exactly one value, so tonumber(database.loadValueForKey(k)) works in a
// fresh install; a value without text forgets the key.
TEST_F(SavedValues, ValuesAreTextLoadsAnswerOneValueAndShutdownComesAfterTheDatabase)
{
    ASSERT_EQ(lua->run("function count(...) return select('#', ...) end database.storeValueForKey('v', nil)"
                       " database.storeValueForKey() database.storeValueForKey(nil, 'k')"),
              "");
    EXPECT_EQ(lua->eval("count(database.loadValueForKey('score')) .. count(database.loadValueForKey()) .."
                        " count(database.loadValueForKey({}))"),
              "111");
    EXPECT_FALSE(fileExists(savePath + "persistent.save"));

    ASSERT_EQ(lua->run(R"(
        local values = {n = 4, nil, true, print, 'lone key'}
        forgotten = ''
        for i = 1, values.n do
            database.storeValueForKey('kept', 'k')
            if i < 4 then database.storeValueForKey(values[i], 'k') else database.storeValueForKey('k') end
            forgotten = forgotten .. tostring(database.loadValueForKey('k')) .. count(database.loadValueForKey('k'))
        end)"),
              "");
    EXPECT_EQ(lua->eval("forgotten"), "nil1nil1nil1nil1");

    ASSERT_EQ(lua->run("database.storeValueForKey(0.5, \"it's\") "
                       "database.storeValueForKey('first', 'twice') database.storeValueForKey('second', 'twice') "
                       "a = database.loadValueForKey(\"it's\") b = database.loadValueForKey('twice') "
                       "c = database.loadValueForKey('x', 'ignored', \"it's\")"),
              "");
    // Values read back as text (the player's two runs show a number stored);
    // the key is the last argument; 'k' was forgotten.
    EXPECT_EQ(lua->eval("type(a) .. ' ' .. a .. ' ' .. b .. ' ' .. c"), "string 0.5 second 0.5");
    EXPECT_EQ(keys(), "it's,twice");

    lua.reset();
    // shutdownEngine ran after the database closed: its calls answered nil and
    // stored nothing (AddressSanitizer would see any use of the freed handle).
    EXPECT_EQ(keys(), "it's,twice");
}

TEST(SavedValuesPath, TooLongSavePathRunsWithoutADatabase)
{
    TempDir dir;
    {
        LuaTestState lua;
        testing::internal::CaptureStderr();
        KV_InitFromBuffer(lua.engine, "", 0, (dir.path() + "/" + std::string(1010, 'a')).c_str());
        const std::string message = testing::internal::GetCapturedStderr();
        EXPECT_NE(message.find("save path too long"), std::string::npos) << message;
        EXPECT_EQ(lua.engine->database, nullptr);
        EXPECT_EQ(lua.run("database.storeValueForKey('v', 'k') assert(database.loadValueForKey('k') == nil)"
                          " assert(select('#', database.getTablesDirectoryPath()) == 1)"
                          " assert(database.getTablesDirectoryPath() == nil)"),
                  "");
    }
    // 1008 bytes is the longest accepted.
    LuaTestState lua;
    KV_InitFromBuffer(lua.engine, "", 0, (dir.path() + "/" + std::string(1008 - dir.path().size() - 1, 'b')).c_str());
    EXPECT_NE(lua.engine->database, nullptr);
}

}  // namespace
