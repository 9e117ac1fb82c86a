#include "engine/pgf/PGFUTF8.h"

int PGFNextCodePoint(const unsigned char*& at)
{
    unsigned c = *at++;
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
        if ((*next & 0xC0) != 0x80)
            return -1;
        codePoint = (codePoint << 6) | (*next & 0x3F);
    }
    bool overlong = (following == 2 && codePoint < 0x800) || (following == 3 && codePoint < 0x10000);
    if (overlong || (codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF)
        return -1;
    at = next;
    return static_cast<int>(codePoint);
}

bool PGFIsUTF8(const char* text)
{
    const unsigned char* at = reinterpret_cast<const unsigned char*>(text);
    while (*at) {
        if (PGFNextCodePoint(at) < 0)
            return false;
    }
    return true;
}
