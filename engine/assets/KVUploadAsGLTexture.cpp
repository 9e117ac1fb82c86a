#include "engine/assets/KVUploadAsGLTexture.h"

#include <GL/gl.h>

#include <algorithm>
#include <vector>

#include "platform/gl/CheckGLError.h"
#include "platform/image/KVBitmap.h"
#include "platform/objects/KVLogLine.h"

uint32_t KVUploadAsGLTexture(const KVBitmap& bitmap)
{
    if (bitmap.empty()) {
        KVLogLine("uploadAsGLTexture: invalid source image size: %fx%f", static_cast<double>(bitmap.width()),
                  static_cast<double>(bitmap.height()));
        return 0;
    }

    GLuint texture = 0;
    glGenTextures(1, &texture);
    if (texture == 0) {
        KVLogLine("uploadAsGLTexture: glGenTextures returned invalid ID");
        return 0;
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    CheckGLError("glBindTexture");

    // Clamped to the edge texels: Mesa's GL_CLAMP blends in the black border
    // colour, which darkens the outer half texel of every magnified sprite.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    CheckGLError("glTexParameteri");

    // The unpack settings are put back afterwards: other uploads (text
    // images) rely on the defaults.
    GLint oldAlignment = 4, oldRowLength = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &oldAlignment);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &oldRowLength);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, bitmap.width());
    CheckGLError("glPixelStorei");

    // Row 0 of the upload is the bottom row of the picture.
    const size_t rowBytes = static_cast<size_t>(bitmap.width()) * 4;
    std::vector<uint8_t> bottomUp(bitmap.pixels().size());
    for (int y = 0; y < bitmap.height(); ++y)
        std::copy_n(bitmap.pixelAt(0, bitmap.height() - 1 - y), rowBytes, &bottomUp[static_cast<size_t>(y) * rowBytes]);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, bitmap.width(), bitmap.height(), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 bottomUp.data());
    CheckGLError("glTexImage2D");

    glPixelStorei(GL_UNPACK_ALIGNMENT, oldAlignment);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, oldRowLength);
    return texture;
}
