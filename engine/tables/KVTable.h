// The in-memory data table: typed columns of text cells, row titles, cell
// observers, comma-separated import and export, and the table file formats.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/tables/IKVTable.h"
#include "engine/tables/IKVTableParser.h"
#include "engine/tables/TableCallback.h"

class KVTable : public IKVTable {
public:
    KVTable();
    ~KVTable() override;
    KVTable(const KVTable&) = delete;
    KVTable& operator=(const KVTable&) = delete;

    void registerObserver(TableCallback* callback, void* context, int column, int row) override;
    void unRegisterObserver(void* context, int column, int row) override;
    TableColumn* columnAtIndex(int column) override;
    TableColumn* columnWithName(const std::string& name) override;
    void addColumnAtIndex(int column, TableColumn newColumn) override;
    void removeColumnAtIndex(int column) override;
    void addRowAtIndex(int row) override;
    void removeRowAtIndex(int row) override;
    void reorderColumns(int first, int second) override;
    bool columnReadOnly(int column) override;
    void setColumnReadOnly(int column, bool readOnly) override;
    bool loadTable(const std::string& path) override;
    bool saveTable(const std::string& path, bool json) override;
    void copyTableData(const IKVTable& other) override;
    bool importCSV(const std::string& text) override;
    bool loadCSV(const std::string& path) override;
    int numberOfRows() const override { return numberOfRows_; }
    int numberOfColumns() const override { return numberOfColumns_; }
    void setNumberOfRows(int rows) override;
    void setNumberOfColumns(int columns) override;
    bool isLoaded() const override { return true; }
    void reset() override;
    std::string cellValue(int row, int column) override;
    std::string jsonCellValue(std::string& out, int row, int column) override;
    std::string xmlCellValue(std::string& out, int row, int column) override;
    bool setCellValue(int row, int column, const std::string& value) override;
    ColumnType columnType(int column) const override;
    void setColumnType(int column, ColumnType type) override;
    std::string columnTitle(int column) const override;
    void setColumnTitle(int column, const std::string& title) override;
    std::string rowTitle(int row) const override;
    void setRowTitle(int row, const std::string& title) override;
    int findRowNumberByName(const std::string& name) const override;
    int findColumnNumberByName(const std::string& name) const override;
    void setTableName(const std::string& name) override { tableName_ = name; }
    std::string tableName() const override { return tableName_; }
    void setTableId(const std::string& id) override { tableId_ = id; }
    std::string tableId() const override { return tableId_; }
    unsigned flags() const override { return flags_; }
    void setFlags(unsigned flags) override { flags_ = flags; }
    TableType tableType() const override { return tableType_; }
    void setTableType(TableType type) override;
    bool exportCSV(const std::string& path) override;
    std::string columnTypeName(ColumnType type) const override;
    const std::string& getFileStream() override;
    const std::string& getFileStreamJSON() override;

    std::string columnDefaultValue(int column) const;
    const std::string& filePath() const { return filePath_; }

    std::unique_ptr<IKVTableParser> createParser() const;
    void initTableParser(IKVTableParser& parser, bool json);

private:
    struct CallbackReference {
        int column;
        int row;
        std::shared_ptr<TableCallback> callback;
        void* context;
    };

    void notifyObservers(int column, int row, const std::string& oldValue, const std::string& newValue);

    int numberOfRows_ = 1;
    int numberOfColumns_ = 1;
    std::string filePath_;
    std::string tableName_;
    std::string tableId_;
    std::map<int, TableColumn> columns_;
    std::map<int, std::string> rowTitles_;
    std::map<ColumnType, std::string> columnTypeNames_;
    std::string fileStream_;
    unsigned flags_ = 0;
    TableType tableType_ = TableType(0);
    std::multimap<int, CallbackReference> observers_;
};
