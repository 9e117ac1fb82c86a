#include <gtest/gtest.h>

#include "engine/scenegraph/SGSpace.h"
#include "engine/scenegraph/nodes/SGArithmeticNode.h"
#include "engine/scenegraph/nodes/SGColorNode.h"
#include "tests/engine/scenegraph/SGTestNodes.h"

namespace {

SGSpace* newSpace()
{
    return new SGSpace(nullptr, nullptr);
}

}  // namespace

TEST(SGSpace, DrawsInInsertionOrderUntilSortedByLayer)
{
    Log log;
    SGSpace* space = newSpace();
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
    auto* fourth = new RecordingRenderNode("fourth", &log, 2);
    space->addNode(fourth);
    third->setLayer(0);
    space->sortRenderNodes();
    space->compute();
    EXPECT_EQ(log, (Log{"third", "second", "first", "fourth"}));
    space->release();
}

TEST(SGSpace, DrawsRenderNodesEveryFrameAndOthersOnlyWhenRead)
{
    Log log;
    SGSpace* space = newSpace();
    auto* counter = new CountingNode();
    space->addNode(counter);
    space->addNode(new RecordingRenderNode("r", &log));
    space->compute();
    space->compute();
    EXPECT_EQ(log, (Log{"r", "r"}));
    EXPECT_EQ(counter->computes, 0);
    EXPECT_FALSE(space->isDirty());
    space->release();
}

TEST(SGSpace, DrawsANestedSpaceWhereItStands)
{
    Log log;
    SGSpace* outer = newSpace();
    outer->addNode(new RecordingRenderNode("before", &log));
    auto* inner = static_cast<SGSpace*>(outer->createNode(SGNodeClass::space));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->classFlags(), static_cast<uint32_t>(SGRenderNodeFlag | SGNodeClass::space));
    outer->addNode(new RecordingRenderNode("after", &log));
    inner->addNode(new RecordingRenderNode("inner1", &log, 9));
    inner->addNode(new RecordingRenderNode("inner2", &log, 1));

    outer->compute();
    EXPECT_EQ(log, (Log{"before", "inner1", "inner2", "after"}));

    log.clear();
    inner->sortRenderNodes();
    outer->sortRenderNodes();  // all at layer 0 in the outer space: unchanged
    outer->compute();
    EXPECT_EQ(log, (Log{"before", "inner2", "inner1", "after"}));
    outer->release();
}

TEST(SGSpace, CreatesTheNodesItKnowsAndCountsOnlyRenderNodes)
{
    SGSpace* space = newSpace();
    SGNode* arithmetic = space->createNode(SGNodeClass::arithmeticNode);
    SGNode* color = space->createNode(SGNodeClass::colorNode);
    SGNode* clear = space->createNode(SGNodeClass::clearNode);
    ASSERT_NE(arithmetic, nullptr);
    ASSERT_NE(color, nullptr);
    ASSERT_NE(clear, nullptr);
    EXPECT_NE(dynamic_cast<SGArithmeticNode*>(arithmetic), nullptr);
    EXPECT_NE(dynamic_cast<SGColorNode*>(color), nullptr);
    EXPECT_EQ(clear->classFlags(), static_cast<uint32_t>(SGRenderNodeFlag | SGNodeClass::clearNode));
    EXPECT_EQ(arithmetic->retainCount(), 1u);  // held by the space only
    EXPECT_EQ(space->nodes().size(), 3u);
    EXPECT_EQ(space->countRenderNodes(), 1);

    // Values that name no class a space creates: nothing is added.
    testing::internal::CaptureStderr();
    for (uint32_t value : {0u, 2u, 8u, 128u, 3u, 999999u})
        EXPECT_EQ(space->createNode(static_cast<SGNodeClass>(value)), nullptr) << value;
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("999999"), std::string::npos) << messages;
    EXPECT_EQ(space->nodes().size(), 3u);
    EXPECT_EQ(space->countRenderNodes(), 1);
    space->release();
}

TEST(SGSpace, RemovingReleasesTheSpacesReferenceOnly)
{
    Log log;
    SGSpace* space = newSpace();
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
    space->release();
}

TEST(SGSpace, DestroyingReleasesEveryNode)
{
    bool aDied = false, bDied = false;
    SGSpace* space = newSpace();
    auto* a = new CountingNode(&aDied);
    auto* b = new CountingNode(&bDied);
    space->addNode(a);
    space->addNode(b);
    b->retain();
    space->release();
    EXPECT_TRUE(aDied);
    EXPECT_FALSE(bDied);
    b->release();
    EXPECT_TRUE(bDied);
}

TEST(SGSpace, RenderListEditsApart)
{
    Log log;
    SGSpace* space = newSpace();
    auto* node = new RecordingRenderNode("n", &log);
    space->addNode(node);
    space->removeRenderNode(node);
    EXPECT_EQ(space->countRenderNodes(), 0);
    EXPECT_EQ(space->nodes().size(), 1u);
    space->addRenderNode(node);
    space->addRenderNode(node);
    space->compute();
    EXPECT_EQ(log, (Log{"n", "n"}));
    space->removeAllNodes();
    EXPECT_EQ(space->countRenderNodes(), 0);
    EXPECT_TRUE(space->nodes().empty());
    space->release();
}

TEST(SGSpace, ASpaceReadFromOutsideWhileDirtyDrawsThroughUpdate)
{
    Log log;
    auto* node = new RecordingRenderNode("r", &log);
    SGSpace* space = newSpace();
    space->addNode(node);
    node->input.numberValue();  // dirty: its compute (drawing) runs now
    EXPECT_EQ(log, (Log{"r"}));
    node->input.numberValue();
    EXPECT_EQ(log, (Log{"r"}));
    space->release();
}
