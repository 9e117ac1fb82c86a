// Text helpers shared by the table model, its file formats and its script module.
#pragma once

#include <string>
#include <vector>

class TableUtil {
public:
    // Entity-escapes & ' " < > for XML text and attribute values.
    static void xmlSubstitute(std::string& text);

    // xmlSubstitute plus character references for TAB, LF and CR, which an
    // XML reader would otherwise turn into spaces inside an attribute value.
    static void xmlAttributeSubstitute(std::string& text);

    // Backslash-escapes what would split a stored cell: \ , LF CR TAB.
    static void escapeSubstitute(std::string& text);

    // Undoes xmlSubstitute then escapeSubstitute on a field of imported
    // comma-separated text. Each step is one left-to-right pass, so escaped
    // escapes ("\\n", "&amp;lt;") come back as written.
    static void csvDecode(std::string& text);

    // The cells of a stored column text: backslash escapes (\n \r \t, any
    // other character stands for itself), cells ended by an unescaped comma,
    // a cell of one space read as empty. Never fewer than one cell.
    static std::vector<std::string> decodeColumnText(const std::string& text);

    // Escapes a value for use inside a JSON string.
    static void jsonEscape(std::string& text);

    // The value an empty cell of a column of this type holds.
    static const char* defaultValueForType(int columnType);

    // Splits comma-separated text into records of fields. Records end at LF,
    // CR or CRLF; a double quote pairs with the next one, and separators
    // between a pair belong to the field. Quotes stay in the fields.
    static std::vector<std::vector<std::string>> splitCSV(const std::string& text);

    // Leading-integer reading as atoi does, clamped to the int range
    // instead of overflowing.
    static int parseInt(const char* text);
    static long long parseLongLong(const char* text);
    // Leading decimal number as atof does; 0 when there is none.
    static double parseDouble(const char* text);

    // Byte-wise ASCII case-insensitive equality.
    static bool equalsIgnoreCase(const std::string& a, const std::string& b);

    // Reads a whole file; false (with `error` set) when it cannot be read.
    static bool readFile(const std::string& path, std::string& out, std::string& error);

    // Writes `data` to a temporary file beside `path` and renames it over
    // `path`, so the target is either the old file or the complete new one.
    // False (with `error` set) when anything failed; the temporary is removed.
    static bool writeFileAtomically(const std::string& path, const std::string& data, std::string& error);
};
