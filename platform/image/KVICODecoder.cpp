#include "platform/image/KVICODecoder.h"

#include <cstring>
#include <vector>

#include "platform/image/KVImageDecoder.h"
#include "platform/image/KVSDLImageDecoder.h"

namespace {

constexpr size_t kHeaderBytes = 6, kEntryBytes = 16;

uint32_t little(const uint8_t* p, int bytes)
{
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

}  // namespace

KVBitmap KVDecodeICO(const uint8_t* data, size_t size, std::string* error)
{
    const size_t count = size >= kHeaderBytes ? little(data + 4, 2) : 0;
    if (count == 0 || size < kHeaderBytes + count * kEntryBytes) {
        *error = "its list of pictures is cut short";
        return KVBitmap();
    }
    struct Picture {
        const uint8_t* entry;
        KVPictureSize size;
        uint32_t depth;
    };
    std::vector<Picture> pictures;
    std::vector<KVPictureSize> sizes;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = data + kHeaderBytes + i * kEntryBytes;
        const uint32_t bytes = little(entry + 8, 4), offset = little(entry + 12, 4);
        if (offset > size || bytes > size - offset || bytes == 0)
            continue;
        // A side of 0 means 256.
        pictures.push_back({entry, {entry[0] ? entry[0] : 256, entry[1] ? entry[1] : 256}, little(entry + 6, 2)});
        sizes.push_back(pictures.back().size);
    }
    if (pictures.empty()) {
        *error = "none of its pictures lies within the file";
        return KVBitmap();
    }
    // The largest, and of equal sizes the deepest.
    const Picture* best = &pictures[0];
    auto area = [](const Picture& p) { return static_cast<long>(p.size.width) * p.size.height; };
    for (const Picture& p : pictures)
        if (area(p) > area(*best) || (area(p) == area(*best) && p.depth > best->depth))
            best = &p;

    const uint32_t bytes = little(best->entry + 8, 4);
    const uint8_t* picture = data + little(best->entry + 12, 4);
    KVBitmap bitmap;
    if (bytes >= 8 && memcmp(picture, "\x89PNG\r\n\x1a\n", 8) == 0) {
        bitmap = KVImageDecoder::decode(picture, bytes, "its picture", error);
    } else {
        // A file of this one picture, which SDL_image reads.
        std::vector<uint8_t> single(data, data + kHeaderBytes);
        single[4] = 1;
        single[5] = 0;
        single.insert(single.end(), best->entry, best->entry + kEntryBytes);
        const uint32_t offset = kHeaderBytes + kEntryBytes;
        for (int b = 0; b < 4; ++b)
            single[kHeaderBytes + 12 + b] = static_cast<uint8_t>(offset >> (8 * b));
        single.insert(single.end(), picture, picture + bytes);
        bitmap = KVDecodeWithSDLImage(single.data(), single.size(), false, error);
    }
    return KVImageDecoder::toLargestSides(bitmap, sizes);
}
