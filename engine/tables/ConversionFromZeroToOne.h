// Converts the column texts of a version-0 table file, which quoted cells
// holding commas or line breaks, to the backslash-escaped encoding of
// version 1.
#pragma once

#include <string>
#include <vector>

#include "engine/tables/IKVTableXMLConverter.h"

class ConversionFromZeroToOne : public IKVTableXMLConverter {
public:
    void convert(Table& table) override;

    // Splits one version-0 column text into its cells.
    void grabTokens(const std::string& text, int columnType);
    // Joins the cells held by grabTokens in the version-1 encoding.
    std::string convertTokens() const;

    const std::vector<std::string>& tokens() const { return tokens_; }

private:
    std::vector<std::string> tokens_;
};
