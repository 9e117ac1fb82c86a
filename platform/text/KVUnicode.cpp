#include "platform/text/KVUnicode.h"

namespace {

bool isHighSurrogate(uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

const unsigned char* bytes(std::string_view text) { return reinterpret_cast<const unsigned char*>(text.data()); }

}  // namespace

int KVNextCodePoint(const unsigned char*& at, const unsigned char* end)
{
    const unsigned c = *at++;
    if (c < 0x80)
        return static_cast<int>(c);
    int following = 0;
    unsigned codePoint = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        following = 1;
        codePoint = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        following = 2;
        codePoint = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        following = 3;
        codePoint = c & 0x07;
    } else {
        return -1;
    }
    const unsigned char* next = at;
    for (int i = 0; i < following; ++i, ++next) {
        if (next == end || (*next & 0xC0) != 0x80)
            return -1;
        codePoint = (codePoint << 6) | (*next & 0x3F);
    }
    const bool overlong = (following == 2 && codePoint < 0x800) || (following == 3 && codePoint < 0x10000);
    if (overlong || (codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF)
        return -1;
    at = next;
    return static_cast<int>(codePoint);
}

bool KVIsUTF8(std::string_view text)
{
    const unsigned char* at = bytes(text);
    const unsigned char* end = at + text.size();
    while (at < end) {
        if (KVNextCodePoint(at, end) < 0)
            return false;
    }
    return true;
}

void KVAppendUTF8(std::string& out, uint32_t cp)
{
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool KVUTF8ToUTF16(std::string_view text, std::u16string& out)
{
    out.clear();
    const unsigned char* at = bytes(text);
    const unsigned char* end = at + text.size();
    while (at < end) {
        const int c = KVNextCodePoint(at, end);
        if (c < 0) {
            out.clear();
            return false;
        }
        if (c < 0x10000) {
            out += static_cast<char16_t>(c);
        } else {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return true;
}

std::string KVUTF16ToUTF8(std::u16string_view units)
{
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        uint32_t u = units[i];
        if (isHighSurrogate(u) && i + 1 < units.size() && isLowSurrogate(units[i + 1])) {
            u = 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
            ++i;
        }
        KVAppendUTF8(out, u);
    }
    return out;
}
