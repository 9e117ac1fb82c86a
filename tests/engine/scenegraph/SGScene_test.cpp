#include <gtest/gtest.h>

#include "engine/scenegraph/SGScene.h"
#include "tests/engine/scenegraph/SGTestNodes.h"

TEST(SGScene, RendersTheDefaultSpaceThenEachSpaceInOrderAloneOrOverAnInitialStateAndReleasesWhatItDrops)
{
    Log log;
    bool removedDied = false, keptDied = false, defaultDied = false;
    auto* scene = new SGScene(nullptr, nullptr);
    SGSpace* s0 = scene->createSpace(SGNodeClass::space);
    SGSpace* s1 = scene->createSpace(SGNodeClass::ortho2DSpace);
    SGSpace* removed = scene->createSpace(SGNodeClass::space);
    s0->addNode(new RecordingRenderNode("s0", &log, 0, &keptDied));
    // A node may remove itself while its space draws (as a loader calling into the script might).
    auto* remover = new RecordingRenderNode("remover", &log);
    remover->onDraw = [=] { s1->removeNode(remover); };
    s1->addNode(remover);
    s1->addNode(new RecordingRenderNode("s1", &log));
    removed->addNode(new RecordingRenderNode("removed", &log, 0, &removedDied));
    scene->defaultSpace().addNode(new RecordingRenderNode("default", &log, 0, &defaultDied));
    scene->removeSpace(removed);
    EXPECT_TRUE(removedDied);
    scene->removeSpace(&scene->defaultSpace());  // never listed: ignored

    scene->render();
    scene->render();
    EXPECT_EQ(log, (Log{"default", "s0", "remover", "s1", "default", "s0", "s1"}));
    scene->release();
    EXPECT_TRUE(keptDied && defaultDied);

    // With an initial state: its spaces drawn at half alpha beneath those of the same place; the rest alone.
    const struct {
        int spaces, initialSpaces;
        Log expected;
    } cases[] = {
        {2, 2, {"default", "i0@0.5", "s0", "i1@0.5", "s1"}},
        {3, 1, {"default", "i0@0.5", "s0", "s1", "s2"}},
        {1, 2, {"default", "i0@0.5", "s0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.spaces);
        log.clear();
        SGScene over(nullptr, nullptr);
        SGScene initial(nullptr, nullptr);
        over.defaultSpace().addNode(new RecordingRenderNode("default", &log));
        initial.defaultSpace().addNode(new RecordingRenderNode("initial-default", &log));
        for (int i = 0; i < c.spaces; ++i)
            over.createSpace(SGNodeClass::space)->addNode(new RecordingRenderNode("s" + std::to_string(i), &log));
        for (int i = 0; i < c.initialSpaces; ++i)
            initial.createSpace(SGNodeClass::space)->addNode(new RecordingRenderNode("i" + std::to_string(i), &log));
        over.renderWithInitialState(initial);
        EXPECT_EQ(log, c.expected);
        EXPECT_EQ(SGAlphaScaleFactor, 1.0f);
    }
}
