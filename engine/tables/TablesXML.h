// Reads table XML files with expat into a Table record and writes a record
// as the XML or JSON text of a table file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <expat.h>

#include "engine/tables/IKVTableParser.h"
#include "engine/tables/IKVTableXMLConverter.h"

class TablesXML : public IKVTableParser {
public:
    // Bounds on what a file may claim, so that a damaged or hostile file
    // cannot make the player build millions of empty cells.
    static constexpr int kMaxRows = 1000000;
    static constexpr int kMaxColumns = 10000;
    static constexpr long long kMaxCells = 4000000;

    TablesXML();
    ~TablesXML() override;

    // Both answer false, after printing one line, for a file that cannot be
    // read, is not well-formed, has no "table" element or claims impossible
    // counts. The record is then not to be used.
    bool initWithFile(const std::string& path) override;
    bool initWithBuffer(const char* data, int length) override;

    std::string getFileStream() override;
    std::string getFileStreamJSON() override;
    long writeFileOut(const std::string& path, bool json) override;
    Table& getTable() override { return table_; }

    // printf-style builder of one element line (see the file format).
    static std::string FormatXMLString(const char* tag, bool open, bool keepOpen, bool noNewline,
                                       const char* format, ...) __attribute__((format(printf, 5, 6)));

    // Whether an XML reader accepts `text`.
    static bool isWellFormed(const std::string& text);
    // What keeps the table from being XML: the first name or cell (in file
    // order, counted from 1) holding characters an XML file cannot carry.
    std::string firstUnwritableItem() const;

private:
    static void XMLCALL startElement(void* userData, const XML_Char* name, const XML_Char** attributes);
    static void XMLCALL endElement(void* userData, const XML_Char* name);
    static void XMLCALL characterData(void* userData, const XML_Char* text, int length);

    void beginParse();
    XML_Parser createExpatParser();
    // Checks and converts the record after a well-formed parse; `where` names
    // the source in messages.
    bool finishParse(const std::string& where);

    int depth_ = 0;
    int tagCode_ = 0;
    std::string tagName_;
    bool sawTable_ = false;
    Table table_;
    std::vector<std::unique_ptr<IKVTableXMLConverter>> converters_;
};
