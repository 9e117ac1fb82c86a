// Mac icon files (ICNS) through libicns: a family of pictures of several
// sizes, of which the largest is drawn.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/image/KVBitmap.h"

// Straight RGBA of the largest picture; the newer members, which hold PNG
// or JPEG 2000 data, through the general decoder. Empty with the reason in
// *error when none can be read.
KVBitmap KVDecodeICNS(const uint8_t* data, size_t size, std::string* error);
