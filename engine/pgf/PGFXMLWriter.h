// Writes a PGF document as XML through libxml2's text writer, into memory
// (getString) or into a file.
#pragma once

#include "engine/pgf/PGFOutputFile.h"
#include "engine/pgf/PGFWriter.h"

#include <libxml/xmlwriter.h>
#include <memory>
#include <set>
#include <string>

class PGFXMLWriter : public PGFWriter {
public:
    // Both return null, after printing one line, when the writer cannot be made.
    static std::unique_ptr<PGFXMLWriter> newToString();
    static std::unique_ptr<PGFXMLWriter> newToFile(const char* path);
    ~PGFXMLWriter() override;

    // Each answers the library's result: bytes written, or -1 on error.
    int startDocument() override;
    int endDocument() override;
    int startElement(const char* name) override;
    int endElement() override;
    int writeAttribute(const char* name, const char* value) override;
    int writeTextValue(const char* text) override;
    const char* getString() override;

private:
    PGFXMLWriter(xmlTextWriterPtr writer, xmlBufferPtr buffer, std::unique_ptr<PGFOutputFile> file);

    xmlTextWriterPtr writer_;
    xmlBufferPtr buffer_;                 // memory form only
    std::unique_ptr<PGFOutputFile> file_; // file form only
    // The library's own end-element on an empty stack damages its state, so
    // we count open elements and refuse that call ourselves.
    unsigned openElements_ = 0;
    // The library would write a second XML declaration anywhere.
    bool begun_ = false;
    // Attributes of the latest start tag: a repeated name would make the
    // document unreadable.
    std::set<std::string> attributeNames_;
};
