// The root of a scene graph: a default space drawn first, then an ordered
// list of further spaces.
#pragma once

#include <vector>

#include "engine/scenegraph/SGObject.h"
#include "engine/scenegraph/SGSpace.h"

// Scales the alpha with which sprites draw; only renderWithInitialState
// changes it (to show an earlier scene faded beneath the current one).
extern float SGAlphaScaleFactor;

class SGScene : public SGObject {
public:
    SGScene(SoundManager* soundManager, KVEngineAssetManager* assetManager);
    ~SGScene() override;

    // An SGOrtho2DSpace for SGNodeClass::ortho2DSpace, a plain space otherwise;
    // appended to the space list, which keeps the creation reference.
    SGSpace* createSpace(SGNodeClass nodeClass);
    // Lets go of the first occurrence; absent is ignored.
    void removeSpace(SGSpace* space);

    // Computes the default space, then each listed space in order.
    void render();
    // Like render(), but each listed space is preceded by the initial
    // scene's space of the same index drawn at half alpha. Spaces the
    // initial scene lacks are skipped.
    void renderWithInitialState(SGScene& initial);

    SGSpace& defaultSpace() { return defaultSpace_; }
    const std::vector<Ref<SGSpace>>& spaces() const { return spaces_; }

private:
    std::vector<Ref<SGSpace>> spaces_;
    SGSpace defaultSpace_;
    SoundManager* soundManager_;
};
