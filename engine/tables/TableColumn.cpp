#include "engine/tables/TableColumn.h"

#include "engine/tables/KeyShift.h"

const TableCell* TableColumn::findCellAtRowIndex(int row) const
{
    auto it = cells_.find(row);
    return it == cells_.end() ? nullptr : &it->second;
}

// Cells are moved by key rather than by position, so a column whose cells
// are not contiguous (a file that stored fewer values than it has rows, then
// edited further down) keeps each value on its own row.
void TableColumn::addCellAtRowIndex(int row)
{
    bool hadCell = hasCellAtRowIndex(row);
    shiftKeysUp(cells_, row);
    if (hadCell)
        cells_[row] = TableCell();
}

void TableColumn::removeCellAtRowIndex(int row)
{
    closeKeyGap(cells_, row);
}

void TableColumn::removeCellsFromRowIndex(int row)
{
    cells_.erase(cells_.lower_bound(row), cells_.end());
}
