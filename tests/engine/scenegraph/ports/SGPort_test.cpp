#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/scenegraph/ports/SGBooleanPort.h"
#include "engine/scenegraph/ports/SGColorPort.h"
#include "engine/scenegraph/ports/SGImagePort.h"
#include "engine/scenegraph/ports/SGIntegerPort.h"
#include "engine/scenegraph/ports/SGNumberPort.h"
#include "engine/scenegraph/ports/SGSoundPort.h"
#include "engine/scenegraph/ports/SGStringPort.h"
#include "tests/engine/scenegraph/SGTestNodes.h"

namespace {

bool isNullImage(const SGImage& image)
{
    return image.texture == 0 && image.width == 0 && image.rect.x0 == 0 && image.rect.x1 == 0 &&
           image.rect.y0 == 0 && image.rect.y1 == 0;
}

bool isWhite(const SGColor& c)
{
    return c == SGColor{1, 1, 1, 1};
}

}  // namespace

TEST(SGNumberPort, ConvertsWithTwoSignificantDigitsAndTruncation)
{
    SGNumberPort port;
    const struct {
        float value;
        const char* text;
    } texts[] = {{1234.5f, "1.2e+03"}, {0.0f, "0"}, {3.14159f, "3.1"}, {150.0f, "1.5e+02"},
                 {0.25f, "0.25"},      {12.0f, "12"}, {-0.5f, "-0.5"}};
    for (const auto& t : texts) {
        port.setValue(t.value);
        EXPECT_EQ(port.stringValue(), t.text) << t.value;
    }

    port.setValue(3.7f);
    EXPECT_EQ(port.intValue(), 3);
    EXPECT_FLOAT_EQ(port.numberValue(), 3.7f);
    EXPECT_TRUE(port.boolValue());
    port.setValue(-3.7f);
    EXPECT_EQ(port.intValue(), -3);
    port.setValue(0.0f);
    EXPECT_FALSE(port.boolValue());
    port.setValue(std::numeric_limits<float>::quiet_NaN());
    EXPECT_TRUE(port.boolValue());
    EXPECT_EQ(port.intValue(), 0);  // saturating conversion: never undefined
    port.setValue(1e20f);
    EXPECT_EQ(port.intValue(), std::numeric_limits<int>::max());
    port.setValue(-1e20f);
    EXPECT_EQ(port.intValue(), std::numeric_limits<int>::min());

    // Types a number port does not hold answer the base values.
    EXPECT_TRUE(isWhite(port.colorValue()));
    EXPECT_TRUE(isNullImage(port.imageValue()));
    EXPECT_EQ(port.soundValue().buffers, nullptr);
    EXPECT_EQ(port.soundValue().bufferCount, 0);
}

TEST(SGStringPort, ParsesTheLongestValidPrefix)
{
    SGStringPort port;
    port.setValue(std::string(" 42abc"));
    EXPECT_EQ(port.intValue(), 42);
    EXPECT_FLOAT_EQ(port.numberValue(), 42.0f);
    EXPECT_FALSE(port.boolValue());  // 42 is neither 0 nor 1

    port.setValue(std::string("\t-7.5e1x"));
    EXPECT_FLOAT_EQ(port.numberValue(), -75.0f);
    EXPECT_EQ(port.intValue(), -7);

    port.setValue(std::string("abc"));
    EXPECT_EQ(port.intValue(), 0);
    EXPECT_EQ(port.numberValue(), 0.0f);
    EXPECT_FALSE(port.boolValue());

    port.setValue(std::string(""));
    EXPECT_EQ(port.intValue(), 0);
    EXPECT_EQ(port.stringValue(), "");
    EXPECT_TRUE(isWhite(port.colorValue()));
}

TEST(SGStringPort, ReadsOnlyTheIntegerOneAsTrue)
{
    SGStringPort port;
    const struct {
        const char* text;
        bool value;
    } cases[] = {{"1", true}, {" 1", true}, {"1abc", true}, {"true", false}, {"false", false},
                 {"0", false}, {"2", false}, {"-1", false}, {"yes", false}};
    for (const auto& c : cases) {
        port.setValue(std::string(c.text));
        EXPECT_EQ(port.boolValue(), c.value) << '"' << c.text << '"';
    }
}

TEST(SGIntegerAndBooleanPorts, Convert)
{
    SGIntegerPort integer;
    integer.setValue(42);
    EXPECT_EQ(integer.stringValue(), "42");
    EXPECT_EQ(integer.numberValue(), 42.0f);
    EXPECT_TRUE(integer.boolValue());
    integer.setValue(-5);
    EXPECT_EQ(integer.stringValue(), "-5");
    integer.setValue(0);
    EXPECT_FALSE(integer.boolValue());
    integer.setValue(16777217);
    EXPECT_EQ(integer.intValue(), 16777217);
    EXPECT_EQ(integer.numberValue(), 16777216.0f);

    SGBooleanPort boolean;
    EXPECT_EQ(boolean.stringValue(), "false");
    EXPECT_EQ(boolean.numberValue(), 0.0f);
    EXPECT_EQ(boolean.intValue(), 0);
    boolean.setValue(true);
    EXPECT_EQ(boolean.stringValue(), "true");
    EXPECT_EQ(boolean.numberValue(), 1.0f);
    EXPECT_EQ(boolean.intValue(), 1);
    EXPECT_TRUE(isWhite(boolean.colorValue()));
}

TEST(SGValuePorts, ConvertNothing)
{
    SGColorPort color;
    color.setValue(SGColor{0.1f, 0.2f, 0.3f, 0.4f});
    EXPECT_EQ(color.colorValue(), (SGColor{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_EQ(color.stringValue(), "");
    EXPECT_EQ(color.numberValue(), 0.0f);
    EXPECT_FALSE(color.boolValue());

    SGImagePort image;
    SGImage picture;
    picture.texture = 7;
    picture.rect = {0, 0, 1, 1};
    image.setValue(picture);
    EXPECT_EQ(image.imageValue().texture, 7u);
    EXPECT_TRUE(isWhite(image.colorValue()));
    EXPECT_EQ(image.intValue(), 0);

    SGSoundPort sound;
    uint32_t buffer = 3;
    sound.setValue(SGSound{&buffer, 1});
    EXPECT_EQ(sound.soundValue().buffers, &buffer);
    EXPECT_TRUE(isNullImage(sound.imageValue()));
    EXPECT_EQ(sound.stringValue(), "");
}

TEST(SGPortConnection, AConnectedPortConvertsItsSourcesCurrentValue)
{
    CountingNode reader;
    SGStringPort text;  // an undeclared port: no node to update
    text.setValue(std::string("2.5"));
    reader.input1.setValue(&text);
    EXPECT_EQ(reader.input1.source(), &text);
    EXPECT_FLOAT_EQ(reader.input1.numberValue(), 2.5f);
    text.setStoredValue(" 8 apples");
    EXPECT_FLOAT_EQ(reader.input1.numberValue(), 8.0f);
    EXPECT_EQ(reader.input1.intValue(), 8);

    // A boolean source read through a number input, and back as text.
    SGBooleanPort flag;
    flag.setValue(true);
    reader.input2.setValue(&flag);
    EXPECT_EQ(reader.input2.numberValue(), 1.0f);
    EXPECT_EQ(reader.input2.stringValue(), "1");  // the number port's own text of 1.0
    reader.input1.disconnect();
    reader.input2.disconnect();
}

TEST(SGPortConnection, HoldsExactlyOneReferenceOnTheUpstreamNode)
{
    bool upstreamDied = false;
    auto* upstream = new CountingNode(&upstreamDied);
    auto* downstream = new CountingNode();

    downstream->input1.setValue(&upstream->output);
    EXPECT_EQ(upstream->retainCount(), 2u);
    EXPECT_TRUE(upstream->isRetained());
    ASSERT_EQ(upstream->output.destinations().size(), 1u);
    EXPECT_EQ(upstream->output.destinations()[0], &downstream->input1);

    // Connecting again to the same source changes nothing.
    downstream->input1.setValue(&upstream->output);
    EXPECT_EQ(upstream->retainCount(), 2u);
    EXPECT_EQ(upstream->output.destinations().size(), 1u);

    // A second input on the same source adds its own reference.
    downstream->input2.setValue(&upstream->output);
    EXPECT_EQ(upstream->retainCount(), 3u);
    downstream->input2.setValue(nullptr);  // null disconnects
    EXPECT_EQ(upstream->retainCount(), 2u);
    EXPECT_EQ(downstream->input2.source(), nullptr);

    // Kept alive by the connection alone, it dies when that is undone.
    upstream->release();
    EXPECT_FALSE(upstreamDied);
    EXPECT_EQ(upstream->retainCount(), 1u);
    downstream->input1.disconnect();
    EXPECT_TRUE(upstreamDied);
    EXPECT_EQ(downstream->input1.source(), nullptr);
    downstream->input1.disconnect();  // a second disconnect does nothing
    downstream->release();
}

TEST(SGPortConnection, ReconnectingUndoesTheEarlierLink)
{
    auto* first = new CountingNode();
    auto* second = new CountingNode();
    bool downstreamDied = false;
    auto* downstream = new CountingNode(&downstreamDied);

    downstream->input1.setValue(&first->output);
    downstream->input1.setValue(&second->output);
    EXPECT_EQ(first->retainCount(), 1u);
    EXPECT_TRUE(first->output.destinations().empty());
    EXPECT_EQ(second->retainCount(), 2u);
    EXPECT_EQ(downstream->input1.source(), &second->output);

    // Destroying the downstream node disconnects its ports.
    downstream->release();
    EXPECT_TRUE(downstreamDied);
    EXPECT_EQ(second->retainCount(), 1u);
    EXPECT_TRUE(second->output.destinations().empty());
    first->release();
    second->release();
}

TEST(SGPortConnection, ReconnectingToAnotherPortOfTheSameLastHolderKeepsItAlive)
{
    bool died = false;
    auto* upstream = new CountingNode(&died);
    CountingNode downstream;
    downstream.input1.setValue(&upstream->output);
    upstream->release();  // now held by the connection only
    downstream.input1.setValue(&upstream->input2);
    EXPECT_FALSE(died);
    EXPECT_EQ(upstream->retainCount(), 1u);
    downstream.input1.disconnect();
    EXPECT_TRUE(died);
}

TEST(SGPortConnection, RefusesLoopsOfSources)
{
    CountingNode a;
    CountingNode b;
    a.input1.setValue(&a.input1);
    EXPECT_EQ(a.input1.source(), nullptr);

    a.input1.setValue(&b.input1);
    b.input1.setValue(&a.input1);  // would make a.input1 read itself
    EXPECT_EQ(b.input1.source(), nullptr);
    EXPECT_EQ(a.retainCount(), 1u);
    EXPECT_EQ(a.input1.numberValue(), 0.0f);  // and reading ends
    a.input1.disconnect();
}

TEST(SGPortConnection, AnInputFedFromItsOwnNodeDoesNotHang)
{
    auto* node = new CountingNode();
    node->input1.setValue(5.0f);
    node->input2.setValue(&node->output);
    EXPECT_EQ(node->retainCount(), 2u);

    EXPECT_FLOAT_EQ(node->output.numberValue(), 6.0f);  // 5 + the stale output 0 + 1
    node->input1.setValue(1.0f);  // the dirty walk comes back to this node and stops
    EXPECT_TRUE(node->isDirty());
    EXPECT_FLOAT_EQ(node->output.numberValue(), 8.0f);  // 1 + 6 + 1

    node->input2.disconnect();
    EXPECT_EQ(node->retainCount(), 1u);
    node->release();
}
