#include "engine/tables/KVTable.h"

#include <cstdio>
#include <utility>

#include "engine/tables/KeyShift.h"
#include "engine/tables/TableUtil.h"
#include "engine/tables/TablesXML.h"

KVTable::KVTable()
{
    columnTypeNames_ = {
        {ColumnTypeUndefined, "Undefined"}, {ColumnTypeText, "Text"},   {ColumnTypeInteger, "Integer"},
        {ColumnTypeReal, "Real"},           {ColumnTypeBoolean, "Boolean"}, {ColumnTypeAngle, "Angle"},
        {ColumnTypeImage, "Image"},         {ColumnTypeSound, "Sound"},
    };
    reset();
}

KVTable::~KVTable() = default;

void KVTable::reset()
{
    numberOfRows_ = 1;
    numberOfColumns_ = 1;
    columns_.clear();
    rowTitles_.clear();
    columns_[0] = TableColumn();
    rowTitles_[0] = "";
}

// ---- Observers ----

void KVTable::registerObserver(TableCallback* callback, void* context, int column, int row)
{
    observers_.emplace(column, CallbackReference{column, row, std::shared_ptr<TableCallback>(callback), context});
}

void KVTable::unRegisterObserver(void* context, int column, int row)
{
    auto range = observers_.equal_range(column);
    for (auto it = range.first; it != range.second;) {
        if (it->second.row == row && it->second.context == context)
            it = observers_.erase(it);
        else
            ++it;
    }
}

void KVTable::notifyObservers(int column, int row, const std::string& oldValue, const std::string& newValue)
{
    // Gathered first, holding a reference each, so a callback that
    // unregisters itself or another observer cannot pull one from under us.
    std::vector<std::shared_ptr<TableCallback>> cell, wholeColumn, wholeTable;
    auto range = observers_.equal_range(column);
    for (auto it = range.first; it != range.second; ++it)
        if (it->second.row == row)
            cell.push_back(it->second.callback);
    for (auto it = range.first; it != range.second; ++it)
        if (it->second.row == -1)
            wholeColumn.push_back(it->second.callback);
    range = observers_.equal_range(-1);
    for (auto it = range.first; it != range.second; ++it)
        if (it->second.row == -1)
            wholeTable.push_back(it->second.callback);

    for (const auto* list : {&cell, &wholeColumn, &wholeTable}) {
        for (const auto& callback : *list) {
            if (callback)
                callback->tableChanged(TableChangeContainer(this, column, row, oldValue, newValue));
        }
    }
}

// ---- Columns and rows ----

TableColumn* KVTable::columnAtIndex(int column)
{
    auto it = columns_.find(column);
    return it == columns_.end() ? nullptr : &it->second;
}

TableColumn* KVTable::columnWithName(const std::string& name)
{
    for (auto& entry : columns_)
        if (entry.second.columnName() == name)
            return &entry.second;
    return nullptr;
}

void KVTable::addColumnAtIndex(int column, TableColumn newColumn)
{
    if (column < 0 || column > numberOfColumns_)
        return;
    shiftKeysUp(columns_, column);
    columns_[column] = std::move(newColumn);
    numberOfColumns_ += 1;
}

void KVTable::removeColumnAtIndex(int column)
{
    if (column < 0 || column >= numberOfColumns_)
        return;
    closeKeyGap(columns_, column);
    numberOfColumns_ -= 1;
}

void KVTable::addRowAtIndex(int row)
{
    if (row < 0 || row > numberOfRows_)
        return;
    for (auto& entry : columns_)
        entry.second.addCellAtRowIndex(row);
    shiftKeysUp(rowTitles_, row);
    rowTitles_[row] = "";
    numberOfRows_ += 1;
}

void KVTable::removeRowAtIndex(int row)
{
    if (row < 0 || row >= numberOfRows_)
        return;
    for (auto& entry : columns_)
        entry.second.removeCellAtRowIndex(row);
    closeKeyGap(rowTitles_, row);
    numberOfRows_ -= 1;
    rowTitles_.erase(numberOfRows_);
}

void KVTable::reorderColumns(int first, int second)
{
    if (first == second || first < 0 || second < 0 || first >= numberOfColumns_ || second >= numberOfColumns_)
        return;
    auto a = columns_.find(first);
    auto b = columns_.find(second);
    if (a != columns_.end() && b != columns_.end()) {
        std::swap(a->second, b->second);
    } else if (a != columns_.end()) {
        columns_[second] = std::move(a->second);
        columns_.erase(first);
    } else if (b != columns_.end()) {
        columns_[first] = std::move(b->second);
        columns_.erase(second);
    }
}

bool KVTable::columnReadOnly(int column)
{
    if (column < 0 || column >= numberOfColumns_)
        return false;
    return columns_[column].readOnly();
}

void KVTable::setColumnReadOnly(int column, bool readOnly)
{
    if (column < 0 || column >= numberOfColumns_)
        return;
    columns_[column].setReadOnly(readOnly);
}

void KVTable::setNumberOfRows(int rows)
{
    if (rows < 0)
        return;
    if (rows < numberOfRows_) {
        for (auto& entry : columns_)
            entry.second.removeCellsFromRowIndex(rows);
        rowTitles_.erase(rowTitles_.lower_bound(rows), rowTitles_.end());
    } else if (rows > numberOfRows_) {
        for (auto& entry : columns_) {
            const char* value = TableUtil::defaultValueForType(entry.second.columnType());
            for (int r = numberOfRows_; r < rows; ++r)
                entry.second.cellAtRowIndex(r).value = value;
        }
        for (int r = numberOfRows_; r < rows; ++r)
            rowTitles_[r] = "";
    }
    numberOfRows_ = rows;
}

void KVTable::setNumberOfColumns(int columns)
{
    if (columns < 0)
        return;
    if (columns < numberOfColumns_) {
        columns_.erase(columns_.lower_bound(columns), columns_.end());
    } else {
        for (int c = numberOfColumns_; c < columns; ++c)
            columns_[c] = TableColumn();
    }
    numberOfColumns_ = columns;
}

// ---- Cells ----

std::string KVTable::cellValue(int row, int column)
{
    if (row < 0 || row >= numberOfRows_)
        return "BadRow";
    if (column < 0 || column >= numberOfColumns_)
        return "BadCol";
    return columns_[column].cellAtRowIndex(row).value;
}

std::string KVTable::jsonCellValue(std::string& out, int row, int column)
{
    if (row < 0 || row >= numberOfRows_)
        return out = "BadRow";
    if (column < 0 || column >= numberOfColumns_)
        return out = "BadCol";
    columns_[column].cellAtRowIndex(row).jsonEscapedValue(out);
    return out;
}

std::string KVTable::xmlCellValue(std::string& out, int row, int column)
{
    if (row < 0 || row >= numberOfRows_)
        return out = "BadRow";
    if (column < 0 || column >= numberOfColumns_)
        return out = "BadCol";
    columns_[column].cellAtRowIndex(row).xmlEscapedValue(out);
    return out;
}

bool KVTable::setCellValue(int row, int column, const std::string& value)
{
    if (row < 0 || row >= numberOfRows_ || column < 0 || column >= numberOfColumns_)
        return false;
    TableCell& cell = columns_[column].cellAtRowIndex(row);
    std::string oldValue = cell.value;
    cell.value = value;
    notifyObservers(column, row, oldValue, value);
    return true;
}

ColumnType KVTable::columnType(int column) const
{
    auto it = columns_.find(column);
    return it == columns_.end() ? ColumnTypeUndefined : it->second.columnType();
}

void KVTable::setColumnType(int column, ColumnType type)
{
    if (TableColumn* c = columnAtIndex(column))
        c->setColumnType(type);
}

std::string KVTable::columnTitle(int column) const
{
    auto it = columns_.find(column);
    return it == columns_.end() ? std::string() : it->second.columnName();
}

void KVTable::setColumnTitle(int column, const std::string& title)
{
    if (TableColumn* c = columnAtIndex(column))
        c->setColumnName(title);
}

std::string KVTable::rowTitle(int row) const
{
    auto it = rowTitles_.find(row);
    return it == rowTitles_.end() ? std::string() : it->second;
}

void KVTable::setRowTitle(int row, const std::string& title)
{
    auto it = rowTitles_.find(row);
    if (it != rowTitles_.end())
        it->second = title;
}

int KVTable::findRowNumberByName(const std::string& name) const
{
    for (const auto& entry : rowTitles_)
        if (TableUtil::equalsIgnoreCase(entry.second, name))
            return entry.first;
    return -1;
}

int KVTable::findColumnNumberByName(const std::string& name) const
{
    for (const auto& entry : columns_)
        if (TableUtil::equalsIgnoreCase(entry.second.columnName(), name))
            return entry.first;
    return -1;
}

void KVTable::setTableType(TableType type)
{
    tableType_ = type;
    if (type == 0)
        flags_ |= 0x8u;
    else
        flags_ &= ~0x8u;
}

std::string KVTable::columnTypeName(ColumnType type) const
{
    auto it = columnTypeNames_.find(type);
    return it == columnTypeNames_.end() ? std::string() : it->second;
}

std::string KVTable::columnDefaultValue(int column) const
{
    return TableUtil::defaultValueForType(columnType(column));
}

void KVTable::copyTableData(const IKVTable& other)
{
    const auto* source = dynamic_cast<const KVTable*>(&other);
    if (!source || source == this)
        return;
    // Copy first, then take the copies, so a failed allocation changes nothing.
    std::map<int, TableColumn> columns = source->columns_;
    std::map<int, std::string> titles = source->rowTitles_;
    std::string name = source->tableName_;
    columns_.swap(columns);
    rowTitles_.swap(titles);
    tableName_.swap(name);
    numberOfRows_ = source->numberOfRows_;
    numberOfColumns_ = source->numberOfColumns_;
    flags_ = source->flags_;
    tableType_ = source->tableType_;
}

// ---- Comma-separated text ----

bool KVTable::importCSV(const std::string& text)
{
    std::vector<std::vector<std::string>> records = TableUtil::splitCSV(text);

    std::map<int, TableColumn> columns;
    columns[0] = TableColumn();
    std::map<int, std::string> titles;
    for (size_t r = 0; r < records.size(); ++r) {
        std::vector<std::string>& fields = records[r];
        for (size_t f = 0; f < fields.size(); ++f) {
            std::string& field = fields[f];
            if (!field.empty() && field[0] == '"')
                field = field.size() >= 2 ? field.substr(1, field.size() - 2) : std::string();
            if (r == 0)
                columns[static_cast<int>(f)] = TableColumn();
            TableUtil::csvDecode(field);
            columns[static_cast<int>(f)].cellAtRowIndex(static_cast<int>(r)).value = std::move(field);
        }
        titles[static_cast<int>(r)] = "";
    }

    columns_.swap(columns);
    rowTitles_.swap(titles);
    numberOfColumns_ = static_cast<int>(columns_.size());
    numberOfRows_ = static_cast<int>(records.size());
    return true;
}

bool KVTable::loadCSV(const std::string& path)
{
    std::string text, error;
    if (!TableUtil::readFile(path, text, error)) {
        std::fprintf(stderr, "Could not read CSV file %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return importCSV(text);
}

bool KVTable::exportCSV(const std::string& path)
{
    std::string text, value;
    for (int r = 0; r < numberOfRows_; ++r) {
        for (int c = 0; c < numberOfColumns_; ++c) {
            if (c > 0)
                text += ',';
            xmlCellValue(value, r, c);
            if (!value.empty() && value != " ") {
                text += '"';
                text += value;
                text += '"';
            } else {
                text += columnDefaultValue(c);
            }
        }
        text += '\n';
    }
    std::string error;
    if (!TableUtil::writeFileAtomically(path, text, error)) {
        std::fprintf(stderr, "Could not save CSV file %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return true;
}

// ---- Files ----

std::unique_ptr<IKVTableParser> KVTable::createParser() const
{
    return std::make_unique<TablesXML>();
}

void KVTable::initTableParser(IKVTableParser& parser, bool json)
{
    Table& t = parser.getTable();
    t = Table();
    t.name = tableName_;
    t.numRows = numberOfRows_;
    t.numCols = numberOfColumns_;
    t.flags = static_cast<int>(flags_);
    t.tableType = static_cast<int>(tableType_);

    for (int r = 0; r < numberOfRows_; ++r)
        Rows::AddRow(t.rows, r, rowTitle(r));

    static const TableCell kEmpty;
    std::string value;
    for (int c = 0; c < numberOfColumns_; ++c) {
        const TableColumn* column = columnAtIndex(c);
        Column record;
        record.id = c;
        record.name = columnTitle(c);
        record.type = columnType(c);
        record.readonly = column && column->readOnly() ? 1 : 0;
        const std::string defaultValue = columnDefaultValue(c);
        for (int r = 0; r < numberOfRows_; ++r) {
            const TableCell* cell = column ? column->findCellAtRowIndex(r) : nullptr;
            if (!cell)
                cell = &kEmpty;
            if (json)
                cell->jsonEscapedValue(value);
            else
                cell->xmlEscapedValue(value);
            if (r > 0)
                record.text += ',';
            const std::string& written = (!value.empty() && value != " ") ? value : defaultValue;
            if (json) {
                record.text += '"';
                record.text += written;
                record.text += '"';
            } else {
                record.text += written;
            }
        }
        t.columns.push_back(std::move(record));
    }

    if (json) {
        // JSON strings must not carry raw quotes, backslashes or control
        // characters, or the text stops being JSON.
        TableUtil::jsonEscape(t.name);
        for (Row& row : t.rows)
            TableUtil::jsonEscape(row.name);
        for (Column& column : t.columns)
            TableUtil::jsonEscape(column.name);
    } else {
        TableUtil::xmlAttributeSubstitute(t.name);
        for (Row& row : t.rows)
            TableUtil::xmlAttributeSubstitute(row.name);
        for (Column& column : t.columns)
            TableUtil::xmlAttributeSubstitute(column.name);
    }
}

const std::string& KVTable::getFileStream()
{
    auto parser = createParser();
    initTableParser(*parser, false);
    fileStream_ = parser->getFileStream();
    return fileStream_;
}

const std::string& KVTable::getFileStreamJSON()
{
    auto parser = createParser();
    initTableParser(*parser, true);
    fileStream_ = parser->getFileStreamJSON();
    return fileStream_;
}

bool KVTable::saveTable(const std::string& path, bool json)
{
    const std::string target = path.empty() ? filePath_ : path;
    auto parser = createParser();
    initTableParser(*parser, json);
    return parser->writeFileOut(target, json) > 0;
}

bool KVTable::loadTable(const std::string& path)
{
    filePath_ = path;
    auto parser = createParser();
    if (!parser->initWithFile(path))
        return false;
    const Table& t = parser->getTable();

    // Everything is built aside and swapped in at the end: the table is
    // either as it was or fully loaded.
    std::map<int, TableColumn> columns;
    columns[0] = TableColumn();
    std::map<int, std::string> titles;
    titles[0] = "";
    for (const Row& row : t.rows)
        titles[row.id] = row.name;
    for (size_t c = 0; c < t.columns.size(); ++c) {
        const Column& record = t.columns[c];
        TableColumn column;
        column.setColumnType(static_cast<ColumnType>(record.type));
        column.setColumnName(record.name);
        column.setReadOnly(record.readonly != 0);
        std::vector<std::string> cells = TableUtil::decodeColumnText(record.text);
        for (size_t r = 0; r < cells.size(); ++r)
            column.cellAtRowIndex(static_cast<int>(r)).value = std::move(cells[r]);
        columns[static_cast<int>(c)] = std::move(column);
    }
    std::string name = t.name;

    columns_.swap(columns);
    rowTitles_.swap(titles);
    tableName_.swap(name);
    flags_ = static_cast<unsigned>(t.flags);
    tableType_ = static_cast<TableType>(static_cast<uint32_t>(t.tableType));
    numberOfColumns_ = t.numCols;
    numberOfRows_ = t.numRows;
    return true;
}
