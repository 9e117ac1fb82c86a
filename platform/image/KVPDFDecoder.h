// PDF files: the first page drawn at 72 dots per inch (one point, one
// pixel) through poppler and Cairo, on a transparent ground.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/image/KVBitmap.h"

// Straight RGBA of the first page; empty with the reason in *error when the
// document cannot be read.
KVBitmap KVDecodePDF(const uint8_t* data, size_t size, std::string* error);
