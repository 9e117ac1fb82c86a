#include <gtest/gtest.h>

#include "engine/scenegraph/SGSpace.h"
#include "platform/objects/KVRef.h"
#include "tests/engine/scenegraph/SGTestNodes.h"

TEST(SGSpace, DrawsInInsertionOrderUntilSortedByLayerAndRemovingReleasesItsReferenceOnly)
{
    Log log;
    auto space = makeRef<SGSpace>(nullptr, nullptr);
    auto* first = new RecordingRenderNode("first", &log, 2);
    auto* second = new RecordingRenderNode("second", &log, 1);
    auto* third = new RecordingRenderNode("third", &log, 3);
    space->addNode(first);
    space->addNode(second);
    space->addNode(third);

    space->compute();
    EXPECT_EQ(log, (Log{"first", "second", "third"}));

    log.clear();
    second->setLayer(5);  // a layer change waits for the next sort
    second->setLayer(1);
    space->sortRenderNodes();
    space->compute();
    EXPECT_EQ(log, (Log{"second", "first", "third"}));

    // Equal layers keep their order.
    log.clear();
    space->addNode(new RecordingRenderNode("fourth", &log, 2));
    third->setLayer(0);
    space->sortRenderNodes();
    space->compute();
    EXPECT_EQ(log, (Log{"third", "second", "first", "fourth"}));

    // Removing releases the space's reference only.
    log.clear();
    space = makeRef<SGSpace>(nullptr, nullptr);
    bool renderDied = false, sourceDied = false;
    auto* render = new RecordingRenderNode("r", &log, 0, &renderDied);
    auto* source = new CountingNode(&sourceDied);
    space->addNode(render);
    space->addNode(source);
    render->input.setValue(&source->output);  // the connection holds source

    space->removeNode(source);
    EXPECT_FALSE(sourceDied);
    EXPECT_EQ(space->nodes().size(), 1u);
    space->removeNode(source);  // no longer in the space: ignored
    EXPECT_EQ(source->retainCount(), 1u);

    render->retain();
    space->removeNode(render);
    EXPECT_FALSE(renderDied);
    EXPECT_EQ(space->countRenderNodes(), 0);
    space->compute();
    EXPECT_TRUE(log.empty());

    render->release();  // the last reference: it dies and lets go of source
    EXPECT_TRUE(renderDied);
    EXPECT_TRUE(sourceDied);
}
