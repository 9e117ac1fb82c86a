#include "engine/scenegraph/nodes/SGTexturedSpriteRenderer.h"

#include <GL/gl.h>

#include <cmath>

void SGTexturedSpriteRenderer::drawSprite(const SGSpriteDrawParams& params)
{
    drawQuad(params, params.halfWidth, params.halfHeight, params.image.rect);
}

void SGTexturedSpriteRenderer::drawQuad(const SGSpriteDrawParams& p, float qw, float qh, const SGTextureRect& r)
{
    const float w = 2.0f * qw, h = 2.0f * qh;
    const float quad[16] = {
        0.0f, h, r.x0, r.y1,  //
        w, h, r.x1, r.y1,     //
        0.0f, 0.0f, r.x0, r.y0,  //
        w, 0.0f, r.x1, r.y0,
    };
    for (int i = 0; i < 16; ++i)
        quad_[i] = quad[i];

    glBindTexture(GL_TEXTURE_2D, p.image.texture);
    glPushMatrix();
    // Whole units, so texels land on pixels.
    glTranslatef(std::floor(p.x), std::floor(p.y), 0.0f);
    glRotatef(p.angle, 0.0f, 0.0f, 1.0f);
    glTranslatef(-qw, -qh, 0.0f);
    glVertexPointer(2, GL_FLOAT, 16, quad_);
    glTexCoordPointer(2, GL_FLOAT, 16, quad_ + 2);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glPopMatrix();
}
