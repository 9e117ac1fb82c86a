// A look at a picture file's header before a decoder that allocates the
// whole picture up front is given the file: a few damaged bytes must not
// ask for gigabytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/image/KVImageDecoder.h"

// Why the file must not be decoded ("the picture is empty or too large",
// or that an uncompressed file is shorter than its rows), or "" when its
// header is within bounds or cannot be read here (the decoder then judges).
std::string KVImageHeaderRefusal(KVImageFormat format, const uint8_t* data, size_t size);
