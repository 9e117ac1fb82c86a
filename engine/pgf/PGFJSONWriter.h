// Writes a PGF document as JSON through yajl's generator. Each element is an
// object: "_type" holds its name, attributes are string members, "_text" its
// text, and "_children" an array of its child elements.
#pragma once

#include "engine/pgf/PGFOutputFile.h"
#include "engine/pgf/PGFWriter.h"

#include <memory>
#include <vector>
#include <yajl/yajl_gen.h>

// True for yajl_gen_status_ok; otherwise prints the status's line on
// standard output (statuses 1 to 6) and answers false.
bool checkYajlStatus(yajl_gen_status status);

class PGFJSONWriter : public PGFWriter {
public:
    // Both return null, after printing one line, when the writer cannot be made.
    static std::unique_ptr<PGFJSONWriter> newToString(bool beautify);
    static std::unique_ptr<PGFJSONWriter> newToFile(const char* path, bool beautify);
    ~PGFJSONWriter() override;

    // startDocument and endDocument answer 0; the others 1 when the
    // generator accepted the last token, 0 otherwise.
    int startDocument() override;
    int endDocument() override;
    int startElement(const char* name) override;
    int endElement() override;
    int writeAttribute(const char* name, const char* value) override;
    int writeTextValue(const char* text) override;
    const char* getString() override;

    int beautify() const { return beautify_; }

private:
    // One per open element.
    enum ElementState : unsigned {
        kOpen = 0,           // object open, no child yet
        kChildrenOpen = 1,   // its "_children" array is open
        kChildrenClosed = 2, // the array was closed by a later attribute
        kRefused = 3,        // the generator refused to open it: nothing to close
    };

    PGFJSONWriter(yajl_gen generator, int beautify, std::unique_ptr<PGFOutputFile> file);
    static yajl_gen makeGenerator(int beautify, PGFOutputFile* file);
    void endChildren();
    unsigned openContainers() const;

    yajl_gen generator_;
    int beautify_;
    std::unique_ptr<PGFOutputFile> file_; // file form only
    std::vector<unsigned> elementStates_;
};
