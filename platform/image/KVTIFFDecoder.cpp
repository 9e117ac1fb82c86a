#include "platform/image/KVTIFFDecoder.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/image/KVImageDecoder.h"

namespace {

// The file's bytes, read by libtiff through these callbacks.
struct Source {
    const uint8_t* data;
    toff_t size;
    toff_t offset;
};

tsize_t readSource(thandle_t handle, tdata_t buffer, tsize_t length)
{
    Source* s = static_cast<Source*>(handle);
    const toff_t n = std::min<toff_t>(static_cast<toff_t>(length), s->size - std::min(s->offset, s->size));
    memcpy(buffer, s->data + s->offset, n);
    s->offset += n;
    return static_cast<tsize_t>(n);
}

tsize_t writeNothing(thandle_t, tdata_t, tsize_t) { return -1; }

toff_t seekSource(thandle_t handle, toff_t offset, int whence)
{
    Source* s = static_cast<Source*>(handle);
    const toff_t base = whence == SEEK_CUR ? s->offset : whence == SEEK_END ? s->size : 0;
    s->offset = base + offset;
    return s->offset;
}

int closeNothing(thandle_t) { return 0; }
toff_t sizeOf(thandle_t handle) { return static_cast<Source*>(handle)->size; }
int mapNothing(thandle_t, tdata_t*, toff_t*) { return 0; }
void unmapNothing(thandle_t, tdata_t, toff_t) {}

// libtiff's last complaint, instead of its own lines on standard error.
thread_local std::string lastComplaint;
void complain(const char*, const char* format, va_list args)
{
    char text[256];
    vsnprintf(text, sizeof text, format, args);
    lastComplaint = text;
}

}  // namespace

KVBitmap KVDecodeTIFF(const uint8_t* data, size_t size, std::string* iccProfile, std::string* error)
{
    static std::once_flag quiet;
    std::call_once(quiet, [] {
        TIFFSetErrorHandler(complain);
        TIFFSetWarningHandler(nullptr);
    });
    lastComplaint.clear();
    Source source{data, static_cast<toff_t>(size), 0};
    TIFF* tiff = TIFFClientOpen("picture", "rm", &source, readSource, writeNothing, seekSource, closeNothing, sizeOf,
                                mapNothing, unmapNothing);
    if (!tiff) {
        *error = lastComplaint.empty() ? "not a TIFF file" : lastComplaint;
        return KVBitmap();
    }
    // Every page's size; a file can loop its pages, so they are counted.
    std::vector<KVPictureSize> sizes;
    std::vector<tdir_t> pages;
    tdir_t page = 0;
    do {
        uint32_t width = 0, height = 0;
        TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
        if (KVImageDecoder::sizeAllowed(width, height)) {
            sizes.push_back({static_cast<int>(width), static_cast<int>(height)});
            pages.push_back(page);
        }
        ++page;
    } while (page < 1000 && TIFFReadDirectory(tiff));

    KVBitmap bitmap;
    if (!sizes.empty()) {
        const size_t chosen = KVImageDecoder::largest(sizes);
        const KVPictureSize s = sizes[chosen];
        std::vector<uint32_t> raster(static_cast<size_t>(s.width) * s.height);
        if (TIFFSetDirectory(tiff, pages[chosen]) &&
            TIFFReadRGBAImageOriented(tiff, s.width, s.height, raster.data(), ORIENTATION_TOPLEFT, 0)) {
            bitmap = KVBitmap(s.width, s.height);
            uint8_t* out = bitmap.pixels().data();
            // libtiff hands alpha over multiplied into the colour.
            for (uint32_t pixel : raster) {
                const uint32_t a = TIFFGetA(pixel);
                auto straight = [a](uint32_t c) { return a ? std::min<uint32_t>(255, (c * 255 + a / 2) / a) : 0; };
                *out++ = static_cast<uint8_t>(straight(TIFFGetR(pixel)));
                *out++ = static_cast<uint8_t>(straight(TIFFGetG(pixel)));
                *out++ = static_cast<uint8_t>(straight(TIFFGetB(pixel)));
                *out++ = static_cast<uint8_t>(a);
            }
            uint32_t profileLength = 0;
            void* profile = nullptr;
            if (TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &profileLength, &profile) && profile)
                iccProfile->assign(static_cast<const char*>(profile), profileLength);
            bitmap = KVImageDecoder::toLargestSides(bitmap, sizes);
        }
    }
    TIFFClose(tiff);
    if (bitmap.empty())
        *error = !lastComplaint.empty() ? lastComplaint : sizes.empty() ? "no page of a usable size" : "cannot read its pages";
    return bitmap;
}
