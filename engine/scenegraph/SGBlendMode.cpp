#include "engine/scenegraph/SGBlendMode.h"

#include <GL/gl.h>

void SGSetBlendMode(SGBlendMode mode, int premultiplied)
{
    const GLenum source = premultiplied ? GL_ONE : GL_SRC_ALPHA;
    switch (mode) {
    case SGBlendReplace:
        glBlendFunc(GL_ONE, GL_ZERO);
        break;
    case SGBlendAdd:
        glBlendFunc(source, GL_ONE);
        break;
    case SGBlendScreen:
        glBlendFunc(source, GL_ONE_MINUS_SRC_COLOR);
        break;
    case SGBlendMultiply:
        glBlendFunc(GL_ZERO, GL_SRC_COLOR);
        break;
    default:
        glBlendFunc(source, GL_ONE_MINUS_SRC_ALPHA);
        break;
    }
}
