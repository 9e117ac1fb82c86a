#include "platform/image/KVICNSDecoder.h"

// libicns declares its functions for C only.
extern "C" {
#include <icns.h>
}

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/image/KVImageDecoder.h"

namespace {

uint32_t big(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// Sides of the members that hold PNG or JPEG 2000 data.
int payloadSide(uint32_t type)
{
    switch (type) {
    case 0x69637034: return 16;    // icp4
    case 0x69637035: return 32;    // icp5
    case 0x69637036: return 64;    // icp6
    case 0x69633131: return 32;    // ic11, 16 at double density
    case 0x69633132: return 64;    // ic12
    case 0x69633037: return 128;   // ic07
    case 0x69633038: return 256;   // ic08
    case 0x69633133: return 256;   // ic13
    case 0x69633039: return 512;   // ic09
    case 0x69633134: return 512;   // ic14
    case 0x69633130: return 1024;  // ic10
    default: return 0;
    }
}

struct Member {
    uint32_t type;
    const uint8_t* data;
    size_t size;
    bool payload;  // PNG or JPEG 2000 data rather than an old bitmap
};

// The old bitmap members, decoded with their masks by libicns.
KVBitmap fromLibicns(const uint8_t* data, size_t size, uint32_t type, std::string* error)
{
    static std::once_flag quiet;
    std::call_once(quiet, [] { icns_set_print_errors(0); });
    std::vector<icns_byte_t> copy(data, data + size);
    icns_family_t* family = nullptr;
    if (icns_import_family_data(static_cast<icns_size_t>(copy.size()), copy.data(), &family) != ICNS_STATUS_OK) {
        *error = "libicns cannot read the icon family";
        return KVBitmap();
    }
    icns_image_t image{};
    KVBitmap bitmap;
    if (icns_get_image32_with_mask_from_family(family, type, &image) == ICNS_STATUS_OK && image.imageChannels == 4 &&
        image.imagePixelDepth == 8 && KVImageDecoder::sizeAllowed(image.imageWidth, image.imageHeight) &&
        image.imageDataSize >= uint64_t(image.imageWidth) * image.imageHeight * 4) {
        bitmap = KVBitmap(static_cast<int>(image.imageWidth), static_cast<int>(image.imageHeight));
        memcpy(bitmap.pixels().data(), image.imageData, bitmap.pixels().size());
    } else {
        *error = "libicns cannot read its largest picture";
    }
    icns_free_image(&image);
    free(family);
    return bitmap;
}

}  // namespace

KVBitmap KVDecodeICNS(const uint8_t* data, size_t size, std::string* error)
{
    const size_t total = size >= 8 ? std::min<size_t>(size, big(data + 4)) : 0;
    std::vector<Member> members;
    std::vector<KVPictureSize> sizes, cut;
    for (size_t at = 8; at + 8 <= total;) {
        const uint32_t type = big(data + at), length = big(data + at + 4);
        if (length < 8 || length > total - at)
            break;
        const uint8_t* content = data + at + 8;
        const size_t bytes = length - 8;
        const bool png = bytes >= 24 && memcmp(content, "\x89PNG\r\n\x1a\n", 8) == 0;
        const bool jp2 = bytes >= 12 && memcmp(content, "\0\0\0\x0cjP  ", 8) == 0;
        KVPictureSize side{};
        if (png) {
            side = {static_cast<int>(big(content + 16)), static_cast<int>(big(content + 20))};
        } else if (jp2 || payloadSide(type)) {
            side = {payloadSide(type), payloadSide(type)};
        } else {
            const icns_icon_info_t info = icns_get_image_info_for_type(type);
            if (info.isImage && !info.isMask)
                side = {static_cast<int>(info.iconWidth), static_cast<int>(info.iconHeight)};
            // libicns copies an old member's pixels or mask by the size its
            // type implies, not by what the member holds; a 1-bit member
            // holds both. (32-bit pictures are run-length coded and read
            // with care.)
            if ((info.isMask || info.iconBitDepth < 32) &&
                bytes < info.iconRawDataSize * (info.isImage && info.isMask ? 2 : 1))
                cut.push_back({static_cast<int>(info.iconWidth), static_cast<int>(info.iconHeight)});
        }
        if (KVImageDecoder::sizeAllowed(side.width, side.height)) {
            members.push_back({type, content, bytes, png || jp2});
            sizes.push_back(side);
        }
        at += length;
    }
    if (members.empty()) {
        *error = "no icon in it";
        return KVBitmap();
    }
    const size_t largest = KVImageDecoder::largest(sizes);
    const Member& best = members[largest];
    if (!best.payload && std::any_of(cut.begin(), cut.end(), [&](const KVPictureSize& c) {
            return c.width == sizes[largest].width && c.height == sizes[largest].height;
        })) {
        *error = "its largest icon or the mask of that size is cut short";
        return KVBitmap();
    }
    const KVBitmap bitmap = best.payload ? KVImageDecoder::decode(best.data, best.size, "its largest icon", error)
                                         : fromLibicns(data, total, best.type, error);
    return KVImageDecoder::toLargestSides(bitmap, sizes);
}
