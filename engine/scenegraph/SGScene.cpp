#include "engine/scenegraph/SGScene.h"

#include <algorithm>

#include "engine/scenegraph/SGHeldNodes.h"
#include "engine/scenegraph/SGOrtho2DSpace.h"
#include "platform/gl/KVQuadBatch.h"

float SGAlphaScaleFactor = 1.0f;

SGScene::SGScene(SoundManager* soundManager, KVEngineAssetManager* assetManager)
    : defaultSpace_(soundManager, assetManager), assetManager_(assetManager), soundManager_(soundManager)
{
}

SGScene::~SGScene()
{
    std::vector<SGSpace*> spaces;
    spaces.swap(spaces_);
    for (SGSpace* space : spaces)
        space->release();
}

SGSpace* SGScene::createSpace(SGNodeClass nodeClass)
{
    SGSpace* space = nodeClass == SGNodeClass::ortho2DSpace ? new SGOrtho2DSpace(soundManager_, assetManager_)
                                                      : new SGSpace(soundManager_, assetManager_);
    spaces_.push_back(space);
    return space;
}

void SGScene::removeSpace(SGSpace* space)
{
    auto it = std::find(spaces_.begin(), spaces_.end(), space);
    if (it == spaces_.end())
        return;
    spaces_.erase(it);
    space->release();
}

void SGScene::render()
{
    defaultSpace_.compute();
    // Held while they draw: a node that calls into the script may edit the scene.
    SGHeldNodes<SGSpace> held(spaces_);
    for (SGSpace* space : held.nodes)
        space->compute();
    KVFlushQuads();
}

void SGScene::renderWithInitialState(SGScene& initial)
{
    defaultSpace_.compute();
    SGHeldNodes<SGSpace> held(spaces_);
    SGHeldNodes<SGSpace> heldInitial(initial.spaces_);
    for (size_t i = 0; i < held.nodes.size(); ++i) {
        if (i < heldInitial.nodes.size()) {
            SGAlphaScaleFactor = 0.5f;
            heldInitial.nodes[i]->compute();
        }
        SGAlphaScaleFactor = 1.0f;
        held.nodes[i]->compute();
    }
    SGAlphaScaleFactor = 1.0f;
    KVFlushQuads();
}
