#include "engine/pgf/PGFXMLWriter.h"

#include <cstdio>
#include <cstring>
#include <libxml/chvalid.h>

#include "platform/text/KVUnicode.h"

namespace {

int writeToStream(void* context, const char* bytes, int length)
{
    FILE* stream = static_cast<FILE*>(context);
    return fwrite(bytes, 1, static_cast<size_t>(length), stream) == static_cast<size_t>(length) ? length : -1;
}

// The stream belongs to the PGFOutputFile, which closes and renames it.
int leaveStreamOpen(void*)
{
    return 0;
}

// Name characters as the reader accepts them (XML 1.0, fifth edition).
bool isNameStartChar(int c)
{
    return c == ':' || c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
           (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) ||
           (c >= 0x2070 && c <= 0x218F) || (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
           (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool isNameChar(int c)
{
    return isNameStartChar(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

// A name the reader could not read back would make the whole document unreadable.
bool isValidName(const char* what, const char* name)
{
    const unsigned char* at = reinterpret_cast<const unsigned char*>(name);
    const unsigned char* end = at + strlen(name);
    bool valid = at != end;
    for (bool first = true; valid && at != end; first = false) {
        int c = KVNextCodePoint(at, end);
        valid = c >= 0 && (first ? isNameStartChar(c) : isNameChar(c));
    }
    if (!valid)
        fprintf(stderr, "pgf: invalid XML %s name \"%s\": refused\n", what, name);
    return valid;
}

// XML 1.0 cannot carry most control characters, even escaped, nor bytes
// that are not UTF-8: a document holding them could never be read back.
bool isWritableText(const char* what, const char* text)
{
    const unsigned char* at = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* end = at + strlen(text);
    while (at != end) {
        const unsigned char* start = at;
        int c = KVNextCodePoint(at, end);
        if (c < 0 || !xmlIsCharQ(c)) {
            fprintf(stderr, "pgf: %s holds a character XML cannot carry (byte %td): refused\n", what,
                    reinterpret_cast<const char*>(start) - text);
            return false;
        }
    }
    return true;
}

const xmlChar* xml(const char* text)
{
    return reinterpret_cast<const xmlChar*>(text);
}

} // namespace

std::unique_ptr<PGFXMLWriter> PGFXMLWriter::newToString()
{
    xmlBufferPtr buffer = xmlBufferCreate();
    xmlTextWriterPtr writer = buffer ? xmlNewTextWriterMemory(buffer, 0) : nullptr;
    if (!writer) {
        fprintf(stderr, "pgf: cannot create an XML writer to a string\n");
        if (buffer)
            xmlBufferFree(buffer);
        return nullptr;
    }
    return std::unique_ptr<PGFXMLWriter>(new PGFXMLWriter(writer, buffer, nullptr));
}

std::unique_ptr<PGFXMLWriter> PGFXMLWriter::newToFile(const char* path)
{
    // The path is opened as a plain path (not a URI): no unescaping, no
    // length cut, never anything but a local file.
    auto file = std::make_unique<PGFOutputFile>();
    if (!file->open(path))
        return nullptr;
    xmlOutputBufferPtr output = xmlOutputBufferCreateIO(writeToStream, leaveStreamOpen, file->stream(), nullptr);
    xmlTextWriterPtr writer = output ? xmlNewTextWriter(output) : nullptr;
    if (!writer) {
        if (output)
            xmlOutputBufferClose(output);
        fprintf(stderr, "pgf: cannot create an XML writer for \"%s\"\n", path);
        return nullptr;
    }
    return std::unique_ptr<PGFXMLWriter>(new PGFXMLWriter(writer, nullptr, std::move(file)));
}

PGFXMLWriter::PGFXMLWriter(xmlTextWriterPtr writer, xmlBufferPtr buffer, std::unique_ptr<PGFOutputFile> file)
    : writer_(writer), buffer_(buffer), file_(std::move(file))
{
}

PGFXMLWriter::~PGFXMLWriter()
{
    // Freeing the text writer flushes everything into the file or buffer.
    xmlFreeTextWriter(writer_);
    if (buffer_)
        xmlBufferFree(buffer_);
    if (file_)
        abandoned() ? file_->commitUnlessReplaced() : file_->commit();
}

int PGFXMLWriter::startDocument()
{
    if (begun_) {
        fprintf(stderr, "pgf: startDocument after the document has begun: refused\n");
        return -1;
    }
    int result = xmlTextWriterStartDocument(writer_, nullptr, "UTF-8", nullptr);
    begun_ = begun_ || result >= 0;
    return result;
}

int PGFXMLWriter::endDocument()
{
    int result = xmlTextWriterEndDocument(writer_);
    if (result >= 0) {
        openElements_ = 0;
        // It ends with a line feed, which a declaration may not follow.
        begun_ = true;
    }
    return result;
}

int PGFXMLWriter::startElement(const char* name)
{
    if (!isValidName("element", name))
        return -1;
    int result = xmlTextWriterStartElement(writer_, xml(name));
    if (result >= 0) {
        ++openElements_;
        begun_ = true;
        attributeNames_.clear();
    }
    return result;
}

int PGFXMLWriter::endElement()
{
    if (openElements_ == 0)
        return -1;
    int result = xmlTextWriterEndElement(writer_);
    if (result >= 0)
        --openElements_;
    return result;
}

int PGFXMLWriter::writeAttribute(const char* name, const char* value)
{
    if (!isValidName("attribute", name) || !isWritableText("attribute value", value))
        return -1;
    if (attributeNames_.count(name)) {
        fprintf(stderr, "pgf: attribute \"%s\" written twice on one element: refused\n", name);
        return -1;
    }
    int result = xmlTextWriterWriteAttribute(writer_, xml(name), xml(value));
    if (result >= 0)
        attributeNames_.insert(name);
    return result;
}

int PGFXMLWriter::writeTextValue(const char* text)
{
    if (!isWritableText("text", text))
        return -1;
    int result = xmlTextWriterWriteString(writer_, xml(text));
    begun_ = begun_ || result >= 0;
    return result;
}

const char* PGFXMLWriter::getString()
{
    if (!buffer_)
        return nullptr;
    xmlTextWriterFlush(writer_);
    return reinterpret_cast<const char*>(xmlBufferContent(buffer_));
}
