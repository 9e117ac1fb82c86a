#include "engine/tables/TableCell.h"

#include "engine/tables/TableUtil.h"

void TableCell::xmlEscapedValue(std::string& out) const
{
    out = value;
    if (!out.empty()) {
        TableUtil::xmlSubstitute(out);
        TableUtil::escapeSubstitute(out);
    }
}

void TableCell::jsonEscapedValue(std::string& out) const
{
    out = value;
    if (!out.empty())
        TableUtil::jsonEscape(out);
}
