// Helpers shared by the table tests: data files, temporary folders, file text.
#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/tables/KVTable.h"

namespace tabletest {

inline std::string dataPath(const std::string& name)
{
    return std::string(KV_TEST_DATA_DIR) + "/tables/" + name;
}

inline std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void writeText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

inline bool fileExists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

inline int countEntries(const std::string& dir)
{
    int n = 0;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                ++n;
        ::closedir(d);
    }
    return n;
}

// A fresh folder removed with its contents when the test ends.
class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/kvtables-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        path_ = made ? made : "/tmp";
    }
    ~TempDir()
    {
        std::string command = "rm -rf '" + path_ + "'";
        if (path_.rfind("/tmp/kvtables-", 0) == 0)
            (void)std::system(command.c_str());
    }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Every cell, title and property that a file can carry, as one text, so two
// tables can be compared in one assertion with a readable difference.
inline std::string dump(KVTable& t)
{
    std::ostringstream out;
    out << "name=" << t.tableName() << " rows=" << t.numberOfRows() << " cols=" << t.numberOfColumns()
        << " flags=" << t.flags() << " type=" << t.tableType() << "\n";
    for (int r = 0; r < t.numberOfRows(); ++r)
        out << "row " << r << " title=[" << t.rowTitle(r) << "]\n";
    for (int c = 0; c < t.numberOfColumns(); ++c) {
        out << "col " << c << " name=[" << t.columnTitle(c) << "] type=" << t.columnType(c)
            << " ro=" << t.columnReadOnly(c) << ":";
        for (int r = 0; r < t.numberOfRows(); ++r)
            out << " [" << t.cellValue(r, c) << "]";
        out << "\n";
    }
    return out.str();
}

}  // namespace tabletest
