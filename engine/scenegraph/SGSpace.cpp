#include "engine/scenegraph/SGSpace.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "engine/assets/KVEngineAssetManager.h"
#include "engine/scenegraph/SGHeldNodes.h"
#include "engine/scenegraph/nodes/SGArithmeticNode.h"
#include "engine/scenegraph/nodes/SGClearNode.h"
#include "engine/scenegraph/nodes/SGColorNode.h"
#include "engine/scenegraph/nodes/SGImageFlipNode.h"
#include "engine/scenegraph/nodes/SGImageLoaderNode.h"
#include "engine/scenegraph/nodes/SGParticleSystemNode.h"
#include "engine/scenegraph/nodes/SGReplicatorNode.h"
#include "engine/scenegraph/nodes/SGSoundListenerNode.h"
#include "engine/scenegraph/nodes/SGSoundLoaderNode.h"
#include "engine/scenegraph/nodes/SGSoundPlayerNode.h"
#include "engine/scenegraph/nodes/SGSpriteNode.h"
#include "engine/scenegraph/nodes/SGStringToImageNode.h"
#include "engine/scenegraph/nodes/SGWrapNode.h"

SGSpace::SGSpace(SoundManager* soundManager, KVEngineAssetManager* assetManager, uint32_t classFlags)
    : SGRenderNode(classFlags | SGNodeClass::space),
      assetManager_(assetManager ? assetManager->liveness() : nullptr),
      soundManager_(soundManager)
{
}

SGSpace::SGSpace(SGSpace& other, uint32_t classFlags)
    : SGRenderNode(classFlags | SGNodeClass::space), assetManager_(other.assetManager_),
      soundManager_(other.soundManager_)
{
}

SGSpace::~SGSpace()
{
    removeAllNodes();
}

void SGSpace::compute()
{
    setDirty(false);
    willRender();
    // A script error raised while drawing (a path lookup) still tears the
    // camera down, so the matrix stacks do not grow by a level each time.
    try {
        render();
    } catch (...) {
        didRender();
        throw;
    }
    didRender();
}

void SGSpace::render()
{
    // Draws the list as it stood when the frame began, holding every node:
    // a node that calls into the script (a loader asking for a path) may
    // edit this list while it draws.
    const auto held = SGHoldNodes<SGRenderNode>(renderNodes_);
    for (const Ref<SGRenderNode>& node : held)
        node->compute();
}

void SGSpace::willRender() {}

void SGSpace::didRender() {}

SGNode* SGSpace::createNode(SGNodeClass nodeClass)
{
    SGNode* node = nullptr;
    switch (nodeClass) {
    case SGNodeClass::arithmeticNode:
        node = new SGArithmeticNode();
        break;
    case SGNodeClass::clearNode:
        node = new SGClearNode();
        break;
    case SGNodeClass::colorNode:
        node = new SGColorNode();
        break;
    case SGNodeClass::imageFlipNode:
        node = new SGImageFlipNode();
        break;
    case SGNodeClass::imageLoaderNode:
        node = new SGImageLoaderNode(assetManager());
        break;
    case SGNodeClass::particleSystemNode:
        node = new SGParticleSystemNode();
        break;
    case SGNodeClass::replicatorSpace:
        node = new SGReplicatorNode(*this);
        break;
    case SGNodeClass::space:
        node = new SGSpace(*this);
        break;
    case SGNodeClass::soundListenerNode:
        node = new SGSoundListenerNode();
        break;
    case SGNodeClass::soundLoaderNode:
        node = new SGSoundLoaderNode(assetManager());
        break;
    case SGNodeClass::soundPlayerNode:
        node = new SGSoundPlayerNode(soundManager_);
        break;
    case SGNodeClass::spriteNode:
        node = new SGSpriteNode();
        break;
    case SGNodeClass::stringToImageNode:
        node = new SGStringToImageNode(assetManager());
        break;
    case SGNodeClass::wrapSpace:
        node = new SGWrapNode(*this);
        break;
    default:
        fprintf(stderr, "SGSpace::createNode: %d names no node class a space can create; nothing created\n",
                static_cast<int32_t>(nodeClass));
        return nullptr;
    }
    addNode(node);
    return node;
}

void SGSpace::addNode(SGNode* node)
{
    if (!node)
        return;
    nodes_.push_back(Ref<SGNode>::adopt(node));
    if (node->isRenderNode())
        if (auto* renderNode = dynamic_cast<SGRenderNode*>(node))
            renderNodes_.push_back(renderNode);
}

void SGSpace::removeNode(SGNode* node)
{
    auto it = std::find_if(nodes_.begin(), nodes_.end(), [&](const Ref<SGNode>& n) { return n.get() == node; });
    if (it == nodes_.end())
        return;
    if (auto* renderNode = dynamic_cast<SGRenderNode*>(node))
        removeRenderNode(renderNode);
    // Out of the list before it goes.
    Ref<SGNode> removed = std::move(*it);
    nodes_.erase(it);
}

void SGSpace::removeRenderNode(SGRenderNode* node)
{
    auto it = std::find(renderNodes_.begin(), renderNodes_.end(), node);
    if (it != renderNodes_.end())
        renderNodes_.erase(it);
}

void SGSpace::addRenderNode(SGRenderNode* node)
{
    if (node)
        renderNodes_.push_back(node);
}

void SGSpace::removeAllNodes()
{
    // Emptied before letting go: a dying node must not find itself listed.
    auto nodes = std::move(nodes_);
    renderNodes_.clear();
}

void SGSpace::sortRenderNodes()
{
    std::stable_sort(renderNodes_.begin(), renderNodes_.end(),
                     [](const SGRenderNode* a, const SGRenderNode* b) { return a->layer() < b->layer(); });
}
