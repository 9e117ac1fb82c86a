#include "engine/pgf/PGFXMLParser.h"

#include <cerrno>
#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <libxml/entities.h>
#include <memory>

#include "platform/files/KVFileLookup.h"

namespace {

const size_t kTextReserve = 16384;

// In attribute values the reader hands an escaped ampersand over as this
// character reference; the script wants the ampersand itself.
std::string withAmpersands(const char* value)
{
    static const char kReference[] = "&#38;";
    const size_t referenceLength = sizeof kReference - 1;
    std::string result;
    const char* from = value;
    while (const char* found = strstr(from, kReference)) {
        result.append(from, found);
        result += '&';
        from = found + referenceLength;
    }
    result += from;
    return result;
}

struct ContextFree {
    void operator()(xmlParserCtxtPtr context) const
    {
        if (context->myDoc)
            xmlFreeDoc(context->myDoc);
        xmlFreeParserCtxt(context);
    }
};

struct FileClose {
    void operator()(FILE* file) const { fclose(file); }
};

} // namespace

PGFXMLParser::PGFXMLParser(lua_State* L, const char* buffer, size_t length)
    : PGFParser(L), buffer_(buffer), length_(length)
{
    memset(&handler_, 0, sizeof handler_);
    // Any value but the SAX2 magic number selects the version 1 callbacks.
    handler_.initialized = 1;
    handler_.getEntity = getEntity;
    handler_.startElement = startXMLElement;
    handler_.endElement = endXMLElement;
    handler_.characters = characters;
    // Same callback, so every run of blanks is text, as it is without a DTD.
    handler_.ignorableWhitespace = characters;
    handler_.error = reportError;
    handler_.fatalError = reportError;
    text_.reserve(kTextReserve);
}

PGFXMLParser::PGFXMLParser(lua_State* L, const char* fileName) : PGFXMLParser(L, nullptr, 0)
{
    fileName_ = fileName;
}

std::string PGFXMLParser::sourceName() const
{
    return fileName_ ? "\"" + std::string(fileName_) + "\"" : std::string("document string");
}

int PGFXMLParser::parse()
{
    std::unique_ptr<FILE, FileClose> file;
    if (fileName_) {
        // A plain fopen: the name is never taken as a URL.
        file.reset(fopen(KVFileLookup::shared().find(fileName_).c_str(), "rb"));
        if (!file) {
            fprintf(stderr, "pgf: cannot open \"%s\": %s\n", fileName_, strerror(errno));
            return -1;
        }
    }
    file_ = file.get();
    offset_ = 0;
    failed_ = false;
    errorReported_ = false;
    text_.clear();

    std::unique_ptr<xmlParserCtxt, ContextFree> context(
        xmlCreateIOParserCtxt(&handler_, this, readInput, nullptr, this, XML_CHAR_ENCODING_NONE));
    if (!context) {
        fprintf(stderr, "pgf: cannot read %s: out of memory\n", sourceName().c_str());
        return -1;
    }
    // No network even if something asked for an outside resource; entities
    // stay unsubstituted and no external subset is loaded.
    xmlCtxtUseOptions(context.get(), XML_PARSE_NONET);
    context_ = context.get();
    beginBuilding();
    xmlParseDocument(context_);
    int result = (context_->wellFormed && !failed_) ? 0 : -1;
    if (result != 0 && !errorReported_ && !luaFailed())
        fprintf(stderr, "pgf: cannot read %s: not a well-formed document\n", sourceName().c_str());
    context_ = nullptr;
    file_ = nullptr;
    // The reader has returned and freed its own memory: a Lua error met on
    // the way can now be raised safely.
    endBuilding();
    return result;
}

int PGFXMLParser::readInput(void* context, char* buffer, int length)
{
    auto* self = static_cast<PGFXMLParser*>(context);
    if (length <= 0)
        return 0;
    if (self->file_) {
        size_t got = fread(buffer, 1, static_cast<size_t>(length), self->file_);
        return (got == 0 && ferror(self->file_)) ? -1 : static_cast<int>(got);
    }
    size_t count = std::min(static_cast<size_t>(length), self->length_ - self->offset_);
    memcpy(buffer, self->buffer_ + self->offset_, count);
    self->offset_ += count;
    return static_cast<int>(count);
}

xmlEntityPtr PGFXMLParser::getEntity(void*, const xmlChar* name)
{
    return xmlGetPredefinedEntity(name);
}

void PGFXMLParser::reportError(void* context, const char* message, ...)
{
    auto* self = static_cast<PGFXMLParser*>(context);
    // The first error explains the failure; the reader's later ones follow from it.
    if (self->errorReported_)
        return;
    self->errorReported_ = true;
    char text[512];
    va_list arguments;
    va_start(arguments, message);
    vsnprintf(text, sizeof text, message, arguments);
    va_end(arguments);
    size_t length = strlen(text);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r'))
        text[--length] = '\0';
    int line = self->context_ && self->context_->input ? self->context_->input->line : 0;
    fprintf(stderr, "pgf: cannot read %s: line %d: %s\n", self->sourceName().c_str(), line, text);
}

void PGFXMLParser::fail(const char* reason)
{
    if (!errorReported_ && reason)
        fprintf(stderr, "pgf: cannot read %s: %s\n", sourceName().c_str(), reason);
    errorReported_ = true;
    failed_ = true;
    xmlStopParser(context_);
}

// The callbacks run inside libxml2: nothing may be thrown out of them.

void PGFXMLParser::startXMLElement(void* context, const xmlChar* name, const xmlChar** attributes)
{
    auto* self = static_cast<PGFXMLParser*>(context);
    if (self->failed_)
        return;
    try {
        // Text before a child element belongs to no one.
        self->text_.clear();
        if (!self->pushElement(reinterpret_cast<const char*>(name))) {
            self->fail(self->luaFailed() ? nullptr : "elements nested too deeply");
            return;
        }
        for (const xmlChar** pair = attributes; pair && pair[0]; pair += 2) {
            const char* value = pair[1] ? reinterpret_cast<const char*>(pair[1]) : "";
            if (!self->setAttribute(reinterpret_cast<const char*>(pair[0]), withAmpersands(value).c_str())) {
                self->fail(nullptr);
                return;
            }
        }
    } catch (const std::exception& e) {
        self->fail(e.what());
    }
}

void PGFXMLParser::endXMLElement(void* context, const xmlChar*)
{
    auto* self = static_cast<PGFXMLParser*>(context);
    if (self->failed_)
        return;
    bool stored = true;
    if (!self->text_.empty() && self->topHasNoChildren())
        stored = self->setTextValue(self->text_.data(), self->text_.size());
    self->text_.clear();
    if (!stored || !self->popElement())
        self->fail(nullptr);
}

void PGFXMLParser::characters(void* context, const xmlChar* text, int length)
{
    auto* self = static_cast<PGFXMLParser*>(context);
    if (self->failed_ || length <= 0)
        return;
    try {
        self->text_.append(reinterpret_cast<const char*>(text), static_cast<size_t>(length));
    } catch (const std::exception& e) {
        self->fail(e.what());
    }
}
