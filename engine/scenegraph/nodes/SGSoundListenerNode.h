// Places the OpenAL listener: every frame's drawing pass sets its position
// 50 units in front of the scene at (x, y) and its gain.
#pragma once

#include "engine/scenegraph/SGRenderNode.h"
#include "engine/scenegraph/ports/SGNumberPort.h"

class SGSoundListenerNode : public SGRenderNode {
public:
    // The listener's distance in front of the scene plane; sources' reference
    // distance matches it, so a sound right under the listener plays at its
    // own volume.
    static constexpr float kListenerDistance = 50.0f;

    SGSoundListenerNode();

    void compute() override;
    SGPort* portForID(SGPortID id) override;

    SGNumberPort x;
    SGNumberPort y;
    SGNumberPort gain;
};
