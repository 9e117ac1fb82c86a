#include <gtest/gtest.h>

#include <utility>
#include <vector>

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
    // The computes of a to e since the last call.
    auto computes = [&] {
        std::vector<int> n;
        for (CountingNode* node : {&a, &b, &c, &d, &e})
            n.push_back(std::exchange(node->computes, 0));
        return n;
    };

    // Born dirty; nothing computes until an output is read.
    EXPECT_TRUE(a.isDirty());
    a.input1.setValue(10.0f);
    EXPECT_EQ(computes(), (std::vector<int>{0, 0, 0, 0, 0}));

    // a = 10 + 1, b = d = a + 1, e = b + d + 1: a, read twice, computes once; c is not read.
    EXPECT_FLOAT_EQ(e.output.numberValue(), 25.0f);
    EXPECT_EQ(computes(), (std::vector<int>{1, 1, 0, 1, 1}));
    EXPECT_FLOAT_EQ(e.output.numberValue(), 25.0f);
    EXPECT_FLOAT_EQ(c.output.numberValue(), 13.0f);
    EXPECT_EQ(computes(), (std::vector<int>{0, 0, 1, 0, 0}));

    // Setting the same value again still marks everything downstream.
    a.input1.setValue(10.0f);
    for (CountingNode* n : {&a, &b, &c, &d, &e})
        EXPECT_TRUE(n->isDirty());
    EXPECT_FLOAT_EQ(c.output.numberValue(), 13.0f);
    EXPECT_EQ(computes(), (std::vector<int>{1, 1, 1, 0, 0}));
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
