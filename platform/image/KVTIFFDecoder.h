// TIFF files through libtiff: every page is considered and the largest is
// drawn.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/image/KVBitmap.h"

// Straight RGBA of the largest page, brought to the largest width and
// height of all pages; its embedded colour profile, if any, in *iccProfile.
// Empty with the reason in *error when no page can be read.
KVBitmap KVDecodeTIFF(const uint8_t* data, size_t size, std::string* iccProfile, std::string* error);
