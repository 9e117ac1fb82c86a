#include "engine/scenegraph/SGScene.h"

#include <algorithm>
#include <utility>

#include "engine/scenegraph/SGHeldNodes.h"
#include "engine/scenegraph/SGOrtho2DSpace.h"
#include "platform/gl/KVQuadBatch.h"

float SGAlphaScaleFactor = 1.0f;

SGScene::SGScene(SoundManager* soundManager, KVEngineAssetManager* assetManager)
    : defaultSpace_(soundManager, assetManager), soundManager_(soundManager)
{
}

SGScene::~SGScene()
{
    // Emptied before letting go: a dying space must not find itself listed.
    auto spaces = std::move(spaces_);
}

SGSpace* SGScene::createSpace(SGNodeClass nodeClass)
{
    KVEngineAssetManager* assetManager = defaultSpace_.assetManager();
    Ref<SGSpace> space = nodeClass == SGNodeClass::ortho2DSpace
                             ? Ref<SGSpace>(makeRef<SGOrtho2DSpace>(soundManager_, assetManager))
                             : makeRef<SGSpace>(soundManager_, assetManager);
    spaces_.push_back(space);
    return space.get();
}

void SGScene::removeSpace(SGSpace* space)
{
    auto it = std::find_if(spaces_.begin(), spaces_.end(), [&](const Ref<SGSpace>& s) { return s.get() == space; });
    if (it == spaces_.end())
        return;
    // Out of the list before it goes.
    Ref<SGSpace> removed = std::move(*it);
    spaces_.erase(it);
}

void SGScene::render()
{
    // The script may delete this scene while it draws (from a path lookup):
    // it goes when the drawing is done.
    Ref<SGScene> alive(this);
    defaultSpace_.compute();
    // Held while they draw: a node that calls into the script may edit the scene.
    const auto held = SGHoldNodes<SGSpace>(spaces_);
    for (const Ref<SGSpace>& space : held)
        space->compute();
    KVFlushQuads();
}

void SGScene::renderWithInitialState(SGScene& initial)
{
    Ref<SGScene> alive(this);
    Ref<SGScene> aliveInitial(&initial);
    defaultSpace_.compute();
    const auto held = SGHoldNodes<SGSpace>(spaces_);
    const auto heldInitial = SGHoldNodes<SGSpace>(initial.spaces_);
    for (size_t i = 0; i < held.size(); ++i) {
        if (i < heldInitial.size()) {
            SGAlphaScaleFactor = 0.5f;
            heldInitial[i]->compute();
        }
        SGAlphaScaleFactor = 1.0f;
        held[i]->compute();
    }
    SGAlphaScaleFactor = 1.0f;
    KVFlushQuads();
}
