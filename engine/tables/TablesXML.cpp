#include "engine/tables/TablesXML.h"

#include <cerrno>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <exception>

#include "engine/tables/ConversionFromZeroToOne.h"
#include "engine/tables/TableUtil.h"
#include "platform/files/KVFileLookup.h"

namespace {

int tagCodeFor(const char* name)
{
    static const struct {
        const char* name;
        int code;
    } kTags[] = {{"table", 1}, {"columns", 2}, {"rows", 3}, {"column", 4}, {"row", 5}};
    for (const auto& t : kTags)
        if (std::strcmp(name, t.name) == 0)
            return t.code;
    return 0;
}

// The version with six decimals whatever the process locale says.
std::string formatVersion(double version)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%f", version);
    for (char* p = buf; *p; ++p)
        if (*p == ',')
            *p = '.';
    return buf;
}

// Parses the version as a decimal fraction independent of the locale's
// decimal separator; leading garbage gives 0 as atof would.
double parseVersion(const char* text)
{
    std::string s(text);
    struct lconv* lc = localeconv();
    if (lc && lc->decimal_point && std::strcmp(lc->decimal_point, ".") != 0) {
        for (char& c : s)
            if (c == '.')
                c = lc->decimal_point[0];
    }
    return TableUtil::parseDouble(s.c_str());
}

}  // namespace

TablesXML::TablesXML()
{
    converters_.push_back(std::make_unique<ConversionFromZeroToOne>());
}

TablesXML::~TablesXML() = default;

void TablesXML::beginParse()
{
    depth_ = 0;
    tagCode_ = 0;
    tagName_.clear();
    sawTable_ = false;
    table_ = Table();
}

XML_Parser TablesXML::createExpatParser()
{
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser)
        return nullptr;
    XML_SetUserData(parser, this);
    XML_SetElementHandler(parser, &TablesXML::startElement, &TablesXML::endElement);
    XML_SetCharacterDataHandler(parser, &TablesXML::characterData);
    return parser;
}

bool TablesXML::initWithFile(const std::string& path)
{
    beginParse();
    FILE* file = std::fopen(KVFileLookup::shared().find(path).c_str(), "rb");
    if (!file) {
        std::printf("TableParser Error: cannot open %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    XML_Parser parser = createExpatParser();
    if (!parser) {
        std::fclose(file);
        std::printf("TableParser Error: out of memory reading %s\n", path.c_str());
        return false;
    }

    char block[4096];
    bool ok = true;
    for (;;) {
        size_t n = std::fread(block, 1, sizeof block, file);
        if (std::ferror(file)) {
            std::printf("TableParser Error: cannot read %s: %s\n", path.c_str(), std::strerror(errno));
            ok = false;
            break;
        }
        bool last = n < sizeof block;
        if (XML_Parse(parser, block, static_cast<int>(n), last) == XML_STATUS_ERROR) {
            std::printf("TableParser Error: %s at line %lu in %s\n", XML_ErrorString(XML_GetErrorCode(parser)),
                        static_cast<unsigned long>(XML_GetCurrentLineNumber(parser)), path.c_str());
            ok = false;
            break;
        }
        if (last)
            break;
    }
    XML_ParserFree(parser);
    std::fclose(file);
    return ok && finishParse(path);
}

bool TablesXML::initWithBuffer(const char* data, int length)
{
    beginParse();
    if (!data || length < 0) {
        std::printf("Error reading the buffer\n");
        return false;
    }
    XML_Parser parser = createExpatParser();
    if (!parser) {
        std::printf("TableParser Error: out of memory\n");
        return false;
    }
    bool ok = XML_Parse(parser, data, length, 1) != XML_STATUS_ERROR;
    if (!ok)
        std::printf("TableParser Error: %s at line %lu\n", XML_ErrorString(XML_GetErrorCode(parser)),
                    static_cast<unsigned long>(XML_GetCurrentLineNumber(parser)));
    XML_ParserFree(parser);
    return ok && finishParse("the buffer");
}

bool TablesXML::finishParse(const std::string& where)
{
    if (!sawTable_) {
        std::printf("TableParser Error: no table element in %s\n", where.c_str());
        return false;
    }
    const Table& t = table_;
    if (t.numRows < 0 || t.numRows > kMaxRows || t.numCols < 0 || t.numCols > kMaxColumns ||
        static_cast<long long>(t.numRows) * t.numCols > kMaxCells ||
        t.columns.size() > static_cast<size_t>(kMaxColumns)) {
        std::printf("TableParser Error: table size numRows=%d numCols=%d out of range in %s\n", t.numRows,
                    t.numCols, where.c_str());
        return false;
    }

    if (!table_.columns.empty() && std::floor(table_.version) == 0) {
        // Convert a copy so that a failure leaves the data as parsed.
        try {
            Table converted = table_;
            converters_.front()->convert(converted);
            table_ = std::move(converted);
        } catch (const std::exception&) {
            std::printf("Error converting file!\n");
        }
    }
    return true;
}

void XMLCALL TablesXML::startElement(void* userData, const XML_Char* name, const XML_Char** attributes)
{
    auto* self = static_cast<TablesXML*>(userData);
    self->depth_ += 1;
    self->tagName_ = name;
    self->tagCode_ = tagCodeFor(name);

    if (self->depth_ == 1 && self->tagCode_ == 1) {
        self->sawTable_ = true;
        Table& t = self->table_;
        for (const XML_Char** a = attributes; a[0]; a += 2) {
            const char* key = a[0];
            const char* value = a[1];
            if (std::strcmp(key, "version") == 0)
                t.version = parseVersion(value);
            else if (std::strcmp(key, "name") == 0)
                t.name += value;
            else if (std::strcmp(key, "numRows") == 0)
                t.numRows = TableUtil::parseInt(value);
            else if (std::strcmp(key, "numCols") == 0)
                t.numCols = TableUtil::parseInt(value);
            else if (std::strcmp(key, "flags") == 0)
                t.flags = static_cast<int>(static_cast<unsigned>(TableUtil::parseLongLong(value)));
            else if (std::strcmp(key, "tableType") == 0)
                t.tableType = static_cast<int>(static_cast<unsigned>(TableUtil::parseLongLong(value)));
        }
    } else if (self->depth_ == 3 && self->tagCode_ == 4) {
        Column column;
        for (const XML_Char** a = attributes; a[0]; a += 2) {
            const char* key = a[0];
            const char* value = a[1];
            if (std::strcmp(key, "id") == 0)
                column.id = TableUtil::parseInt(value);
            else if (std::strcmp(key, "name") == 0)
                column.name += value;
            else if (std::strcmp(key, "type") == 0)
                column.type = TableUtil::parseInt(value);
            else if (std::strcmp(key, "readonly") == 0)
                column.readonly = TableUtil::parseInt(value) != 0 ? 1 : 0;
        }
        self->table_.columns.push_back(std::move(column));
    } else if (self->depth_ == 3 && self->tagCode_ == 5) {
        Row row;
        for (const XML_Char** a = attributes; a[0]; a += 2) {
            if (std::strcmp(a[0], "id") == 0)
                row.id = TableUtil::parseInt(a[1]);
            else if (std::strcmp(a[0], "name") == 0)
                row.name = a[1];
        }
        self->table_.rows.push_back(std::move(row));
    }
}

void XMLCALL TablesXML::endElement(void* userData, const XML_Char*)
{
    static_cast<TablesXML*>(userData)->depth_ -= 1;
}

void XMLCALL TablesXML::characterData(void* userData, const XML_Char* text, int length)
{
    auto* self = static_cast<TablesXML*>(userData);
    if (self->depth_ == 3 && self->tagCode_ == 4 && !self->table_.columns.empty())
        self->table_.columns.back().text.append(text, static_cast<size_t>(length));
}

std::string TablesXML::FormatXMLString(const char* tag, bool open, bool keepOpen, bool noNewline,
                                       const char* format, ...)
{
    std::string attributes;
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    int needed = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (needed > 0) {
        attributes.resize(static_cast<size_t>(needed) + 1);
        std::vsnprintf(&attributes[0], attributes.size(), format, args);
        attributes.resize(static_cast<size_t>(needed));
    }
    va_end(args);

    std::string out = "<";
    out += tag;
    if (open) {
        out += attributes;
        if (keepOpen) {
            out += '>';
            if (!noNewline)
                out += '\n';
        } else {
            out += "/>\n";
        }
    } else {
        out += '>';
        out += attributes;
        out += "</";
        out += tag;
        out += ">\n";
    }
    return out;
}

std::string TablesXML::getFileStream()
{
    const Table& t = table_;
    std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    out += FormatXMLString("table", true, true, false, " %s=\"%s\" %s=\"%s\" %s=\"%d\" %s=\"%d\" %s=\"%u\" %s=\"%u\"",
                           "version", formatVersion(t.version).c_str(), "name", t.name.c_str(), "numRows",
                           t.numRows, "numCols", t.numCols, "flags", static_cast<unsigned>(t.flags), "tableType",
                           static_cast<unsigned>(t.tableType));
    out += "    " + FormatXMLString("rows", true, true, false, "%s", "");
    for (const Row& row : t.rows)
        out += "        " +
               FormatXMLString("row", true, false, false, " %s=\"%d\" %s=\"%s\"", "id", row.id, "name", row.name.c_str());
    out += "    </rows>\n";
    out += "    " + FormatXMLString("columns", true, true, false, "%s", "");
    for (const Column& column : t.columns) {
        out += "        " + FormatXMLString("column", true, true, true, " %s=\"%d\" %s=\"%s\" %s=\"%d\" %s=\"%d\"",
                                            "id", column.id, "name", column.name.c_str(), "type", column.type,
                                            "readonly", column.readonly);
        out += column.text;
        out += "</column>\n";
    }
    out += "    </columns>\n";
    out += "</table>\n";
    return out;
}

std::string TablesXML::getFileStreamJSON()
{
    const Table& t = table_;
    std::string out;
    auto line = [&out](int indent, const std::string& text) {
        out.append(static_cast<size_t>(indent), ' ');
        out += text;
        out += '\n';
    };
    auto quoted = [](const std::string& s) { return "\"" + s + "\""; };

    line(0, "{");
    line(3, "\"version\": \"0.1\",");
    line(3, "\"id\": \"0\",");
    line(3, "\"name\": " + quoted(t.name) + ",");
    line(3, "\"numRows\": " + quoted(std::to_string(t.numRows)) + ",");
    line(3, "\"numCols\": " + quoted(std::to_string(t.numCols)) + ",");
    line(3, "\"flags\": " + quoted(std::to_string(t.flags)) + ",");
    line(3, "\"tableType\": " + quoted(std::to_string(t.tableType)) + ",");
    line(3, "\"_type\":\"table\",");
    line(3, "\"_children\": [");
    line(7, "{");
    line(11, "\"_type\": \"rows\",");
    line(11, "\"_children\": [");
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const Row& row = t.rows[i];
        line(15, "{");
        line(19, "\"_type\": \"row\",");
        line(19, "\"id\": " + quoted(std::to_string(row.id)) + ",");
        line(19, "\"name\":" + quoted(row.name));
        line(15, i + 1 < t.rows.size() ? "}," : "}");
    }
    line(11, "]");
    line(7, "},");
    line(7, "{");
    line(11, "\"_type\": \"columns\",");
    line(11, "\"_children\":[");
    for (size_t i = 0; i < t.columns.size(); ++i) {
        const Column& column = t.columns[i];
        line(15, "{");
        line(19, "\"_text\":[" + column.text + "],");
        line(19, "\"_type\":\"column\",");
        line(19, "\"id\":" + quoted(std::to_string(column.id)) + ",");
        line(19, "\"name\":" + quoted(column.name) + ",");
        line(19, "\"type\":" + quoted(std::to_string(column.type)) + ",");
        line(19, "\"readonly\":" + quoted(std::to_string(column.readonly)));
        line(15, i + 1 < t.columns.size() ? "}," : "}");
    }
    line(11, "]");
    line(7, "}");
    line(3, "]");
    line(0, "}");
    return out;
}

bool TablesXML::isWellFormed(const std::string& text)
{
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser)
        return false;
    bool ok = text.size() <= static_cast<size_t>(INT_MAX) &&
              XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) != XML_STATUS_ERROR;
    XML_ParserFree(parser);
    return ok;
}

std::string TablesXML::firstUnwritableItem() const
{
    // Names are written up to their first NUL, as the file has them.
    const auto attributeFits = [](const std::string& name) {
        return isWellFormed("<a b=\"" + std::string(name.c_str()) + "\"/>");
    };
    const Table& t = table_;
    if (!attributeFits(t.name))
        return "the table name";
    for (size_t r = 0; r < t.rows.size(); ++r)
        if (!attributeFits(t.rows[r].name))
            return "the name of row " + std::to_string(r + 1);
    for (size_t c = 0; c < t.columns.size(); ++c) {
        if (!attributeFits(t.columns[c].name))
            return "the name of column " + std::to_string(c + 1);
        // The cells, separated by commas that no backslash escapes.
        const std::string& text = t.columns[c].text;
        size_t row = 0;
        std::string cell;
        for (size_t i = 0; i <= text.size(); ++i) {
            if (i == text.size() || text[i] == ',') {
                if (!isWellFormed("<a>" + cell + "</a>"))
                    return "the cell at row " + std::to_string(row + 1) + ", column " + std::to_string(c + 1);
                cell.clear();
                ++row;
                continue;
            }
            if (text[i] == '\\' && i + 1 < text.size())
                cell += text[i++];
            cell += text[i];
        }
    }
    return "a cell or name";
}

long TablesXML::writeFileOut(const std::string& path, bool json)
{
    std::string text = json ? getFileStreamJSON() : getFileStream();
    std::string error;
    // A cell or name holding bytes that XML cannot carry (control characters,
    // broken UTF-8) would make a file nobody can read again: keep the old one.
    if (!json && !isWellFormed(text)) {
        std::fprintf(stderr, "Could not save table file %s: %s holds characters an XML file cannot carry\n",
                     path.c_str(), firstUnwritableItem().c_str());
        return 0;
    }
    if (!TableUtil::writeFileAtomically(path, text, error)) {
        std::fprintf(stderr, "Could not save table file %s: %s\n", path.c_str(), error.c_str());
        return 0;
    }
    return static_cast<long>(text.size());
}
