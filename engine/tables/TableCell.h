// One cell of a table column: always text, whatever the column's type.
#pragma once

#include <string>

class TableCell {
public:
    std::string value;

    // The value as it is stored in a table file's column text.
    void xmlEscapedValue(std::string& out) const;
    // The value as the contents of a JSON string.
    void jsonEscapedValue(std::string& out) const;
};
