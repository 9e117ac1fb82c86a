// Turns an image file into a texture the scene graph can draw.
#pragma once

#include "engine/scenegraph/SGImage.h"

// Decodes the file, multiplies its colour by alpha and uploads it. The
// result's texture size is the file's pixel size, its rect the whole
// texture, its premultiplied flag set. Never fails: an unusable file is
// logged and the "image_missing.png" placeholder (KVImageResources) is
// uploaded in its place, with a texture size of 0 x 0; without a
// placeholder the answer is SGImageNull. A null or empty path answers
// SGImageNull silently. Needs a current OpenGL context.
SGImage KVLoadImageFromFile(const char* path);
