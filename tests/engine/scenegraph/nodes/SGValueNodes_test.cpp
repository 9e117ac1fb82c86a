#include <gtest/gtest.h>

#include <cmath>

#include "engine/scenegraph/nodes/SGArithmeticNode.h"
#include "engine/scenegraph/ports/SGStringPort.h"

TEST(SGArithmeticNode, AppliesTheOperationNamedByItsFirstCharacter)
{
    const struct {
        const char* operation;
        float a, b, result;
    } cases[] = {
        {"+", 7, 2, 9},  {"-", 7, 2, 5}, {"*", 7, 2, 14}, {"/", 7, 2, 3.5f}, {"%", 7, 2, 1},
        {"%", -7, 2, -1},  // the sign follows a
        {"s", 2, static_cast<float>(M_PI / 2), 2}, {"c", 7, 0, 7}, {"/", 1, 0, INFINITY}, {"%", 1, 0, NAN},
        {"+ and more", 7, 2, 9},  // only the first character counts
        {" +", 7, 2, 0}, {"", 7, 2, 0}, {"plus", 7, 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " '" << c.operation << "' " << c.b);
        SGArithmeticNode node;
        EXPECT_EQ(node.output.numberValue(), 0.0f) << "adds nothing by default";
        node.input1.setValue(c.a);
        node.input2.setValue(c.b);
        node.operation.setValue(std::string(c.operation));
        if (std::isnan(c.result))
            EXPECT_TRUE(std::isnan(node.output.numberValue()));
        else
            EXPECT_FLOAT_EQ(node.output.numberValue(), c.result);
    }

    // A connection to the operation port is not followed.
    SGArithmeticNode node;
    node.input1.setValue(6.0f);
    node.input2.setValue(3.0f);
    SGStringPort elsewhere;
    elsewhere.setValue(std::string("*"));
    node.operation.setValue(&elsewhere);
    EXPECT_FLOAT_EQ(node.output.numberValue(), 9);
    node.operation.disconnect();
}
