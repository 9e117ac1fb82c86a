// The table interface through which the file formats and the script module
// reach a table.
#pragma once

#include <cstdint>
#include <string>

#include "engine/tables/TableColumn.h"

class TableCallback;

// Opaque to the player, except that type 0 marks the table with flag 0x8.
enum TableType : uint32_t {};

class IKVTable {
public:
    virtual ~IKVTable() = default;

    virtual void registerObserver(TableCallback* callback, void* context, int column, int row) = 0;
    virtual void unRegisterObserver(void* context, int column, int row) = 0;
    virtual TableColumn* columnAtIndex(int column) = 0;
    virtual TableColumn* columnWithName(const std::string& name) = 0;
    virtual void addColumnAtIndex(int column, TableColumn newColumn) = 0;
    virtual void removeColumnAtIndex(int column) = 0;
    virtual void addRowAtIndex(int row) = 0;
    virtual void removeRowAtIndex(int row) = 0;
    virtual void reorderColumns(int first, int second) = 0;
    virtual bool columnReadOnly(int column) = 0;
    virtual void setColumnReadOnly(int column, bool readOnly) = 0;
    virtual bool loadTable(const std::string& path) = 0;
    virtual bool saveTable(const std::string& path, bool json) = 0;
    virtual void copyTableData(const IKVTable& other) = 0;
    virtual bool importCSV(const std::string& text) = 0;
    virtual bool loadCSV(const std::string& path) = 0;
    virtual int numberOfRows() const = 0;
    virtual int numberOfColumns() const = 0;
    virtual void setNumberOfRows(int rows) = 0;
    virtual void setNumberOfColumns(int columns) = 0;
    virtual bool isLoaded() const = 0;
    virtual void reset() = 0;
    virtual std::string cellValue(int row, int column) = 0;
    virtual std::string jsonCellValue(std::string& out, int row, int column) = 0;
    virtual std::string xmlCellValue(std::string& out, int row, int column) = 0;
    virtual bool setCellValue(int row, int column, const std::string& value) = 0;
    virtual ColumnType columnType(int column) const = 0;
    virtual void setColumnType(int column, ColumnType type) = 0;
    virtual std::string columnTitle(int column) const = 0;
    virtual void setColumnTitle(int column, const std::string& title) = 0;
    virtual std::string rowTitle(int row) const = 0;
    virtual void setRowTitle(int row, const std::string& title) = 0;
    virtual int findRowNumberByName(const std::string& name) const = 0;
    virtual int findColumnNumberByName(const std::string& name) const = 0;
    virtual void setTableName(const std::string& name) = 0;
    virtual std::string tableName() const = 0;
    virtual void setTableId(const std::string& id) = 0;
    virtual std::string tableId() const = 0;
    virtual unsigned flags() const = 0;
    virtual void setFlags(unsigned flags) = 0;
    virtual TableType tableType() const = 0;
    virtual void setTableType(TableType type) = 0;
    virtual bool exportCSV(const std::string& path) = 0;
    virtual std::string columnTypeName(ColumnType type) const = 0;
    virtual const std::string& getFileStream() = 0;
    virtual const std::string& getFileStreamJSON() = 0;
};
