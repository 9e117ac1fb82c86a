// A space with a two-dimensional orthographic camera: the view rectangle
// x, y, width, height, the depth range near..far, a rotation of the
// projection about the origin and a rotation of the scene about the centre
// of the view (degrees).
#pragma once

#include "engine/scenegraph/SGSpace.h"
#include "engine/scenegraph/ports/SGNumberPort.h"

class SGOrtho2DSpace : public SGSpace {
public:
    SGOrtho2DSpace(SoundManager* soundManager, KVEngineAssetManager* assetManager);

    SGPort* portForID(SGPortID id) override;
    // Pushes both matrices and sets up the camera.
    void willRender() override;
    // Pops both matrices, leaving the model-view matrix selected.
    void didRender() override;

    SGNumberPort x;
    SGNumberPort y;
    SGNumberPort width;
    SGNumberPort height;
    SGNumberPort near;
    SGNumberPort far;
    SGNumberPort viewRotation;
    SGNumberPort modelRotation;
};
