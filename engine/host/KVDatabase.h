// The saved-values store of one engine state: an SQLite file with one table
// of text keys and values, opened lazily, plus the folder where the script
// keeps its data tables.
#pragma once

#include <optional>
#include <string>

#include "engine/host/kv_lua.h"

struct sqlite3;

struct KVDatabase {
    std::string filePath;
    std::optional<std::string> tablesDirectory;
    sqlite3* connection = nullptr;
    bool openFailureReported = false;
};

KVDatabase* KVDatabaseOpen(const char* filePath);
void KVDatabaseSetTablesDirectory(KVDatabase* database, const char* path);
void KVDatabaseClose(KVDatabase* database);

// The stored value of a key, or nothing (no file yet, no such key, an error).
// Loading never creates the file.
std::optional<std::string> KVDatabaseLoadValue(KVDatabase* database, const std::string& key);
// Stores the value, creating the file and table when needed; false on error.
bool KVDatabaseStoreValue(KVDatabase* database, const std::string& value, const std::string& key);
// Removes the key, so loading it answers nothing; false on error.
bool KVDatabaseForgetValue(KVDatabase* database, const std::string& key);

// Registers the global module "database" for the handle (which may be null:
// the functions then answer nil and store nothing).
void KVDatabaseLoadLib(KVDatabase* database, lua_State* L);
// Cuts the module off its handle before the handle is closed, so a script
// that still calls it (during shutdownEngine) never reaches freed memory.
void KVDatabaseUnloadLib(lua_State* L);
