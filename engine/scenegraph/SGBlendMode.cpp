#include "engine/scenegraph/SGBlendMode.h"

#include <GL/gl.h>

void SGBlendFactors(SGBlendMode mode, int premultiplied, uint32_t* source, uint32_t* destination)
{
    const GLenum scaled = premultiplied ? GL_ONE : GL_SRC_ALPHA;
    switch (mode) {
    case SGBlendReplace:
        *source = GL_ONE;
        *destination = GL_ZERO;
        break;
    case SGBlendAdd:
        *source = scaled;
        *destination = GL_ONE;
        break;
    case SGBlendScreen:
        *source = scaled;
        *destination = GL_ONE_MINUS_SRC_COLOR;
        break;
    case SGBlendMultiply:
        *source = GL_ZERO;
        *destination = GL_SRC_COLOR;
        break;
    default:
        *source = scaled;
        *destination = GL_ONE_MINUS_SRC_ALPHA;
        break;
    }
}

void SGSetBlendMode(SGBlendMode mode, int premultiplied)
{
    uint32_t source = 0, destination = 0;
    SGBlendFactors(mode, premultiplied, &source, &destination);
    glBlendFunc(source, destination);
}
