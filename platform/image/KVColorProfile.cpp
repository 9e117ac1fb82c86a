#include "platform/image/KVColorProfile.h"

#include <lcms2.h>
#include <zlib.h>

#include <cstring>
#include <map>
#include <vector>

namespace {

// Profiles are a few kilobytes; a larger "profile" is damage.
constexpr size_t kMaxProfileBytes = 16 * 1024 * 1024;

uint32_t big(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// iCCP: a name, a zero byte, the compression method (0) and the
// zlib-compressed profile.
std::string fromPNG(const uint8_t* data, size_t size)
{
    for (size_t at = 8; at + 12 <= size;) {
        const size_t length = big(data + at);
        if (length > size - at - 12)
            return {};
        const uint8_t* chunk = data + at + 8;
        if (memcmp(data + at + 4, "iCCP", 4) == 0) {
            const void* zero = memchr(chunk, 0, length);
            if (!zero)
                return {};
            const size_t skip = static_cast<const uint8_t*>(zero) - chunk + 2;
            if (skip > length)
                return {};
            z_stream z{};
            if (inflateInit(&z) != Z_OK)
                return {};
            z.next_in = const_cast<Bytef*>(chunk + skip);
            z.avail_in = static_cast<uInt>(length - skip);
            std::string profile;
            char block[16384];
            int status = Z_OK;
            while (status == Z_OK && profile.size() <= kMaxProfileBytes) {
                z.next_out = reinterpret_cast<Bytef*>(block);
                z.avail_out = sizeof block;
                status = inflate(&z, Z_NO_FLUSH);
                profile.append(block, sizeof block - z.avail_out);
            }
            inflateEnd(&z);
            return status == Z_STREAM_END ? profile : std::string();
        }
        if (memcmp(data + at + 4, "IDAT", 4) == 0)
            return {};
        at += 12 + length;
    }
    return {};
}

// APP2 segments "ICC_PROFILE\0", sequence number, count, then a piece of
// the profile; the pieces joined in sequence order.
std::string fromJPEG(const uint8_t* data, size_t size)
{
    std::map<int, std::string> pieces;
    int count = 0;
    for (size_t at = 2; at + 4 <= size;) {
        if (data[at] != 0xFF)
            break;
        const uint8_t marker = data[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9)  // the picture itself, or its end
            break;
        const size_t length = (size_t(data[at + 2]) << 8) | data[at + 3];
        if (length < 2 || length > size - at - 2)
            break;
        const uint8_t* segment = data + at + 4;
        if (marker == 0xE2 && length >= 16 && memcmp(segment, "ICC_PROFILE\0", 12) == 0) {
            count = segment[13];
            pieces[segment[12]] = std::string(reinterpret_cast<const char*>(segment + 14), length - 16);
        }
        at += 2 + length;
    }
    if (pieces.empty() || static_cast<int>(pieces.size()) != count)
        return {};
    std::string profile;
    for (const auto& [sequence, piece] : pieces)
        profile += piece;
    return profile;
}

// An extended WebP file keeps the profile in its ICCP chunk.
std::string fromWebP(const uint8_t* data, size_t size)
{
    for (size_t at = 12; at + 8 <= size;) {
        const size_t length = data[at + 4] | (size_t(data[at + 5]) << 8) | (size_t(data[at + 6]) << 16) |
                              (size_t(data[at + 7]) << 24);
        if (length > size - at - 8)
            return {};
        if (memcmp(data + at, "ICCP", 4) == 0)
            return std::string(reinterpret_cast<const char*>(data + at + 8), length);
        at += 8 + length + (length & 1);
    }
    return {};
}

}  // namespace

std::string KVColorProfile::embeddedIn(KVImageFormat format, const uint8_t* data, size_t size)
{
    switch (format) {
    case KVImageFormat::PNG: return fromPNG(data, size);
    case KVImageFormat::JPEG: return fromJPEG(data, size);
    case KVImageFormat::WebP: return fromWebP(data, size);
    default: return {};
    }
}

bool KVColorProfile::convertToSRGB(KVBitmap& bitmap, const std::string& profile, std::string* why)
{
    if (profile.size() > kMaxProfileBytes) {
        *why = "too large";
        return false;
    }
    cmsHPROFILE source = cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size()));
    if (!source) {
        *why = "it cannot be read";
        return false;
    }
    const cmsColorSpaceSignature space = cmsGetColorSpace(source);
    if (space != cmsSigRgbData && space != cmsSigGrayData) {
        cmsCloseProfile(source);
        *why = "it is for neither RGB nor grey pictures";
        return false;
    }
    cmsHPROFILE sRGB = cmsCreate_sRGBProfile();
    const bool grey = space == cmsSigGrayData;
    cmsHTRANSFORM transform = cmsCreateTransform(source, grey ? TYPE_GRAY_8 : TYPE_RGBA_8, sRGB, TYPE_RGBA_8,
                                                 INTENT_PERCEPTUAL, grey ? 0 : cmsFLAGS_COPY_ALPHA);
    cmsCloseProfile(source);
    cmsCloseProfile(sRGB);
    if (!transform) {
        *why = "it cannot convert to sRGB";
        return false;
    }
    std::vector<uint8_t>& pixels = bitmap.pixels();
    const size_t count = pixels.size() / 4;
    if (grey) {
        // A grey picture decodes with equal red, green and blue.
        std::vector<uint8_t> levels(count);
        for (size_t i = 0; i < count; ++i)
            levels[i] = pixels[i * 4];
        std::vector<uint8_t> converted(pixels);
        cmsDoTransform(transform, levels.data(), converted.data(), static_cast<cmsUInt32Number>(count));
        for (size_t i = 0; i < count; ++i)
            converted[i * 4 + 3] = pixels[i * 4 + 3];
        pixels.swap(converted);
    } else {
        cmsDoTransform(transform, pixels.data(), pixels.data(), static_cast<cmsUInt32Number>(count));
    }
    cmsDeleteTransform(transform);
    return true;
}
