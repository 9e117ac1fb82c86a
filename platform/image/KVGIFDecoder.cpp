#include "platform/image/KVGIFDecoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/image/KVImageDecoder.h"

namespace {

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t offset = 0;
};

int readFromMemory(GifFileType* file, GifByteType* into, int wanted)
{
    Reader* reader = static_cast<Reader*>(file->UserData);
    const size_t count = std::min(static_cast<size_t>(std::max(wanted, 0)), reader->size - reader->offset);
    memcpy(into, reader->data + reader->offset, count);
    reader->offset += count;
    return static_cast<int>(count);
}

struct CloseOnExit {
    GifFileType* file;
    ~CloseOnExit() { DGifCloseFile(file, nullptr); }
};

std::string reason(int code)
{
    const char* text = GifErrorString(code);
    return text ? text : "damaged GIF data";
}

// Interlaced frames store rows in four passes: every 8th row from 0, every
// 8th from 4, every 4th from 2, every 2nd from 1.
std::vector<int> rowOrder(int height, bool interlaced)
{
    std::vector<int> rows;
    rows.reserve(height);
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            rows.push_back(y);
        return rows;
    }
    const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass])
            rows.push_back(y);
    return rows;
}

}  // namespace

KVBitmap KVDecodeGIF(const uint8_t* data, size_t size, std::string* error)
{
    Reader reader{data, size};
    int code = 0;
    GifFileType* file = DGifOpen(&reader, readFromMemory, &code);
    if (!file) {
        *error = reason(code);
        return KVBitmap();
    }
    CloseOnExit closer{file};
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType record;
        if (DGifGetRecordType(file, &record) == GIF_ERROR) {
            *error = reason(file->Error);
            return KVBitmap();
        }
        if (record == TERMINATE_RECORD_TYPE) {
            *error = "no picture in it";
            return KVBitmap();
        }
        if (record == EXTENSION_RECORD_TYPE) {
            int function = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(file, &function, &block) == GIF_ERROR) {
                *error = reason(file->Error);
                return KVBitmap();
            }
            GraphicsControlBlock control;
            if (function == GRAPHICS_EXT_FUNC_CODE && block && DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                transparent = control.TransparentColor;
            while (block) {
                if (DGifGetExtensionNext(file, &block) == GIF_ERROR) {
                    *error = reason(file->Error);
                    return KVBitmap();
                }
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE)
            continue;
        if (DGifGetImageDesc(file) == GIF_ERROR) {
            *error = reason(file->Error);
            return KVBitmap();
        }
        const GifImageDesc& frame = file->Image;
        const ColorMapObject* colours = frame.ColorMap ? frame.ColorMap : file->SColorMap;
        const long right = static_cast<long>(frame.Left) + frame.Width, bottom = static_cast<long>(frame.Top) + frame.Height;
        const long width = std::max<long>(file->SWidth, right), height = std::max<long>(file->SHeight, bottom);
        if (frame.Width <= 0 || frame.Height <= 0 || frame.Left < 0 || frame.Top < 0 ||
            !KVImageDecoder::sizeAllowed(width, height)) {
            *error = "the picture is empty or too large";
            return KVBitmap();
        }
        if (!colours || !colours->Colors) {
            *error = "it has no colour table";
            return KVBitmap();
        }
        KVBitmap bitmap(static_cast<int>(width), static_cast<int>(height), true);
        std::vector<GifPixelType> line(frame.Width);
        for (const int y : rowOrder(frame.Height, frame.Interlace)) {
            if (DGifGetLine(file, line.data(), frame.Width) == GIF_ERROR) {
                *error = reason(file->Error);
                return KVBitmap();
            }
            uint8_t* out = bitmap.pixelAt(frame.Left, frame.Top + y);
            for (const GifPixelType index : line) {
                // An index past the table's end reads as its first colour.
                const GifColorType& c = colours->Colors[index < colours->ColorCount ? index : 0];
                out[0] = c.Red;
                out[1] = c.Green;
                out[2] = c.Blue;
                out[3] = index == transparent ? 0 : 255;
                out += 4;
            }
        }
        return bitmap;
    }
}
