// Text as a picture: the string typeset by StringTexture into a texture that
// the caller owns and deletes.
#pragma once

#include "platform/gl/KVTextureImage.h"
#include "platform/text/KVTextTypes.h"

// text and font are UTF-8; font is a display name ("Arial", "Courier New"),
// and names the table does not know draw in "ArialMT". With wrap the image
// is wrapWidth x wrapHeight and the text wraps inside it; without, it is
// the text's size plus the margins. Size 0 x 0 when no texture could be
// made (the reason is logged); without a current context the picture still
// carries the bitmap's size, with texture 0.
//
// previous, when given, is a picture this function made earlier that the
// caller hands back: its texture takes the new pixels in place when it has
// the new bitmap's size, and is deleted otherwise.
KVTextureImage KVImageFromString(const char* text, const char* font, float size, KVTextAlignment alignment,
                                 bool wrap, float wrapWidth, float wrapHeight, const KVTextureImage& previous = {});
