// The plain records a table file is read into and written from.
#pragma once

#include <string>
#include <vector>

struct Column {
    int id = -1;
    std::string name;
    int type = -1;
    std::string text;  // the column's cells, encoded
    int readonly = 0;
};

struct Row {
    int id = -1;
    std::string name;
};

struct Table {
    std::vector<Column> columns;
    std::vector<Row> rows;
    double version = 1.0;
    std::string name;
    int numRows = 1;
    int numCols = 1;
    int flags = 0;
    int tableType = 0;
};

namespace Rows {
inline void AddRow(std::vector<Row>& rows, int id, const std::string& name)
{
    rows.push_back(Row{id, name});
}
}  // namespace Rows
