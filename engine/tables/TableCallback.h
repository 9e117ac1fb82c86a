// An observer of table cells; the table that registers it owns it.
#pragma once

#include "engine/tables/TableChangeContainer.h"

class TableCallback {
public:
    virtual ~TableCallback() = default;
    virtual void tableChanged(const TableChangeContainer& change) = 0;
};
