#include "platform/bundle/KVLocalizedStrings.h"

#include <plist/plist.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>

#include "platform/bundle/KVPlistDictionary.h"
#include "platform/files/KVFileLookup.h"
#include "platform/objects/KVLogLine.h"
#include "platform/text/KVUnicode.h"

namespace {

// UTF-16 text after its byte-order mark; false for an odd number of bytes.
bool utf16ToUTF8(const std::string& bytes, bool bigEndian, std::string& out)
{
    if (bytes.size() % 2 != 0)
        return false;
    std::u16string units;
    for (size_t i = 2; i < bytes.size(); i += 2) {
        const auto a = static_cast<uint8_t>(bytes[i]), b = static_cast<uint8_t>(bytes[i + 1]);
        units += static_cast<char16_t>(bigEndian ? a << 8 | b : b << 8 | a);
    }
    out = KVUTF16ToUTF8(units);
    return true;
}

// The text form: "key" = "value"; pairs, a lone "key"; meaning the key
// itself, unquoted words for simple tokens, /* */ and // comments.
class TextParser {
public:
    TextParser(const std::string& text, const std::string& name) : text_(text), name_(name) {}

    bool parse(std::map<std::string, std::string>& out, std::string* error)
    {
        for (;;) {
            if (!skipSpace())
                return fail(error, "unterminated comment");
            if (pos_ >= text_.size())
                return true;
            std::string key, value;
            if (!readToken(key, error))
                return false;
            if (!skipSpace())
                return fail(error, "unterminated comment");
            if (peek() == '=') {
                ++pos_;
                if (!skipSpace())
                    return fail(error, "unterminated comment");
                if (!readToken(value, error))
                    return false;
                if (!skipSpace())
                    return fail(error, "unterminated comment");
            } else {
                value = key;
            }
            if (peek() != ';')
                return fail(error, "expected ';' after \"" + key + "\"");
            ++pos_;
            out[key] = value;
        }
    }

private:
    char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }

    bool fail(std::string* error, const std::string& why) const
    {
        *error = name_ + ":" + std::to_string(line_) + ": " + why;
        return false;
    }

    void advance()
    {
        if (text_[pos_] == '\n')
            ++line_;
        ++pos_;
    }

    // False at an unterminated block comment.
    bool skipSpace()
    {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
                advance();
            } else if (text_.compare(pos_, 2, "//") == 0) {
                while (pos_ < text_.size() && text_[pos_] != '\n')
                    ++pos_;
            } else if (text_.compare(pos_, 2, "/*") == 0) {
                const size_t end = text_.find("*/", pos_ + 2);
                if (end == std::string::npos)
                    return false;
                while (pos_ < end + 2)
                    advance();
            } else {
                return true;
            }
        }
        return true;
    }

    static bool isWordChar(char c)
    {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$' ||
               c == '+' || c == '/' || c == ':' || c == '.' || c == '-';
    }

    bool readToken(std::string& token, std::string* error)
    {
        if (peek() == '"')
            return readQuoted(token, error);
        while (pos_ < text_.size() && isWordChar(text_[pos_]))
            token += text_[pos_++];
        if (token.empty())
            return fail(error, pos_ < text_.size() ? "unexpected '" + std::string(1, text_[pos_]) + "'"
                                                   : "unexpected end of file");
        return true;
    }

    // Up to `digits` hexadecimal digits; at least one.
    bool readHex(size_t digits, uint32_t& value)
    {
        value = 0;
        size_t n = 0;
        for (; n < digits && pos_ < text_.size(); ++n, ++pos_) {
            const char c = text_[pos_];
            const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (d < 0)
                break;
            value = value * 16 + static_cast<uint32_t>(d);
        }
        return n > 0;
    }

    bool readQuoted(std::string& token, std::string* error)
    {
        const int startLine = line_;
        ++pos_;
        std::u16string escaped;  // \U units in a row, so that a surrogate pair joins
        auto flushEscaped = [&] {
            token += KVUTF16ToUTF8(escaped);
            escaped.clear();
        };
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '"') {
                ++pos_;
                flushEscaped();
                return true;
            }
            if (c != '\\') {
                flushEscaped();
                token += c;
                advance();
                continue;
            }
            ++pos_;
            if (pos_ >= text_.size())
                break;
            const char e = text_[pos_];
            if (e == 'U' || e == 'u') {
                ++pos_;
                uint32_t unit = 0;
                if (!readHex(4, unit))
                    return fail(error, "bad \\U escape");
                escaped += static_cast<char16_t>(unit);
                continue;
            }
            flushEscaped();
            if (e >= '0' && e <= '7') {
                uint32_t value = 0;
                for (int n = 0; n < 3 && pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '7'; ++n, ++pos_)
                    value = value * 8 + static_cast<uint32_t>(text_[pos_] - '0');
                KVAppendUTF8(token, value);
                continue;
            }
            switch (e) {
            case 'n': token += '\n'; break;
            case 't': token += '\t'; break;
            case 'r': token += '\r'; break;
            case 'a': token += '\a'; break;
            case 'b': token += '\b'; break;
            case 'f': token += '\f'; break;
            case 'v': token += '\v'; break;
            default: token += e; break;  // \" \\ \' and any other character stand for themselves
            }
            advance();
        }
        line_ = startLine;
        return fail(error, "unterminated string");
    }

    const std::string& text_;
    const std::string& name_;
    size_t pos_ = 0;
    int line_ = 1;
};

bool parsePlist(const std::string& data, std::map<std::string, std::string>& out)
{
    return KVForEachPlistEntry(data, [&out](const char* key, plist_t value) {
        if (plist_get_node_type(value) != PLIST_STRING)
            return;
        char* text = nullptr;
        plist_get_string_val(value, &text);
        if (text)
            out[key] = text;
        std::free(text);
    });
}

bool isFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Folder names older bundles use for their languages.
const char* englishName(const std::string& code)
{
    static const std::map<std::string, const char*> names = {
        {"en", "English"}, {"fr", "French"},   {"de", "German"},     {"es", "Spanish"},
        {"it", "Italian"}, {"ja", "Japanese"}, {"nl", "Dutch"},      {"pt", "Portuguese"},
    };
    auto it = names.find(code);
    return it == names.end() ? nullptr : it->second;
}

void addOnce(std::vector<std::string>& list, const std::string& item)
{
    if (item.empty())
        return;
    for (const std::string& present : list)
        if (present == item)
            return;
    list.push_back(item);
}

std::mutex& mainMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<const KVLocalizedStrings>& mainSlot()
{
    static std::shared_ptr<const KVLocalizedStrings> table;
    return table;
}

}  // namespace

std::optional<KVLocalizedStrings> KVLocalizedStrings::parse(const std::string& bytes, const std::string& name,
                                                            std::string* error)
{
    std::string text;
    if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFE && static_cast<uint8_t>(bytes[1]) == 0xFF) {
        if (!utf16ToUTF8(bytes, true, text)) {
            *error = name + ": broken UTF-16 text";
            return std::nullopt;
        }
    } else if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF && static_cast<uint8_t>(bytes[1]) == 0xFE) {
        if (!utf16ToUTF8(bytes, false, text)) {
            *error = name + ": broken UTF-16 text";
            return std::nullopt;
        }
    } else {
        text = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes;
    }

    KVLocalizedStrings table;
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (text.compare(0, 6, "bplist") == 0 || (first != std::string::npos && text.compare(first, 2, "<?") == 0) ||
        (first != std::string::npos && text.compare(first, 6, "<plist") == 0)) {
        if (!parsePlist(text, table.strings_)) {
            *error = name + ": not a property list dictionary";
            return std::nullopt;
        }
        return table;
    }
    if (text.find('\0') != std::string::npos) {
        *error = name + ": not text (UTF-16 needs a byte-order mark)";
        return std::nullopt;
    }
    TextParser parser(text, name);
    if (!parser.parse(table.strings_, error))
        return std::nullopt;
    return table;
}

std::optional<KVLocalizedStrings> KVLocalizedStrings::load(const std::string& path, std::string* error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = "cannot read " + path;
        return std::nullopt;
    }
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return parse(bytes, path, error);
}

std::vector<std::string> KVLocalizedStrings::preferredLanguages()
{
    std::vector<std::string> settings;
    if (const char* list = std::getenv("LANGUAGE")) {
        std::string all = list;
        for (size_t start = 0; start <= all.size();) {
            const size_t colon = all.find(':', start);
            settings.push_back(all.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
            if (colon == std::string::npos)
                break;
            start = colon + 1;
        }
    }
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) {
            settings.push_back(value);
            break;
        }
    }
    std::vector<std::string> languages;
    for (std::string setting : settings) {
        setting = setting.substr(0, setting.find_first_of(".@"));
        if (setting.empty() || setting == "C" || setting == "POSIX")
            continue;
        addOnce(languages, setting);
        addOnce(languages, setting.substr(0, setting.find_first_of("_-")));
    }
    return languages;
}

KVLocalizedStrings KVLocalizedStrings::forResources(const std::string& resourcesPath,
                                                    const std::vector<std::string>& languages)
{
    std::vector<std::string> folders;
    for (const std::string& language : languages) {
        addOnce(folders, language);
        std::string dashed = language;
        for (char& c : dashed)
            if (c == '_')
                c = '-';
        addOnce(folders, dashed);
        if (const char* old = englishName(language))
            addOnce(folders, old);
    }
    addOnce(folders, "en");
    addOnce(folders, "English");
    for (const std::string& folder : folders) {
        const std::string path =
            KVFileLookup::shared().find(resourcesPath + "/" + folder + ".lproj/Localizable.strings");
        if (!isFile(path))
            continue;
        std::string error;
        if (auto table = load(path, &error))
            return *table;
        KVLogLine("Localised texts skipped: %s", error.c_str());
    }
    return KVLocalizedStrings{};
}

std::string KVLocalizedStrings::localizedString(const std::string& key) const
{
    auto it = strings_.find(key);
    return it == strings_.end() ? key : it->second;
}

void KVLocalizedStrings::setMainTable(std::shared_ptr<const KVLocalizedStrings> table)
{
    std::lock_guard<std::mutex> lock(mainMutex());
    mainSlot() = std::move(table);
}

std::shared_ptr<const KVLocalizedStrings> KVLocalizedStrings::mainTable()
{
    std::lock_guard<std::mutex> lock(mainMutex());
    if (!mainSlot())
        mainSlot() = std::make_shared<const KVLocalizedStrings>();
    return mainSlot();
}
