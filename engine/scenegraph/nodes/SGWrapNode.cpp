#include "engine/scenegraph/nodes/SGWrapNode.h"

#include <GL/gl.h>

#include "platform/gl/KVQuadBatch.h"

namespace {

// Content in the near half of the area gets its copy one wrap size further
// on, content in the far half one wrap size back.
float wrapShift(float size, float position)
{
    return static_cast<double>(size) * 0.5 > static_cast<double>(position) ? size : -size;
}

}  // namespace

SGWrapNode::SGWrapNode(SGSpace& parent) : SGSpace(parent, static_cast<uint32_t>(SGNodeClass::wrapSpace))
{
    addInputPort(&x, SGPortValueType::NUMBER);
    addInputPort(&y, SGPortValueType::NUMBER);
    addInputPort(&wrapX, SGPortValueType::BOOLEAN);
    addInputPort(&wrapY, SGPortValueType::BOOLEAN);
    addInputPort(&wrapWidth, SGPortValueType::NUMBER);
    addInputPort(&wrapHeight, SGPortValueType::NUMBER);
}

SGPort* SGWrapNode::portForID(SGPortID id)
{
    switch (id) {
    case SGPortID::x: return &x;
    case SGPortID::y: return &y;
    case SGPortID::wrapX: return &wrapX;
    case SGPortID::wrapY: return &wrapY;
    case SGPortID::wrapWidth: return &wrapWidth;
    case SGPortID::wrapHeight: return &wrapHeight;
    default: return nullptr;
    }
}

void SGWrapNode::render()
{
    setDirty(false);
    const bool acrossX = wrapX.boolValue();
    const bool acrossY = wrapY.boolValue();

    SGSpace::render();
    float dx = 0.0f;
    if (acrossX) {
        const float width = wrapWidth.numberValue();
        dx = wrapShift(width, x.numberValue());
        renderShifted(dx, 0.0f);
    }
    if (acrossY) {
        const float height = wrapHeight.numberValue();
        const float dy = wrapShift(height, y.numberValue());
        renderShifted(0.0f, dy);
        if (acrossX)
            renderShifted(dx, dy);
    }
}

void SGWrapNode::renderShifted(float dx, float dy)
{
    // Each copy goes out under its own matrix.
    KVFlushQuads();
    glPushMatrix();
    glTranslatef(dx, dy, 0.0f);
    SGSpace::render();
    KVFlushQuads();
    glPopMatrix();
}
