#include "engine/scenegraph/nodes/SGReplicatorNode.h"

#include <GL/gl.h>

#include <cmath>

#include "platform/gl/KVQuadBatch.h"

SGReplicatorNode::SGReplicatorNode(SGSpace& parent)
    : SGSpace(parent, static_cast<uint32_t>(SGNodeClass::replicatorSpace))
{
    copies.setStoredValue(1);
    addInputPort(&angle, SGPortValueType::NUMBER);
    addInputPort(&spacing, SGPortValueType::NUMBER);
    addInputPort(&copies, SGPortValueType::INTEGER);
}

SGPort* SGReplicatorNode::portForID(SGPortID id)
{
    switch (id) {
    case SGPortID::angle: return &angle;
    case SGPortID::spacing: return &spacing;
    case SGPortID::copies: return &copies;
    default: return nullptr;
    }
}

void SGReplicatorNode::render()
{
    setDirty(false);
    const float step = spacing.numberValue();
    const float a = static_cast<float>(angle.numberValue() * 0.017453292519943295);
    const float sn = std::sin(a);
    const float cs = std::cos(a);
    const int count = copies.intValue();

    glPushMatrix();
    for (int i = 0; i < count; ++i) {
        SGSpace::render();
        // Each copy goes out under its own matrix.
        KVFlushQuads();
        glTranslatef(cs * step, sn * step, 0.0f);
    }
    glPopMatrix();
}
