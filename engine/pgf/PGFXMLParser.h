// Reads an XML document, from a file or from memory, into the Lua form of
// PGFParser with libxml2's SAX reader. Only the document itself is read:
// no DTD is loaded, no external entity fetched, and no entity but the five
// predefined ones is expanded.
#pragma once

#include "engine/pgf/PGFParser.h"

#include <cstdio>
#include <libxml/parser.h>
#include <string>

class PGFXMLParser : public PGFParser {
public:
    // String form: reads `length` bytes of `buffer`.
    PGFXMLParser(lua_State* L, const char* buffer, size_t length);
    // File form: reads the file at the plain path `fileName`.
    PGFXMLParser(lua_State* L, const char* fileName);

    // 0 on success; otherwise one line naming the source has been printed on
    // standard error and the Lua stack may hold partial tables above where it
    // was. A Lua error met while building the tables is raised.
    int parse() override;

private:
    static void startXMLElement(void* context, const xmlChar* name, const xmlChar** attributes);
    static void endXMLElement(void* context, const xmlChar* name);
    static void characters(void* context, const xmlChar* text, int length);
    static xmlEntityPtr getEntity(void* context, const xmlChar* name);
    static void reportError(void* context, const char* message, ...);
    static int readInput(void* context, char* buffer, int length);
    void fail(const char* reason);
    std::string sourceName() const;

    const char* buffer_ = nullptr; // string form
    size_t length_ = 0;
    size_t offset_ = 0;
    const char* fileName_ = nullptr; // file form
    FILE* file_ = nullptr;
    xmlSAXHandler handler_;
    // Text of the innermost element; reserved for the usual sizes and grown
    // when a text is longer, so no part of a long text is lost.
    std::string text_;
    xmlParserCtxtPtr context_ = nullptr;
    bool failed_ = false;
    bool errorReported_ = false;
};
