// The player killed (SIGKILL) at random moments while its script saves two
// data tables and two saved values over and over: afterwards every table file
// and the saved-values database hold an old or the new complete version,
// never a torn or empty one. A program of its own, as 200 runs of the player
// take longer than the other tests may.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <regex>

#include "engine/host/KVDatabase.h"
#include "engine/tables/KVTable.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestBundle.h"

namespace {

const std::string kPlayer = std::string(KV_BUILD_DIR) + "/kelvane-player";
constexpr int kKills = 200;

// Each save writes "n:" a long run of x ":n" with a rising n.
const char* kEngine = R"(
local dir = database.getTablesDirectoryPath()
local n = tonumber(database.loadValueForKey("counter") or "0")
local pad = string.rep("x", 20000)
local tables = {tableHelper.Tables.new(), tableHelper.Tables.new()}
local said = false
function update(dt)
  for i = 1, 5 do
    n = n + 1
    local value = n .. ":" .. pad .. ":" .. n
    for k, t in ipairs(tables) do
      tableHelper.Tables.setValue(t, "1", "1", value)
      tableHelper.Tables.saveTableToDatabase(dir, t, "table" .. k)
    end
    database.storeValueForKey(value, "payload")
    database.storeValueForKey(n, "counter")
    if not said then said = true print("saving") end
  end
end
)";

// The n of a complete value, or -1.
long completeValue(const std::string& value)
{
    static const std::regex pattern("([0-9]+):x{20000}:([0-9]+)");
    std::smatch match;
    if (!std::regex_match(value, match, pattern) || match[1] != match[2])
        return -1;
    return std::stol(match[1]);
}

// Starts the player and kills it a random while after its first save; the
// shell answers the player's end as it saw it (137: killed).
void runAndKill(const std::string& bundle, const std::string& saves, std::mt19937& random)
{
    const std::string out = saves + ".out";
    const std::string command =
        "'" + kPlayer + "' --headless --save-dir '" + saves + "' '" + bundle + "' > '" + out + "' 2> /dev/null & p=$!; " +
        "until grep -q saving '" + out + "'; do kill -0 $p 2> /dev/null || break; sleep 0.002; done; " +
        "sleep " + std::to_string(std::uniform_int_distribution<int>(0, 40000)(random) / 1e6) +
        "; kill -KILL $p; wait $p; echo $?";
    FILE* shell = popen(command.c_str(), "r");
    ASSERT_NE(shell, nullptr);
    char status[16] = "";
    fgets(status, sizeof status, shell);
    pclose(shell);
    ASSERT_STREQ(status, "137\n") << "the player ended before it was killed: " << readFile(out);
}

// The saved value of the key as a game reads it ("" when absent or
// unreadable); opening rolls back what a killed writer left half done.
std::string savedValue(const std::string& database, const char* key)
{
    KVDatabase* db = KVDatabaseOpen(database.c_str());
    const std::string value = KVDatabaseLoadValue(db, key).value_or("");
    KVDatabaseClose(db);
    return value;
}

// SQLite's own check of the whole file: damage that leaves both keys
// readable is still damage.
std::string integrity(const std::string& database)
{
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    std::string check;
    if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        check = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return check;
}

}  // namespace

TEST(KillDuringSave, EveryFileIsAnOldOrTheNewCompleteVersion)
{
    TempDir dir;
    const std::string bundle = writeBundle(dir.path(), "Saver", kEngine);
    const std::string saves = dir.file("saves");
    std::mt19937 random(std::random_device{}());

    // The last n seen in each table, the payload and the counter.
    long last[4] = {0, 0, 0, 0};
    for (int kill = 0; kill < kKills; ++kill) {
        runAndKill(bundle, saves, random);
        if (testing::Test::HasFatalFailure())
            return;
        long now[4];
        for (int k = 0; k < 2; ++k) {
            const std::string path = saves + "/save.datatable" + std::to_string(k + 1) + ".xml";
            KVTable table;
            ASSERT_TRUE(table.loadTable(path)) << "run " << kill << ": " << path;
            now[k] = completeValue(table.cellValue(0, 0));
        }
        const std::string database = saves + "/save.datapersistent.save";
        ASSERT_EQ(integrity(database), "ok") << "run " << kill;
        now[2] = completeValue(savedValue(database, "payload"));
        const std::string counter = savedValue(database, "counter");
        now[3] = counter.empty() ? -1 : std::stol(counter);
        for (int i = 0; i < 4; ++i) {
            ASSERT_GE(now[i], last[i]) << "run " << kill << ", file " << i << ": torn, empty or older";
            last[i] = now[i];
        }
    }
    EXPECT_GT(last[3], kKills) << "the runs saved";
}
