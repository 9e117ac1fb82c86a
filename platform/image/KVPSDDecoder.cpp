#include "platform/image/KVPSDDecoder.h"

#include <stb_image.h>

#include <climits>
#include <cstring>

#include "platform/image/KVImageDecoder.h"

namespace {

uint32_t big(const uint8_t* p, int bytes)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | p[i];
    return value;
}

// The colour profile among the image resources (id 1039), which follow the
// 26-byte header and the colour mode data.
std::string profileOf(const uint8_t* data, size_t size)
{
    size_t at = 26;
    if (size < at + 4)
        return {};
    at += 4 + static_cast<size_t>(big(data + at, 4));
    if (size < at + 4 || size - at - 4 < big(data + at, 4))
        return {};
    const size_t end = at + 4 + big(data + at, 4);
    at += 4;
    while (at + 12 <= end) {
        if (memcmp(data + at, "8BIM", 4) != 0)
            return {};
        const uint32_t id = big(data + at + 4, 2);
        const size_t nameBytes = (1 + static_cast<size_t>(data[at + 6]) + 1) & ~static_cast<size_t>(1);
        at += 6 + nameBytes;
        if (at + 4 > end)
            return {};
        const size_t length = big(data + at, 4);
        at += 4;
        if (length > end - at)
            return {};
        if (id == 1039)
            return std::string(reinterpret_cast<const char*>(data + at), length);
        at += (length + 1) & ~static_cast<size_t>(1);
    }
    return {};
}

}  // namespace

KVBitmap KVDecodePSD(const uint8_t* data, size_t size, std::string* iccProfile, std::string* error)
{
    int width = 0, height = 0, channels = 0;
    if (size > INT_MAX || !stbi_info_from_memory(data, static_cast<int>(size), &width, &height, &channels) ||
        !KVImageDecoder::sizeAllowed(width, height)) {
        *error = size > INT_MAX ? "too large" : "not a Photoshop file it can read, or of an unusable size";
        return KVBitmap();
    }
    stbi_uc* pixels = stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &channels, 4);
    if (!pixels) {
        *error = stbi_failure_reason() ? stbi_failure_reason() : "cannot read its composite";
        return KVBitmap();
    }
    KVBitmap bitmap(width, height);
    memcpy(bitmap.pixels().data(), pixels, bitmap.pixels().size());
    stbi_image_free(pixels);
    *iccProfile = profileOf(data, size);
    return bitmap;
}
