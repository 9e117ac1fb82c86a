#include "engine/scenegraph/SGOrtho2DSpace.h"

#include <GL/gl.h>

#include "platform/gl/KVQuadBatch.h"

SGOrtho2DSpace::SGOrtho2DSpace(SoundManager* soundManager, KVEngineAssetManager* assetManager)
    : SGSpace(soundManager, assetManager, static_cast<uint32_t>(SGNodeClass::ortho2DSpace))
{
    addInputPort(&x, SGPortValueType::NUMBER);
    addInputPort(&y, SGPortValueType::NUMBER);
    addInputPort(&width, SGPortValueType::NUMBER);
    addInputPort(&height, SGPortValueType::NUMBER);
    addInputPort(&near, SGPortValueType::NUMBER);
    addInputPort(&far, SGPortValueType::NUMBER);
    addInputPort(&viewRotation, SGPortValueType::NUMBER);
    addInputPort(&modelRotation, SGPortValueType::NUMBER);
}

SGPort* SGOrtho2DSpace::portForID(SGPortID id)
{
    switch (id) {
    case SGPortID::x: return &x;
    case SGPortID::y: return &y;
    case SGPortID::width: return &width;
    case SGPortID::height: return &height;
    case SGPortID::near: return &near;
    case SGPortID::far: return &far;
    case SGPortID::viewRotation: return &viewRotation;
    case SGPortID::modelRotation: return &modelRotation;
    default: return nullptr;
    }
}

void SGOrtho2DSpace::willRender()
{
    const float x0 = x.numberValue();
    const float y0 = y.numberValue();
    const float w = width.numberValue();
    const float h = height.numberValue();
    const float zNear = near.numberValue();
    const float zFar = far.numberValue();
    const float view = viewRotation.numberValue();
    const float model = modelRotation.numberValue();

    // What was drawn before goes out under the matrices it was drawn with.
    KVFlushQuads();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glRotatef(view, 0.0f, 0.0f, 1.0f);
    // An empty box is an OpenGL error that changes nothing; a space whose
    // ports are not set yet simply keeps the identity.
    if (w != 0.0f && h != 0.0f && zNear != zFar)
        glOrtho(x0, x0 + w, y0, y0 + h, zNear, zFar);

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    // Turn the scene about the centre of the view rectangle.
    const float cx = ((x0 + w) + x0) * 0.5f;
    const float cy = ((y0 + h) + y0) * 0.5f;
    glTranslatef(cx, cy, 0.0f);
    glRotatef(model, 0.0f, 0.0f, 1.0f);
    glTranslatef(-0.5f * ((x0 + w) + x0), -0.5f * ((y0 + h) + y0), 0.0f);
}

void SGOrtho2DSpace::didRender()
{
    KVFlushQuads();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
