#include "engine/scenegraph/SGScene.h"

#include <algorithm>

#include "engine/scenegraph/SGOrtho2DSpace.h"

float SGAlphaScaleFactor = 1.0f;

namespace {

// Held while it draws: a node that calls into the script may edit the scene.
void computeSpace(SGSpace* space)
{
    space->retain();
    space->compute();
    space->release();
}

}  // namespace

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
    SGSpace* space = nodeClass == SGOrtho2DSpaceClass ? new SGOrtho2DSpace(soundManager_, assetManager_)
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
    for (size_t i = 0; i < spaces_.size(); ++i)
        computeSpace(spaces_[i]);
}

void SGScene::renderWithInitialState(SGScene& initial)
{
    defaultSpace_.compute();
    for (size_t i = 0; i < spaces_.size(); ++i) {
        if (i < initial.spaces_.size()) {
            SGAlphaScaleFactor = 0.5f;
            computeSpace(initial.spaces_[i]);
        }
        SGAlphaScaleFactor = 1.0f;
        if (i < spaces_.size())
            computeSpace(spaces_[i]);
    }
    SGAlphaScaleFactor = 1.0f;
}
