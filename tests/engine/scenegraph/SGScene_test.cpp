#include <gtest/gtest.h>

#include "engine/scenegraph/SGOrtho2DSpace.h"
#include "engine/scenegraph/SGScene.h"
#include "tests/engine/scenegraph/SGTestNodes.h"

TEST(SGScene, RendersTheDefaultSpaceThenEachSpaceInOrder)
{
    Log log;
    SGScene scene(nullptr, nullptr);
    SGSpace* s0 = scene.createSpace(SGNodeClass::space);
    SGSpace* s1 = scene.createSpace(SGNodeClass::ortho2DSpace);
    s0->addNode(new RecordingRenderNode("s0", &log));
    s1->addNode(new RecordingRenderNode("s1", &log));
    scene.defaultSpace().addNode(new RecordingRenderNode("default", &log));

    EXPECT_EQ(dynamic_cast<SGOrtho2DSpace*>(s0), nullptr);
    EXPECT_NE(dynamic_cast<SGOrtho2DSpace*>(s1), nullptr);
    EXPECT_TRUE(s1->isKindOf(SGNodeClass::ortho2DSpace));
    ASSERT_EQ(scene.spaces().size(), 2u);
    EXPECT_EQ(scene.spaces()[0].get(), s0);

    scene.render();
    EXPECT_EQ(log, (Log{"default", "s0", "s1"}));

    // Any other class value gives a plain space.
    SGSpace* plain = scene.createSpace(static_cast<SGNodeClass>(12345));
    EXPECT_EQ(dynamic_cast<SGOrtho2DSpace*>(plain), nullptr);
    scene.removeSpace(plain);
    EXPECT_EQ(scene.spaces().size(), 2u);
}

TEST(SGScene, RemovingASpaceReleasesIt)
{
    bool nodeDied = false;
    Log log;
    SGScene scene(nullptr, nullptr);
    SGSpace* s0 = scene.createSpace(SGNodeClass::space);
    s0->addNode(new RecordingRenderNode("s0", &log, 0, &nodeDied));
    s0->retain();
    scene.removeSpace(s0);
    scene.removeSpace(s0);  // absent: ignored
    scene.removeSpace(&scene.defaultSpace());  // never listed: ignored
    EXPECT_EQ(s0->retainCount(), 1u);
    scene.render();
    EXPECT_TRUE(log.empty());
    s0->release();
    EXPECT_TRUE(nodeDied);
}

TEST(SGScene, DestroyingReleasesItsSpaces)
{
    bool defaultNodeDied = false, listedNodeDied = false;
    Log log;
    auto* scene = new SGScene(nullptr, nullptr);
    SGSpace* kept = scene->createSpace(SGNodeClass::space);
    kept->retain();
    scene->createSpace(SGNodeClass::space)->addNode(new RecordingRenderNode("x", &log, 0, &listedNodeDied));
    scene->defaultSpace().addNode(new RecordingRenderNode("d", &log, 0, &defaultNodeDied));
    scene->release();
    EXPECT_TRUE(defaultNodeDied);
    EXPECT_TRUE(listedNodeDied);
    EXPECT_EQ(kept->retainCount(), 1u);
    kept->release();
}

TEST(SGScene, RenderWithInitialStateDrawsEachEarlierSpaceFadedBeneath)
{
    Log log;
    SGScene scene(nullptr, nullptr);
    SGScene initial(nullptr, nullptr);
    scene.defaultSpace().addNode(new RecordingRenderNode("default", &log));
    initial.defaultSpace().addNode(new RecordingRenderNode("initial-default", &log));
    for (int i = 0; i < 2; ++i) {
        scene.createSpace(SGNodeClass::space)->addNode(new RecordingRenderNode("s" + std::to_string(i), &log));
        initial.createSpace(SGNodeClass::space)->addNode(new RecordingRenderNode("i" + std::to_string(i), &log));
    }

    scene.renderWithInitialState(initial);
    EXPECT_EQ(log, (Log{"default", "i0@0.5", "s0", "i1@0.5", "s1"}));
    EXPECT_EQ(SGAlphaScaleFactor, 1.0f);
}

TEST(SGScene, RenderWithInitialStateSkipsSpacesTheInitialSceneLacks)
{
    Log log;
    SGScene scene(nullptr, nullptr);
    SGScene initial(nullptr, nullptr);
    for (int i = 0; i < 3; ++i)
        scene.createSpace(SGNodeClass::space)->addNode(new RecordingRenderNode("s" + std::to_string(i), &log));
    initial.createSpace(SGNodeClass::space)->addNode(new RecordingRenderNode("i0", &log));

    scene.renderWithInitialState(initial);
    EXPECT_EQ(log, (Log{"i0@0.5", "s0", "s1", "s2"}));
    EXPECT_EQ(SGAlphaScaleFactor, 1.0f);

    // The initial scene may have more spaces: the extra ones are not drawn.
    log.clear();
    initial.renderWithInitialState(scene);
    EXPECT_EQ(log, (Log{"s0@0.5", "i0"}));
}

// A render node that edits its own space while the space draws (as a
// loader calling into the script might).
class SelfRemovingNode : public SGRenderNode {
public:
    SelfRemovingNode(SGSpace* space, Log* log) : SGRenderNode(SGNodeClass::spriteNode), space_(space), log_(log) {}
    void compute() override
    {
        log_->push_back("remover");
        space_->removeNode(this);
    }

private:
    SGSpace* space_;
    Log* log_;
};

TEST(SGScene, ANodeMayRemoveItselfWhileDrawing)
{
    Log log;
    SGScene scene(nullptr, nullptr);
    SGSpace* space = scene.createSpace(SGNodeClass::space);
    space->addNode(new SelfRemovingNode(space, &log));
    space->addNode(new RecordingRenderNode("next", &log));
    scene.render();
    scene.render();
    EXPECT_EQ(log, (Log{"remover", "next", "next"}));
}
