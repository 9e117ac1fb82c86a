#include "engine/scenegraph/nodes/SGClearNode.h"

#include <GL/gl.h>

#include "platform/gl/KVQuadBatch.h"

SGClearNode::SGClearNode() : SGRenderNode(SGNodeClass::clearNode)
{
    color.setStoredValue(SGColor{0.0f, 0.0f, 0.0f, 1.0f});
    addInputPort(&color, SGPortValueType::COLOR);
}

void SGClearNode::compute()
{
    setDirty(false);
    const SGColor c = color.colorValue();
    // What was drawn before is wiped too.
    KVFlushQuads();
    glClearColor(c.r, c.g, c.b, c.a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

SGPort* SGClearNode::portForID(SGPortID)
{
    return &color;
}
