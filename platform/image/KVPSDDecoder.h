// Photoshop files: the flattened composite the file carries, through
// stb_image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/image/KVBitmap.h"

// Straight RGBA of the composite, and the file's colour profile, if any, in
// *iccProfile. Empty with the reason in *error when it cannot be read.
KVBitmap KVDecodePSD(const uint8_t* data, size_t size, std::string* iccProfile, std::string* error);
