// Helpers shared by the table tests: data files and table contents.
#pragma once

#include <sstream>
#include <string>

#include "engine/tables/KVTable.h"
#include "tests/support/TempDir.h"

namespace tabletest {

inline std::string dataPath(const std::string& name)
{
    return std::string(KV_TEST_DATA_DIR) + "/tables/" + name;
}

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
