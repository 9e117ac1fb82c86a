// Windows icon and cursor files (ICO, CUR): several pictures, of which the
// largest is drawn.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/image/KVBitmap.h"

// The largest picture (the deepest of equal sizes); PNG pictures through
// the general decoder, the others through SDL_image. Empty with the reason
// in *error when none can be read.
KVBitmap KVDecodeICO(const uint8_t* data, size_t size, std::string* error);
