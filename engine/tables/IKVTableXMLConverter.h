// Brings a Table record read from an older file up to the current encoding.
#pragma once

#include "engine/tables/TableRecords.h"

class IKVTableXMLConverter {
public:
    virtual ~IKVTableXMLConverter() = default;
    virtual void convert(Table& table) = 0;
};
