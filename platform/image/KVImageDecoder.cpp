#include "platform/image/KVImageDecoder.h"

#include <algorithm>
#include <cstring>

#include "platform/image/KVColorProfile.h"
#include "platform/image/KVGIFDecoder.h"
#include "platform/image/KVICNSDecoder.h"
#include "platform/image/KVICODecoder.h"
#include "platform/image/KVJPEG2000Decoder.h"
#include "platform/image/KVPDFDecoder.h"
#include "platform/image/KVPSDDecoder.h"
#include "platform/image/KVSDLImageDecoder.h"
#include "platform/image/KVTIFFDecoder.h"
#include "platform/objects/KVLogLine.h"

namespace {

// Larger than any texture OpenGL takes here, and than any game's picture.
constexpr long kMaxSide = 16384;
constexpr long kMaxPixels = 64L * 1024 * 1024;

bool startsWith(const uint8_t* data, size_t size, const char* magic, size_t length)
{
    return size >= length && memcmp(data, magic, length) == 0;
}

// TGA has no signature: its header must at least be consistent.
bool plausibleTGA(const uint8_t* data, size_t size)
{
    if (size < 18)
        return false;
    const uint8_t colourMapType = data[1], type = data[2], depth = data[16];
    const bool knownType = type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
    if (!(colourMapType <= 1 && knownType && (depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32)))
        return false;
    // The decoder allocates the whole picture before reading it: a header
    // must not ask for more than we take, nor, uncompressed, for more
    // pixels than the file holds.
    const long width = data[12] | data[13] << 8, height = data[14] | data[15] << 8;
    const long pixels = width * height;
    if (pixels == 0 || pixels > kMaxPixels)
        return false;
    const bool compressed = type >= 9;
    const size_t colourMap = colourMapType ? size_t(data[5] | data[6] << 8) * ((data[7] + 7) / 8) : 0;
    return compressed || size >= 18 + size_t(data[0]) + colourMap + size_t(pixels) * ((depth + 7) / 8);
}

}  // namespace

KVImageFormat KVImageDecoder::formatOf(const uint8_t* data, size_t size)
{
    if (startsWith(data, size, "\x89PNG\r\n\x1a\n", 8))
        return KVImageFormat::PNG;
    if (startsWith(data, size, "\xff\xd8\xff", 3))
        return KVImageFormat::JPEG;
    if (startsWith(data, size, "GIF87a", 6) || startsWith(data, size, "GIF89a", 6))
        return KVImageFormat::GIF;
    if (startsWith(data, size, "II*\0", 4) || startsWith(data, size, "MM\0*", 4) || startsWith(data, size, "II+\0", 4) ||
        startsWith(data, size, "MM\0+", 4))
        return KVImageFormat::TIFF;
    if (size >= 12 && startsWith(data, size, "RIFF", 4) && memcmp(data + 8, "WEBP", 4) == 0)
        return KVImageFormat::WebP;
    if (startsWith(data, size, "8BPS", 4))
        return KVImageFormat::PSD;
    if (startsWith(data, size, "icns", 4))
        return KVImageFormat::ICNS;
    if (startsWith(data, size, "\0\0\0\x0cjP  \r\n\x87\n", 12) || startsWith(data, size, "\xff\x4f\xff\x51", 4))
        return KVImageFormat::JPEG2000;
    if ((startsWith(data, size, "\0\0\1\0", 4) || startsWith(data, size, "\0\0\2\0", 4)) && size >= 6 &&
        (data[4] | data[5]) != 0)
        return KVImageFormat::ICO;
    if (startsWith(data, size, "BM", 2))
        return KVImageFormat::BMP;
    // Writers may put a few bytes before the header.
    const size_t window = std::min<size_t>(size, 1024);
    for (size_t i = 0; i + 5 <= window; ++i)
        if (memcmp(data + i, "%PDF-", 5) == 0)
            return KVImageFormat::PDF;
    return plausibleTGA(data, size) ? KVImageFormat::TGA : KVImageFormat::Unknown;
}

KVBitmap KVImageDecoder::decode(const uint8_t* data, size_t size, const std::string& name, std::string* error)
{
    std::string why, profile;
    KVBitmap bitmap;
    const KVImageFormat format = formatOf(data, size);
    switch (format) {
    case KVImageFormat::TIFF: bitmap = KVDecodeTIFF(data, size, &profile, &why); break;
    case KVImageFormat::PSD: bitmap = KVDecodePSD(data, size, &profile, &why); break;
    case KVImageFormat::ICNS: bitmap = KVDecodeICNS(data, size, &why); break;
    case KVImageFormat::ICO: bitmap = KVDecodeICO(data, size, &why); break;
    case KVImageFormat::JPEG2000: bitmap = KVDecodeJPEG2000(data, size, &profile, &why); break;
    case KVImageFormat::PDF: bitmap = KVDecodePDF(data, size, &why); break;
    case KVImageFormat::GIF: bitmap = KVDecodeGIF(data, size, &why); break;
    default:
        // SDL_image reads the common formats, and tries what nothing
        // above recognised.
        profile = KVColorProfile::embeddedIn(format, data, size);
        bitmap = KVDecodeWithSDLImage(data, size, format == KVImageFormat::TGA, &why);
        break;
    }
    if (bitmap.empty()) {
        if (error)
            *error = "cannot decode " + name + ": " + (why.empty() ? "no picture in it" : why);
        return bitmap;
    }
    if (!profile.empty()) {
        std::string note;
        if (!KVColorProfile::convertToSRGB(bitmap, profile, &note))
            KVLogLine("%s: its colour profile is not used (%s); the picture is taken as sRGB", name.c_str(), note.c_str());
    }
    // Decoders disagree on whether an opaque picture has an alpha channel
    // (TIFF always has one, GIF marks transparency with a colour key): the
    // pixels decide.
    const std::vector<uint8_t>& bytes = bitmap.pixels();
    bool opaque = true;
    for (size_t i = 3; i < bytes.size() && opaque; i += 4)
        opaque = bytes[i] == 255;
    if (opaque)
        bitmap.dropAlpha();
    return bitmap;
}

bool KVImageDecoder::sizeAllowed(long width, long height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

size_t KVImageDecoder::largest(const std::vector<KVPictureSize>& sizes)
{
    size_t best = 0;
    for (size_t i = 1; i < sizes.size(); ++i)
        if (static_cast<long>(sizes[i].width) * sizes[i].height >
            static_cast<long>(sizes[best].width) * sizes[best].height)
            best = i;
    return best;
}

KVBitmap KVImageDecoder::toLargestSides(const KVBitmap& chosen, const std::vector<KVPictureSize>& sizes)
{
    int width = 0, height = 0;
    for (const KVPictureSize& s : sizes) {
        width = std::max(width, s.width);
        height = std::max(height, s.height);
    }
    if (chosen.empty() || (width == chosen.width() && height == chosen.height()) || !sizeAllowed(width, height))
        return chosen;
    return chosen.scaledTo(width, height);
}
