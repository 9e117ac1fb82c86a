#include "engine/pgf/PGFJSONWriter.h"

#include <cstdio>
#include <cstring>

namespace {

// yajl keeps the indent string by pointer, so it must outlive every generator.
const char kIndent[] = "\t";

// yajl's generator fails an open at its 128th level without undoing it, after
// which its closes no longer match; we refuse before reaching that point.
const unsigned kMaxOpenContainers = 127;

void appendToStream(void* context, const char* text, size_t length)
{
    fwrite(text, 1, length, static_cast<FILE*>(context));
}

yajl_gen_status generateString(yajl_gen generator, const char* text)
{
    return yajl_gen_string(generator, reinterpret_cast<const unsigned char*>(text), strlen(text));
}

} // namespace

bool checkYajlStatus(yajl_gen_status status)
{
    const char* line = nullptr;
    switch (status) {
    case yajl_gen_status_ok:
        return true;
    case yajl_gen_keys_must_be_strings: line = "keys must be strings"; break;
    case yajl_max_depth_exceeded: line = "max depth exceeded"; break;
    case yajl_gen_in_error_state: line = "in error state"; break;
    case yajl_gen_generation_complete: line = "complete document has been generated"; break;
    case yajl_gen_invalid_number: line = "invalid number"; break;
    case yajl_gen_no_buf: line = "no internal buffer"; break;
    default: return false;
    }
    printf("%s\n", line);
    return false;
}

yajl_gen PGFJSONWriter::makeGenerator(int beautify, PGFOutputFile* file)
{
    yajl_gen generator = yajl_gen_alloc(nullptr);
    if (!generator)
        return nullptr;
    yajl_gen_config(generator, yajl_gen_beautify, beautify);
    yajl_gen_config(generator, yajl_gen_indent_string, kIndent);
    if (file)
        yajl_gen_config(generator, yajl_gen_print_callback, appendToStream, static_cast<void*>(file->stream()));
    return generator;
}

std::unique_ptr<PGFJSONWriter> PGFJSONWriter::newToString(bool beautify)
{
    yajl_gen generator = makeGenerator(beautify ? 1 : 0, nullptr);
    if (!generator) {
        fprintf(stderr, "pgf: cannot create a JSON writer to a string\n");
        return nullptr;
    }
    return std::unique_ptr<PGFJSONWriter>(new PGFJSONWriter(generator, beautify ? 1 : 0, nullptr));
}

std::unique_ptr<PGFJSONWriter> PGFJSONWriter::newToFile(const char* path, bool beautify)
{
    auto file = std::make_unique<PGFOutputFile>();
    if (!file->open(path))
        return nullptr;
    yajl_gen generator = makeGenerator(beautify ? 1 : 0, file.get());
    if (!generator) {
        fprintf(stderr, "pgf: cannot create a JSON writer for \"%s\"\n", path);
        return nullptr;
    }
    return std::unique_ptr<PGFJSONWriter>(new PGFJSONWriter(generator, beautify ? 1 : 0, std::move(file)));
}

PGFJSONWriter::PGFJSONWriter(yajl_gen generator, int beautify, std::unique_ptr<PGFOutputFile> file)
    : generator_(generator), beautify_(beautify), file_(std::move(file))
{
}

PGFJSONWriter::~PGFJSONWriter()
{
    yajl_gen_free(generator_);
    if (file_)
        abandoned() ? file_->commitUnlessReplaced() : file_->commit();
}

unsigned PGFJSONWriter::openContainers() const
{
    unsigned count = 0;
    for (unsigned state : elementStates_) {
        if (state == kRefused)
            break;
        count += state == kChildrenOpen ? 2 : 1;
    }
    return count;
}

void PGFJSONWriter::endChildren()
{
    elementStates_.back() = kChildrenClosed;
    yajl_gen_array_close(generator_);
}

int PGFJSONWriter::startDocument()
{
    elementStates_.clear();
    return 0;
}

int PGFJSONWriter::endDocument()
{
    return 0;
}

int PGFJSONWriter::startElement(const char* name)
{
    // Inside a refused element everything is refused, so its end still pairs.
    if (!elementStates_.empty() && elementStates_.back() == kRefused) {
        elementStates_.push_back(kRefused);
        return 0;
    }
    bool startsChildren = !elementStates_.empty() && elementStates_.back() == kOpen;
    if (openContainers() + (startsChildren ? 2 : 1) > kMaxOpenContainers) {
        checkYajlStatus(yajl_max_depth_exceeded);
        elementStates_.push_back(kRefused);
        return 0;
    }
    if (startsChildren) {
        elementStates_.back() = kChildrenOpen;
        generateString(generator_, "_children");
        if (!checkYajlStatus(yajl_gen_array_open(generator_))) {
            elementStates_.back() = kOpen;
            elementStates_.push_back(kRefused);
            return 0;
        }
    }
    if (!checkYajlStatus(yajl_gen_map_open(generator_))) {
        elementStates_.push_back(kRefused);
        return 0;
    }
    elementStates_.push_back(kOpen);
    return writeAttribute("_type", name);
}

int PGFJSONWriter::endElement()
{
    if (elementStates_.empty())
        return 0;
    unsigned state = elementStates_.back();
    if (state == kRefused) {
        elementStates_.pop_back();
        return 0;
    }
    if (state == kChildrenOpen)
        endChildren();
    elementStates_.pop_back();
    return checkYajlStatus(yajl_gen_map_close(generator_)) ? 1 : 0;
}

int PGFJSONWriter::writeAttribute(const char* name, const char* value)
{
    if (!elementStates_.empty()) {
        if (elementStates_.back() == kRefused)
            return 0;
    }
    if (!elementStates_.empty() && elementStates_.back() == kChildrenOpen)
        endChildren();
    generateString(generator_, name);
    return checkYajlStatus(generateString(generator_, value)) ? 1 : 0;
}

int PGFJSONWriter::writeTextValue(const char* text)
{
    if (!elementStates_.empty() && elementStates_.back() == kRefused)
        return 0;
    generateString(generator_, "_text");
    return checkYajlStatus(generateString(generator_, text)) ? 1 : 0;
}

const char* PGFJSONWriter::getString()
{
    const unsigned char* buffer = nullptr;
    size_t length = 0;
    if (!checkYajlStatus(yajl_gen_get_buf(generator_, &buffer, &length)))
        return nullptr;
    // Nothing generated yet: the generator may not have a buffer at all.
    return buffer ? reinterpret_cast<const char*>(buffer) : "";
}
