#include <gtest/gtest.h>

#include "tests/engine/scenegraph/SGTestNodes.h"

// a -> b -> c, plus a diamond: a feeds b and d, and e adds b and d.
class Dataflow : public ::testing::Test {
protected:
    void SetUp() override
    {
        b.input1.setValue(&a.output);
        c.input1.setValue(&b.output);
        d.input1.setValue(&a.output);
        e.input1.setValue(&b.output);
        e.input2.setValue(&d.output);
    }
    void TearDown() override
    {
        for (CountingNode* n : {&b, &c, &d, &e}) {
            n->input1.disconnect();
            n->input2.disconnect();
        }
    }
    void resetCounts()
    {
        for (CountingNode* n : {&a, &b, &c, &d, &e})
            n->computes = 0;
    }

    CountingNode a, b, c, d, e;
};

TEST_F(Dataflow, ComputesEachNodeOncePerChangeAndOnlyWhenRead)
{
    // Born dirty; nothing computes until an output is read.
    EXPECT_TRUE(a.isDirty());
    a.input1.setValue(10.0f);
    EXPECT_EQ(a.computes, 0);

    // a = 10 + 1, b = d = a + 1, e = b + d + 1
    EXPECT_FLOAT_EQ(e.output.numberValue(), 25.0f);
    EXPECT_EQ(a.computes, 1);  // read by b and by d, computed once
    EXPECT_EQ(b.computes, 1);
    EXPECT_EQ(d.computes, 1);
    EXPECT_EQ(e.computes, 1);
    EXPECT_EQ(c.computes, 0);  // not read

    resetCounts();
    EXPECT_FLOAT_EQ(e.output.numberValue(), 25.0f);
    EXPECT_FLOAT_EQ(c.output.numberValue(), 13.0f);
    EXPECT_EQ(a.computes + b.computes + d.computes + e.computes, 0);
    EXPECT_EQ(c.computes, 1);

    // Setting the same value again still marks everything downstream.
    resetCounts();
    a.input1.setValue(10.0f);
    for (CountingNode* n : {&a, &b, &c, &d, &e})
        EXPECT_TRUE(n->isDirty());
    EXPECT_FLOAT_EQ(c.output.numberValue(), 13.0f);
    EXPECT_EQ(a.computes, 1);
    EXPECT_EQ(b.computes, 1);
    EXPECT_EQ(c.computes, 1);
    EXPECT_EQ(e.computes, 0);
    EXPECT_TRUE(e.isDirty());
}

TEST_F(Dataflow, DirtyMarkingStopsAtANodeThatIsAlreadyDirty)
{
    e.output.numberValue();
    c.output.numberValue();
    for (CountingNode* n : {&a, &b, &c, &d, &e})
        ASSERT_FALSE(n->isDirty());

    // Break the "downstream of dirty is dirty" rule on purpose: b dirty,
    // c and e clean. A change at a must then stop at b.
    b.setDirty(true);
    a.input1.setValue(1.0f);
    EXPECT_TRUE(a.isDirty());
    EXPECT_TRUE(d.isDirty());
    EXPECT_FALSE(c.isDirty());  // reached only through b
    EXPECT_TRUE(e.isDirty());   // reached through d as well
}

TEST_F(Dataflow, WritingTheStoredValueMarksNothing)
{
    e.output.numberValue();
    a.input1.setStoredValue(100.0f);
    EXPECT_FALSE(a.isDirty());
    EXPECT_FLOAT_EQ(e.output.numberValue(), 5.0f);  // still the old result
    a.setDirty(true);  // a dirty a alone recomputes, but nobody below it knows
    EXPECT_FLOAT_EQ(a.output.numberValue(), 101.0f);
    EXPECT_FLOAT_EQ(e.output.numberValue(), 5.0f);
}

TEST_F(Dataflow, ConnectingMarksNothingDirty)
{
    CountingNode other;
    other.input1.setValue(50.0f);
    EXPECT_FLOAT_EQ(other.output.numberValue(), 51.0f);  // clean now, so changes travel on
    EXPECT_FLOAT_EQ(c.output.numberValue(), 3.0f);

    c.input1.setValue(&other.output);
    EXPECT_FALSE(c.isDirty());
    EXPECT_FLOAT_EQ(c.output.numberValue(), 3.0f);  // the new source is not seen yet
    other.input2.setValue(1.0f);                   // the next change upstream reaches c
    EXPECT_TRUE(c.isDirty());
    EXPECT_FLOAT_EQ(c.output.numberValue(), 53.0f);

    c.input1.disconnect();
    EXPECT_FALSE(c.isDirty());
    EXPECT_FLOAT_EQ(c.output.numberValue(), 53.0f);
    c.setDirty(true);
    EXPECT_FLOAT_EQ(c.output.numberValue(), 1.0f);  // unconnected input: its stored 0
}

TEST(SGNode, ReadingAnUnconnectedInputOfADirtyNodeComputesIt)
{
    CountingNode node;
    EXPECT_EQ(node.input1.numberValue(), 0.0f);
    EXPECT_EQ(node.computes, 1);
    EXPECT_FALSE(node.isDirty());
    node.input2.numberValue();
    EXPECT_EQ(node.computes, 1);
}

TEST(SGNode, InputsListTheOutputsDeclaredBeforeThem)
{
    CountingNode node;
    ASSERT_EQ(node.outputPorts().size(), 1u);
    EXPECT_EQ(node.outputPorts()[0], &node.output);
    EXPECT_EQ(node.output.owner(), &node);
    EXPECT_EQ(node.input1.valueType(), SGPortValueType::NUMBER);
    ASSERT_EQ(node.input1.destinations().size(), 1u);
    EXPECT_EQ(node.input1.destinations()[0], &node.output);
    EXPECT_TRUE(node.output.destinations().empty());
}

TEST(SGObject, DeletesItselfOnTheLastRelease)
{
    bool died = false;
    auto* node = new CountingNode(&died);
    EXPECT_EQ(node->retainCount(), 1u);
    EXPECT_FALSE(node->isRetained());
    node->retain();
    EXPECT_TRUE(node->isRetained());
    node->release();
    EXPECT_FALSE(died);
    const SGLiveNodes::Ticket ticket = node->ticket();
    EXPECT_EQ(SGLiveNodes::find(ticket), node);
    node->release();
    EXPECT_TRUE(died);
    EXPECT_EQ(SGLiveNodes::find(ticket), nullptr);
}
