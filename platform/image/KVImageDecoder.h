// Picture files read as the Mac's image loader read them: the content
// decides the format, whatever the file's name says; a file of several pictures gives its largest, and a picture
// with an embedded colour profile is converted to sRGB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/image/KVBitmap.h"

enum class KVImageFormat { Unknown, PNG, JPEG, GIF, BMP, TGA, TIFF, WebP, PSD, ICNS, ICO, JPEG2000, PDF };

struct KVPictureSize {
    int width = 0;
    int height = 0;
};

class KVImageDecoder {
public:
    // What the bytes hold (TGA, which has no signature, when its header
    // is consistent).
    static KVImageFormat formatOf(const uint8_t* data, size_t size);

    // Decodes the bytes of a picture file into straight-alpha sRGB. An empty
    // bitmap, with "cannot decode NAME: why" in *error, when they cannot be
    // read; `name` only names the file in messages.
    static KVBitmap decode(const uint8_t* data, size_t size, const std::string& name, std::string* error);

    // Pictures larger than this on a side, or in all, are refused before
    // anything is allocated for them.
    static bool sizeAllowed(long width, long height);

    // For files of several pictures: the index of the one to draw, the
    // largest by pixels (the first of equals)...
    static size_t largest(const std::vector<KVPictureSize>& sizes);
    // ...drawn at the largest width and the largest height of them all,
    // which may come from different pictures.
    static KVBitmap toLargestSides(const KVBitmap& chosen, const std::vector<KVPictureSize>& sizes);
};
