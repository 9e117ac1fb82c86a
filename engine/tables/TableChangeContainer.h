// What a table observer is told about one cell change.
#pragma once

#include <string>

class IKVTable;

struct TableChangeContainer {
    TableChangeContainer(IKVTable* table, int column, int row, std::string oldValue, std::string newValue)
        : table(table), column(column), row(row), oldValue(std::move(oldValue)), newValue(std::move(newValue))
    {
    }

    IKVTable* table;
    int column;
    int row;
    std::string oldValue;
    std::string newValue;
};
