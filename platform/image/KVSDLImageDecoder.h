// The common picture formats (PNG, JPEG, GIF, BMP, TGA, WebP and what else
// SDL_image recognises by content) through SDL_image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/image/KVBitmap.h"

// Straight RGBA; empty with the reason in *error when SDL_image cannot read
// the bytes. TGA, which has no signature, is tried only when `maybeTGA`.
KVBitmap KVDecodeWithSDLImage(const uint8_t* data, size_t size, bool maybeTGA, std::string* error);
