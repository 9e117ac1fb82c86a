// Reads a table file into a Table record and writes a record as XML or JSON.
#pragma once

#include <string>

#include "engine/tables/TableRecords.h"

class IKVTableParser {
public:
    virtual ~IKVTableParser() = default;

    virtual bool initWithFile(const std::string& path) = 0;
    virtual bool initWithBuffer(const char* data, int length) = 0;
    virtual std::string getFileStream() = 0;
    virtual std::string getFileStreamJSON() = 0;
    // The number of bytes written, 0 when the file could not be written.
    virtual long writeFileOut(const std::string& path, bool json) = 0;
    virtual Table& getTable() = 0;
};
