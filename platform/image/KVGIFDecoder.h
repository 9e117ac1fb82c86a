// GIF files through giflib: the first picture of the file, on the file's
// own canvas, as the Mac showed a GIF that is not animated by the game.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/image/KVBitmap.h"

// Straight RGBA of the first frame on a canvas of the file's logical screen
// size (grown to hold the frame when the screen is smaller); the frame's
// transparent colour and whatever the frame leaves uncovered are
// transparent. Empty with the reason in *error when there is no frame.
KVBitmap KVDecodeGIF(const uint8_t* data, size_t size, std::string* error);
