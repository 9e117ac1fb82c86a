// A render node that owns a set of nodes and draws its render nodes, in
// list order, between a set-up and a tear-down step.
#pragma once

#include <memory>
#include <vector>

#include "engine/scenegraph/SGRenderNode.h"
#include "platform/objects/KVRef.h"

class SoundManager;
class KVEngineAssetManager;

class SGSpace : public SGRenderNode {
public:
    SGSpace(SoundManager* soundManager, KVEngineAssetManager* assetManager, uint32_t classFlags = 0);
    // Takes the other space's managers and nothing else.
    explicit SGSpace(SGSpace& other, uint32_t classFlags = 0);
    ~SGSpace() override;

    // willRender, render, didRender; the dirty flag is cleared first.
    void compute() override;
    // Calls compute() of every render node in list order, dirty or not.
    virtual void render();
    virtual void willRender();
    virtual void didRender();

    // Constructs a node of the class and adds it; the space holds the only
    // reference. Null, with a message, for a value that names no class a
    // space can create.
    SGNode* createNode(SGNodeClass nodeClass);
    // Takes over the caller's reference.
    void addNode(SGNode* node);
    // Lets go of the space's reference; a node not in the space is ignored.
    void removeNode(SGNode* node);
    void removeRenderNode(SGRenderNode* node);
    void addRenderNode(SGRenderNode* node);
    void removeAllNodes();
    // By layer, ascending; nodes of equal layer keep their order.
    void sortRenderNodes();
    int countRenderNodes() const { return static_cast<int>(renderNodes_.size()); }

    const std::vector<Ref<SGNode>>& nodes() const { return nodes_; }
    const std::vector<SGRenderNode*>& renderNodes() const { return renderNodes_; }
    SoundManager* soundManager() const { return soundManager_; }
    // Null once the script deleted the manager.
    KVEngineAssetManager* assetManager() const { return assetManager_ ? *assetManager_ : nullptr; }

private:
    std::vector<Ref<SGNode>> nodes_;
    // The render nodes of nodes_, in drawing order; nodes_ holds them.
    std::vector<SGRenderNode*> renderNodes_;
    std::shared_ptr<KVEngineAssetManager*> assetManager_;
    SoundManager* soundManager_;
};
