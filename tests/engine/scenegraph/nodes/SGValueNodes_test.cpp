#include <gtest/gtest.h>

#include <cmath>

#include "engine/scenegraph/nodes/SGArithmeticNode.h"
#include "engine/scenegraph/nodes/SGAttributeNode.h"
#include "engine/scenegraph/nodes/SGColorNode.h"
#include "engine/scenegraph/ports/SGStringPort.h"
#include "tests/engine/scenegraph/SGTestNodes.h"

namespace {

float evaluate(const char* operation, float a, float b)
{
    SGArithmeticNode node;
    node.input1.setValue(a);
    node.input2.setValue(b);
    node.operation.setValue(std::string(operation));
    return node.output.numberValue();
}

}  // namespace

TEST(SGArithmeticNode, AppliesTheOperationNamedByItsFirstCharacter)
{
    SGArithmeticNode fresh;
    EXPECT_EQ(fresh.operation.storedValue(), "+");
    EXPECT_EQ(fresh.output.numberValue(), 0.0f);

    EXPECT_FLOAT_EQ(evaluate("+", 7, 2), 9);
    EXPECT_FLOAT_EQ(evaluate("-", 7, 2), 5);
    EXPECT_FLOAT_EQ(evaluate("*", 7, 2), 14);
    EXPECT_FLOAT_EQ(evaluate("/", 7, 2), 3.5f);
    EXPECT_FLOAT_EQ(evaluate("%", 7, 2), 1);
    EXPECT_FLOAT_EQ(evaluate("%", -7, 2), -1);  // the sign follows a
    EXPECT_FLOAT_EQ(evaluate("s", 7, 0), 0);
    EXPECT_FLOAT_EQ(evaluate("s", 2, static_cast<float>(M_PI / 2)), 2);
    EXPECT_FLOAT_EQ(evaluate("c", 7, 0), 7);
    EXPECT_FLOAT_EQ(evaluate("+ and more", 7, 2), 9);  // only the first character counts
    EXPECT_FLOAT_EQ(evaluate(" +", 7, 2), 0);
    EXPECT_FLOAT_EQ(evaluate("", 7, 2), 0);
    EXPECT_FLOAT_EQ(evaluate("^", 7, 2), 0);
    EXPECT_FLOAT_EQ(evaluate("plus", 7, 2), 0);
    EXPECT_TRUE(std::isinf(evaluate("/", 1, 0)));
    EXPECT_TRUE(std::isnan(evaluate("%", 1, 0)));
}

TEST(SGArithmeticNode, ReadsItsOperationDirectlyAndRecomputesOnChange)
{
    SGArithmeticNode node;
    node.input1.setValue(6.0f);
    node.input2.setValue(3.0f);
    EXPECT_FLOAT_EQ(node.output.numberValue(), 9);
    node.operation.setValue(std::string("/"));
    EXPECT_TRUE(node.isDirty());
    EXPECT_FLOAT_EQ(node.output.numberValue(), 2);

    // A connection to the operation port is not followed.
    SGStringPort elsewhere;
    elsewhere.setValue(std::string("*"));
    node.operation.setValue(&elsewhere);
    node.setDirty(true);
    EXPECT_FLOAT_EQ(node.output.numberValue(), 2);
    node.operation.disconnect();

    EXPECT_EQ(node.portForID(SGPortID::output), &node.output);
    EXPECT_EQ(node.portForID(SGPortID::input1), &node.input1);
    EXPECT_EQ(node.portForID(SGPortID::input2), &node.input2);
    EXPECT_EQ(node.portForID(SGPortID::operation), &node.operation);
    EXPECT_EQ(node.portForID(SGPortID::x), nullptr);
    EXPECT_EQ(node.classFlags(), static_cast<uint32_t>(SGNodeClass::arithmeticNode));
}

TEST(SGArithmeticNode, PullsItsInputsThroughConnections)
{
    CountingNode upstream;
    SGArithmeticNode node;
    node.input1.setValue(&upstream.output);
    node.input2.setValue(10.0f);
    node.operation.setValue(std::string("*"));
    upstream.input1.setValue(2.0f);  // upstream output 3
    EXPECT_FLOAT_EQ(node.output.numberValue(), 30);
    node.input1.disconnect();
}

TEST(SGColorNode, AssemblesAnUnclampedColour)
{
    SGColorNode node;
    EXPECT_EQ(node.output.colorValue(), (SGColor{1, 1, 1, 1}));
    node.r.setValue(0.25f);
    node.a.setValue(2.0f);
    EXPECT_EQ(node.output.colorValue(), (SGColor{0.25f, 1, 1, 2}));
    node.b.setValue(-1.0f);
    EXPECT_EQ(node.output.colorValue(), (SGColor{0.25f, 1, -1, 2}));
    EXPECT_EQ(node.portForID(SGPortID::g), &node.g);
    EXPECT_EQ(node.portForID(SGPortID::color), nullptr);
    EXPECT_EQ(node.output.numberValue(), 0.0f);  // a colour converts to nothing
}

TEST(SGAttributeNode, OffersItsValueOnEveryPortID)
{
    const struct {
        SGPortValueType type;
        const char* className;
    } types[] = {{SGPortValueType::STRING, "string"}, {SGPortValueType::ASSETNAME, "string"}, {SGPortValueType::NUMBER, "number"},
                 {SGPortValueType::INTEGER, "integer"}, {SGPortValueType::BOOLEAN, "boolean"}};
    for (const auto& t : types) {
        auto* node = new SGAttributeNode(t.type);
        ASSERT_NE(node->valuePort(), nullptr) << t.className;
        EXPECT_EQ(node->valuePort()->valueType(), t.type);
        EXPECT_EQ(node->portForID(SGPortID::value), node->valuePort());
        EXPECT_EQ(node->portForID(SGPortID::x), node->valuePort());
        EXPECT_EQ(node->portForID(static_cast<SGPortID>(500)), node->valuePort());
        EXPECT_EQ(node->outputPorts().size(), 1u);
        EXPECT_EQ(node->classFlags(), static_cast<uint32_t>(SGNodeClass::attributeNode));
        node->release();
    }

    SGAttributeNode name(SGPortValueType::ASSETNAME);
    static_cast<SGStringPort*>(name.valuePort())->setValue(std::string("hero.png"));
    EXPECT_EQ(name.valuePort()->stringValue(), "hero.png");
}

TEST(SGAttributeNode, FeedsEveryFollowerAndMarksThemOnChange)
{
    SGAttributeNode attribute(SGPortValueType::NUMBER);
    CountingNode follower1, follower2;
    follower1.input1.setValue(attribute.valuePort());
    follower2.input2.setValue(attribute.valuePort());
    EXPECT_EQ(attribute.retainCount(), 3u);
    static_cast<SGNumberPort*>(attribute.valuePort())->setValue(4.0f);
    EXPECT_FLOAT_EQ(follower1.output.numberValue(), 5);
    EXPECT_FLOAT_EQ(follower2.output.numberValue(), 5);
    static_cast<SGNumberPort*>(attribute.valuePort())->setValue(9.0f);
    EXPECT_TRUE(follower1.isDirty());
    EXPECT_FLOAT_EQ(follower1.output.numberValue(), 10);
    follower1.input1.disconnect();
    follower2.input2.disconnect();
    EXPECT_EQ(attribute.retainCount(), 1u);
}

TEST(SGAttributeNode, AnUnsupportedTypeSaysSoAndHasNoPort)
{
    for (int type : {0, 5, 6, 7, 9, -1}) {
        testing::internal::CaptureStdout();
        SGAttributeNode node(static_cast<SGPortValueType>(type));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "SGAttributeNode creation failed - unsupported type\n");
        EXPECT_EQ(node.valuePort(), nullptr);
        EXPECT_EQ(node.portForID(SGPortID::value), nullptr);
        EXPECT_TRUE(node.outputPorts().empty());
    }
}
