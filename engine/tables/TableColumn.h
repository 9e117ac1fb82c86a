// A table column: a type, a name, a read-only flag and sparse cells by row.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "engine/tables/TableCell.h"

enum ColumnType : int32_t {
    ColumnTypeUndefined = 0,
    ColumnTypeText = 1,
    ColumnTypeInteger = 2,
    ColumnTypeReal = 3,
    ColumnTypeBoolean = 4,
    ColumnTypeAngle = 5,
    ColumnTypeImage = 6,
    ColumnTypeSound = 7,
};

class TableColumn {
public:
    ColumnType columnType() const { return columnType_; }
    void setColumnType(ColumnType type) { columnType_ = type; }

    const std::string& columnName() const { return columnName_; }
    void setColumnName(const std::string& name) { columnName_ = name; }

    bool readOnly() const { return readOnly_; }
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }

    // The cell at `row`, created empty when absent.
    TableCell& cellAtRowIndex(int row) { return cells_[row]; }
    // The cell at `row` or null; never creates one.
    const TableCell* findCellAtRowIndex(int row) const;
    bool hasCellAtRowIndex(int row) const { return cells_.count(row) != 0; }
    const std::map<int, TableCell>& cells() const { return cells_; }

    // Opens a row at `row`: cells from there on move down by one, and an
    // empty cell takes `row` when there was one there.
    void addCellAtRowIndex(int row);
    // Closes the row at `row`: its cell goes and the cells below move up.
    void removeCellAtRowIndex(int row);
    // Drops every cell from `row` on.
    void removeCellsFromRowIndex(int row);

private:
    ColumnType columnType_ = ColumnTypeUndefined;
    std::string columnName_;
    std::map<int, TableCell> cells_;
    bool readOnly_ = false;
};
