#include "engine/tables/ConversionFromZeroToOne.h"

#include <sstream>

#include "engine/tables/TableUtil.h"

void ConversionFromZeroToOne::convert(Table& table)
{
    for (Column& column : table.columns) {
        grabTokens(column.text, column.type);
        column.text = convertTokens();
    }
}

void ConversionFromZeroToOne::grabTokens(const std::string& text, int columnType)
{
    tokens_.clear();
    std::istringstream stream(text);
    std::string token;
    while (std::getline(stream, token, ',')) {
        if (!token.empty() && token[0] == '"') {
            bool hasLineBreak = token.find_first_of("\r\n") != std::string::npos;
            if (hasLineBreak) {
                token.erase(0, 1);
                if (!token.empty() && token.back() == '"')
                    token.pop_back();
            } else if (token.size() >= 2 && token.back() == '"') {
                // A quoted cell without a comma is complete as it stands;
                // reading on would swallow the cells after it.
                token = token.substr(1, token.size() - 2);
            } else {
                // The comma that ended the token was inside the quotes.
                std::string rest;
                std::getline(stream, rest, '"');
                token += ',';
                token += rest;
                token.erase(0, 1);
                std::string skipped;
                std::getline(stream, skipped, ',');
            }
        }
        if (token.empty() || token == " ")
            token = TableUtil::defaultValueForType(columnType);
        tokens_.push_back(token);
    }
}

std::string ConversionFromZeroToOne::convertTokens() const
{
    // The result is read by the cell scanner, not by the XML parser, so only
    // the backslash escapes are applied: an "&" stays an "&".
    std::string out;
    for (size_t i = 0; i < tokens_.size(); ++i) {
        if (i > 0)
            out += ',';
        for (char c : tokens_[i]) {
            switch (c) {
            case '\\': out += "\\\\"; break;
            case ',': out += "\\,"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c; break;
            }
        }
    }
    return out;
}
