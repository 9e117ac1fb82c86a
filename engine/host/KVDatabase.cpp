#include "engine/host/KVDatabase.h"

#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "platform/files/KVFileLookup.h"

namespace {

struct SqlText {
    char* text;
    explicit SqlText(char* t) : text(t) {}
    ~SqlText() { sqlite3_free(text); }
};

bool openDatabase(KVDatabase* database)
{
    if (database->connection)
        return true;
    if (sqlite3_open(database->filePath.c_str(), &database->connection) != SQLITE_OK) {
        // Said once: a game may store on every frame.
        if (!database->openFailureReported)
            std::fprintf(stderr, "KVDatabase: cannot open \"%s\": %s; saved values are lost\n",
                         database->filePath.c_str(), sqlite3_errmsg(database->connection));
        database->openFailureReported = true;
        sqlite3_close(database->connection);
        database->connection = nullptr;
        return false;
    }
    char* error = nullptr;
    sqlite3_exec(database->connection,
                 "CREATE TABLE IF NOT EXISTS savedValues (key char(32) primary key, value char(32))",
                 nullptr, nullptr, &error);
    sqlite3_free(error);
    return true;
}

// Runs the formatted SELECT and answers the first row's value.
std::optional<std::string> selectValue(sqlite3* db, const std::string& key, bool* found)
{
    *found = false;
    SqlText sql(sqlite3_mprintf("SELECT value from savedValues WHERE key=%Q", key.c_str()));
    sqlite3_stmt* statement = nullptr;
    if (!sql.text || sqlite3_prepare_v2(db, sql.text, -1, &statement, nullptr) != SQLITE_OK)
        return std::nullopt;
    std::optional<std::string> value;
    if (sqlite3_step(statement) == SQLITE_ROW) {
        *found = true;
        if (const unsigned char* text = sqlite3_column_text(statement, 0))
            value = reinterpret_cast<const char*>(text);
    }
    sqlite3_finalize(statement);
    return value;
}

// Runs one changing statement, saying why it failed.
bool execute(KVDatabase* database, const SqlText& sql, const std::string& key)
{
    if (!sql.text)
        return false;
    char* error = nullptr;
    const int status = sqlite3_exec(database->connection, sql.text, nullptr, nullptr, &error);
    if (status != SQLITE_OK)
        std::fprintf(stderr, "KVDatabase: cannot save \"%s\" in \"%s\": %s\n", key.c_str(),
                     database->filePath.c_str(), error ? error : sqlite3_errstr(status));
    sqlite3_free(error);
    return status == SQLITE_OK;
}

}  // namespace

KVDatabase* KVDatabaseOpen(const char* filePath)
{
    auto* database = new KVDatabase;
    database->filePath = KVFileLookup::shared().findForWriting(filePath);
    return database;
}

void KVDatabaseSetTablesDirectory(KVDatabase* database, const char* path)
{
    database->tablesDirectory = path;
}

void KVDatabaseClose(KVDatabase* database)
{
    if (!database)
        return;
    if (database->connection)
        sqlite3_close(database->connection);
    delete database;
}

std::optional<std::string> KVDatabaseLoadValue(KVDatabase* database, const std::string& key)
{
    if (!database->connection) {
        if (access(database->filePath.c_str(), R_OK | W_OK) != 0)
            return std::nullopt;
        if (!openDatabase(database))
            return std::nullopt;
    }
    bool found = false;
    return selectValue(database->connection, key, &found);
}

bool KVDatabaseStoreValue(KVDatabase* database, const std::string& value, const std::string& key)
{
    if (!openDatabase(database))
        return false;
    bool found = false;
    selectValue(database->connection, key, &found);
    SqlText sql(found ? sqlite3_mprintf("UPDATE savedValues SET value=%Q WHERE key=%Q", value.c_str(), key.c_str())
                      : sqlite3_mprintf("INSERT INTO savedValues (key, value) VALUES (%Q, %Q)", key.c_str(),
                                        value.c_str()));
    return execute(database, sql, key);
}

bool KVDatabaseForgetValue(KVDatabase* database, const std::string& key)
{
    // No file yet: nothing to forget, and nothing is created for it.
    if (!database->connection && access(database->filePath.c_str(), F_OK) != 0)
        return true;
    if (!openDatabase(database))
        return false;
    return execute(database, SqlText(sqlite3_mprintf("DELETE FROM savedValues WHERE key=%Q", key.c_str())), key);
}
