#include <gtest/gtest.h>

#include "tests/engine/scenegraph/SGTestNodes.h"

// a -> b -> c, plus a diamond: a feeds b and d, and e adds b and d.
TEST(SGNode, ComputesEachNodeOncePerChangeAndOnlyWhenRead)
{
    CountingNode a, b, c, d, e;
    b.input1.setValue(&a.output);
    c.input1.setValue(&b.output);
    d.input1.setValue(&a.output);
    e.input1.setValue(&b.output);
    e.input2.setValue(&d.output);
    auto resetCounts = [&] {
        for (CountingNode* n : {&a, &b, &c, &d, &e})
            n->computes = 0;
    };

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

    // Reading an input of a dirty node brings the node up to date too.
    CountingNode lone;
    EXPECT_EQ(lone.input1.numberValue(), 0.0f);
    EXPECT_EQ(lone.computes, 1);
    EXPECT_FALSE(lone.isDirty());

    for (CountingNode* n : {&b, &c, &d, &e}) {
        n->input1.disconnect();
        n->input2.disconnect();
    }
}
