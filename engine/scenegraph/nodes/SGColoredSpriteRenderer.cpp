#include "engine/scenegraph/nodes/SGColoredSpriteRenderer.h"

#include <GL/gl.h>

void SGColoredSpriteRenderer::drawSprite(const SGSpriteDrawParams& p)
{
    const float hw = p.halfWidth, hh = p.halfHeight;
    const GLfloat vertices[8] = {-hw, hh, hw, hh, -hw, -hh, hw, -hh};

    glDisable(GL_TEXTURE_2D);
    // The texture-coordinate array is switched off too: its pointer may
    // name the array of a renderer that no longer exists.
    const GLboolean texCoords = glIsEnabled(GL_TEXTURE_COORD_ARRAY);
    if (texCoords)
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glPushMatrix();
    glTranslatef(p.x, p.y, 0.0f);
    glRotatef(p.angle, 0.0f, 0.0f, 1.0f);
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glPopMatrix();
    if (texCoords)
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnable(GL_TEXTURE_2D);
}
