// JPEG 2000 pictures (JP2 files and bare codestreams) through OpenJPEG.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/image/KVBitmap.h"

// Straight RGBA (grey, YCC and any bit depth converted), and the file's
// colour profile, if any, in *iccProfile. Empty with the reason in *error
// when it cannot be read.
KVBitmap KVDecodeJPEG2000(const uint8_t* data, size_t size, std::string* iccProfile, std::string* error);
