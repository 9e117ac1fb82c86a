// Every picture reaches OpenGL through here.
#pragma once

#include <cstdint>

class KVBitmap;

// Uploads the bitmap as a new GL_RGBA texture of its exact size, bottom row
// first (so it stands upright under a y-up camera), clamped to the edge, linear, no
// mipmaps. The colour bytes go up as they are: premultiply beforehand when
// the texture is to be drawn premultiplied. The texture stays bound.
// Answers 0, with a logged reason, on failure. Needs a current context.
uint32_t KVUploadAsGLTexture(const KVBitmap& bitmap);
