// Reading back what the current OpenGL context has drawn.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The lower-left width x height pixels of the current framebuffer as RGBA
// bytes, top row first (as image files and screens order them). Empty when
// the size is not positive.
std::vector<uint8_t> KVReadFramebufferRGBA(int width, int height);

// Writes those pixels as an opaque RGB PNG file. The file is written beside
// the target under a temporary name and renamed over it, so a failure never
// leaves a partial image. Answers false with the reason in *error.
bool KVWriteFramebufferPNG(const std::string& path, int width, int height, std::string* error = nullptr);
