#include "platform/image/KVImageHeader.h"

#include <cstdlib>
#include <cstring>

namespace {

uint32_t little(const uint8_t* p, int bytes)
{
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

uint32_t big(const uint8_t* p, int bytes)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | p[i];
    return value;
}

const char* const kTooLarge = "the picture is empty or too large";
const char* const kShortHeader = "its header is damaged or cut short";

struct Declared {
    bool known = false;
    long width = 0, height = 0;
};

Declared png(const uint8_t* data, size_t size)
{
    if (size < 24 || memcmp(data + 12, "IHDR", 4) != 0)
        return {};
    return {true, static_cast<long>(big(data + 16, 4)), static_cast<long>(big(data + 20, 4))};
}

// The first start-of-frame segment among those before the scan.
Declared jpeg(const uint8_t* data, size_t size)
{
    size_t at = 2;
    while (at + 4 <= size) {
        if (data[at] != 0xff)
            return {};
        const uint8_t marker = data[at + 1];
        if (marker == 0xff) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xd8 || (marker >= 0xd0 && marker <= 0xd7) || marker == 0x01) {
            at += 2;
            continue;
        }
        if (marker == 0xda || marker == 0xd9)
            return {};
        const size_t length = big(data + at + 2, 2);
        const bool frame = marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
        if (frame && at + 9 <= size)
            return {true, static_cast<long>(big(data + at + 7, 2)), static_cast<long>(big(data + at + 5, 2))};
        if (length < 2)
            return {};
        at += 2 + length;
    }
    return {};
}

Declared webp(const uint8_t* data, size_t size)
{
    if (size >= 30 && memcmp(data + 12, "VP8 ", 4) == 0)
        return {true, static_cast<long>(little(data + 26, 2) & 0x3fff), static_cast<long>(little(data + 28, 2) & 0x3fff)};
    if (size >= 25 && memcmp(data + 12, "VP8L", 4) == 0) {
        const uint32_t bits = little(data + 21, 4);
        return {true, static_cast<long>(bits & 0x3fff) + 1, static_cast<long>((bits >> 14) & 0x3fff) + 1};
    }
    if (size >= 30 && memcmp(data + 12, "VP8X", 4) == 0)
        return {true, static_cast<long>(little(data + 24, 3)) + 1, static_cast<long>(little(data + 27, 3)) + 1};
    return {};
}

}  // namespace

std::string KVImageHeaderRefusal(KVImageFormat format, const uint8_t* data, size_t size)
{
    Declared declared;
    switch (format) {
    case KVImageFormat::PNG: declared = png(data, size); break;
    case KVImageFormat::JPEG: declared = jpeg(data, size); break;
    case KVImageFormat::WebP: declared = webp(data, size); break;
    case KVImageFormat::BMP: {
        // SDL reads the header the file declares even past the file's end,
        // and then sizes its buffers by what it read.
        const uint32_t infoSize = size >= 18 ? little(data + 14, 4) : 0;
        if (size < 26 || infoSize < 12 || infoSize > size - 14)
            return kShortHeader;
        const uint32_t offset = little(data + 10, 4);
        long width, height;
        uint32_t depth, compression = 0;
        if (infoSize == 12) {  // the old OS/2 header: 16-bit sides, never compressed
            width = little(data + 18, 2);
            height = little(data + 20, 2);
            depth = little(data + 24, 2);
        } else if (size >= 34) {
            width = static_cast<int32_t>(little(data + 18, 4));
            height = std::labs(static_cast<int32_t>(little(data + 22, 4)));  // negative: top row first
            depth = little(data + 28, 2);
            compression = little(data + 30, 4);
        } else {
            return kShortHeader;
        }
        if (!KVImageDecoder::sizeAllowed(width, height))
            return kTooLarge;
        // Uncompressed rows are read whole, each padded to 4 bytes.
        const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
        const size_t rows = static_cast<size_t>(height) * ((static_cast<size_t>(width) * depth + 31) / 32 * 4);
        if (uncompressed && depth <= 32 && (offset > size || rows > size - offset))
            return "the file is shorter than the rows its header declares";
        return "";
    }
    default: return "";
    }
    if (declared.known && !KVImageDecoder::sizeAllowed(declared.width, declared.height))
        return kTooLarge;
    return "";
}
