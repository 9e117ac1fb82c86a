#include "engine/tables/TableUtil.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files/KVFileLookup.h"

void TableUtil::xmlSubstitute(std::string& text)
{
    // One pass, so an ampersand already in the text is escaped like any
    // other and comes back unchanged when the file is read.
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '\'': out += "&apos;"; break;
        case '"': out += "&quot;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c; break;
        }
    }
    text.swap(out);
}

void TableUtil::xmlAttributeSubstitute(std::string& text)
{
    xmlSubstitute(text);
    if (text.find_first_of("\t\n\r") == std::string::npos)
        return;
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        switch (c) {
        case '\t': out += "&#9;"; break;
        case '\n': out += "&#10;"; break;
        case '\r': out += "&#13;"; break;
        default: out += c; break;
        }
    }
    text.swap(out);
}

void TableUtil::escapeSubstitute(std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case ',': out += "\\,"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out += c; break;
        }
    }
    text.swap(out);
}

void TableUtil::csvDecode(std::string& text)
{
    static const struct {
        const char* entity;
        size_t length;
        char ch;
    } kEntities[] = {
        {"&amp;", 5, '&'}, {"&apos;", 6, '\''}, {"&quot;", 6, '"'}, {"&lt;", 4, '<'}, {"&gt;", 4, '>'},
    };

    std::string plain;
    plain.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        bool decoded = false;
        if (text[i] == '&') {
            for (const auto& e : kEntities) {
                if (text.compare(i, e.length, e.entity) == 0) {
                    plain += e.ch;
                    i += e.length;
                    decoded = true;
                    break;
                }
            }
        }
        if (!decoded)
            plain += text[i++];
    }

    std::string out;
    out.reserve(plain.size());
    for (size_t i = 0; i < plain.size(); ++i) {
        char c = plain[i];
        if (c == '\\' && i + 1 < plain.size()) {
            char next = plain[i + 1];
            switch (next) {
            case '\\': out += '\\'; ++i; continue;
            case ',': out += ','; ++i; continue;
            case 'n': out += '\n'; ++i; continue;
            case 'r': out += '\r'; ++i; continue;
            case 't': out += '\t'; ++i; continue;
            default: break;  // not an escape we write: keep the backslash
            }
        }
        out += c;
    }
    text.swap(out);
}

std::vector<std::string> TableUtil::decodeColumnText(const std::string& text)
{
    std::vector<std::string> cells;
    std::string cell;
    auto endCell = [&]() {
        if (cell == " ")
            cell.clear();
        cells.push_back(std::move(cell));
        cell.clear();
    };
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\') {
            if (++i == text.size())
                break;
            char next = text[i];
            cell += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next;
        } else if (c == ',') {
            endCell();
        } else {
            cell += c;
        }
    }
    endCell();
    return cells;
}

void TableUtil::jsonEscape(std::string& text)
{
    std::string out;
    out.reserve(text.size() + 2);
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (u < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", u);
                out += buf;
            } else {
                out += c;
            }
            break;
        }
    }
    text.swap(out);
}

const char* TableUtil::defaultValueForType(int columnType)
{
    switch (columnType) {
    case 2:  // Integer
    case 3:  // Real
    case 5:  // Angle
        return "0";
    case 4:  // Boolean
        return "False";
    default:
        return "";
    }
}

std::vector<std::vector<std::string>> TableUtil::splitCSV(const std::string& text)
{
    // Pair every quote with the next one; positions strictly between a
    // pair are quoted.
    std::vector<bool> quoted(text.size(), false);
    for (size_t open = text.find('"'); open != std::string::npos;) {
        size_t close = text.find('"', open + 1);
        if (close == std::string::npos)
            break;
        for (size_t i = open + 1; i < close; ++i)
            quoted[i] = true;
        open = text.find('"', close + 1);
    }

    std::vector<std::vector<std::string>> records;
    std::vector<std::string> fields;
    std::string field;
    bool recordOpen = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (!quoted[i]) {
            if (c == '\n' && i > 0 && text[i - 1] == '\r')
                continue;  // the CR already ended the record
            if (c == '\n' || c == '\r') {
                fields.push_back(std::move(field));
                field.clear();
                records.push_back(std::move(fields));
                fields.clear();
                recordOpen = false;
                continue;
            }
            if (c == ',') {
                fields.push_back(std::move(field));
                field.clear();
                recordOpen = true;
                continue;
            }
        }
        field += c;
        recordOpen = true;
    }
    if (recordOpen || records.empty()) {
        fields.push_back(std::move(field));
        records.push_back(std::move(fields));
    }
    return records;
}

long long TableUtil::parseLongLong(const char* text)
{
    if (!text)
        return 0;
    return std::strtoll(text, nullptr, 10);  // clamps on overflow
}

int TableUtil::parseInt(const char* text)
{
    long long v = parseLongLong(text);
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return static_cast<int>(v);
}

double TableUtil::parseDouble(const char* text)
{
    if (!text)
        return 0.0;
    return std::strtod(text, nullptr);
}

bool TableUtil::equalsIgnoreCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

bool TableUtil::readFile(const std::string& path, std::string& out, std::string& error)
{
    FILE* f = std::fopen(KVFileLookup::shared().find(path).c_str(), "rb");
    if (!f) {
        error = std::strerror(errno);
        return false;
    }
    std::string data;
    char block[4096];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0)
        data.append(block, n);
    bool failed = std::ferror(f) != 0;
    int savedErrno = errno;
    std::fclose(f);
    if (failed) {
        error = std::strerror(savedErrno);
        return false;
    }
    out.swap(data);
    return true;
}

bool TableUtil::writeFileAtomically(const std::string& givenPath, const std::string& data, std::string& error)
{
    if (givenPath.empty()) {
        error = "no file name";
        return false;
    }
    const std::string path = KVFileLookup::shared().findForWriting(givenPath);
    static std::atomic<unsigned> counter{0};

    // Created with 0666 so the umask decides the mode, as a plain create would.
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = path + ".tmp." + std::to_string(getpid()) + "." + std::to_string(counter++);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }

    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        ssize_t w = ::write(fd, p, left);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            error = std::strerror(errno);
            ::close(fd);
            ::unlink(temp.c_str());
            return false;
        }
        p += w;
        left -= static_cast<size_t>(w);
    }
    if (::fsync(fd) != 0 && errno != EINVAL) {
        error = std::strerror(errno);
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    }
    if (::close(fd) != 0) {
        error = std::strerror(errno);
        ::unlink(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        error = std::strerror(errno);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}
