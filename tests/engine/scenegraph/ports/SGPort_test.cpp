#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <tuple>

#include "engine/scenegraph/ports/SGBooleanPort.h"
#include "engine/scenegraph/ports/SGColorPort.h"
#include "engine/scenegraph/ports/SGImagePort.h"
#include "engine/scenegraph/ports/SGIntegerPort.h"
#include "engine/scenegraph/ports/SGNumberPort.h"
#include "engine/scenegraph/ports/SGSoundPort.h"
#include "engine/scenegraph/ports/SGStringPort.h"
#include "tests/engine/scenegraph/SGTestNodes.h"

// Numbers as text keep two digits, text reads up to its first unusable character, only 1 is true.
TEST(SGPort, ConvertsBetweenTheScalarTypesAndAConnectionHoldsOneReferenceUpstreamAndMakesNoLoop)
{
    SGNumberPort number;
    SGStringPort string;
    SGIntegerPort integer;
    SGBooleanPort boolean;
    SGColorPort color;
    SGImagePort image;
    SGSoundPort sound;
    SGBooleanPort fed;  // reads its source, not its own value
    using Setter = std::pair<SGPort*, std::function<void()>>;
    auto num = [&](float v) { return Setter{&number, [&, v] { number.setValue(v); }}; };
    auto str = [&](const char* v) { return Setter{&string, [&, v] { string.setValue(std::string(v)); }}; };
    auto in = [&](int v) { return Setter{&integer, [&, v] { integer.setValue(v); }}; };
    auto yes = [&](bool v) { return Setter{&boolean, [&, v] { boolean.setValue(v); }}; };
    const struct {
        Setter port;
        const char* text;  // nullptr: not checked
        int integer;
        float number;
        bool boolean;
    } cases[] = {
        {num(1234.5f), "1.2e+03", 1234, 1234.5f, true}, {num(0), "0", 0, 0, false},
        {num(3.14159f), "3.1", 3, 3.14159f, true},      {num(0.25f), "0.25", 0, 0.25f, true},
        {num(-3.7f), "-3.7", -3, -3.7f, true},          {num(NAN), nullptr, 0, NAN, true},
        {num(1e20f), "1e+20", INT_MAX, 1e20f, true},    {num(-1e20f), nullptr, INT_MIN, -1e20f, true},
        {str(" 42abc"), " 42abc", 42, 42, false},       {str("\t-7.5e1x"), nullptr, -7, -75, false},
        {str("abc"), "abc", 0, 0, false},               {str(""), "", 0, 0, false},
        {str("1"), "1", 1, 1, true},                    {str("1abc"), nullptr, 1, 1, true},
        {str("true"), nullptr, 0, 0, false},            {str("2"), nullptr, 2, 2, false},
        {in(42), "42", 42, 42, true},                   {in(0), "0", 0, 0, false},
        {in(16777217), "16777217", 16777217, 16777216, true},
        {yes(false), "false", 0, 0, false},             {yes(true), "true", 1, 1, true},
        {{&fed, [&] { number.setValue(0.5f); fed.setValue(&number); }}, "true", 1, 1, true},
        {{&color, [&] { color.setValue(SGColor{0.1f, 0.2f, 0.3f, 0.4f}); }}, "", 0, 0, false},
        {{&image, [&] { image.setValue(SGImage{}); }}, "", 0, 0, false},
        {{&sound, [] {}}, "", 0, 0, false},
    };
    for (const auto& c : cases) {
        c.port.second();
        SGPort& port = *c.port.first;
        SCOPED_TRACE(testing::Message() << "a " << static_cast<int>(port.valueType()) << " port holding '"
                                        << port.stringValue() << "'");
        if (c.text) {
            EXPECT_EQ(port.stringValue(), c.text);
        }
        EXPECT_EQ(port.intValue(), c.integer);
        if (std::isnan(c.number))
            EXPECT_TRUE(std::isnan(port.numberValue()));
        else
            EXPECT_EQ(port.numberValue(), c.number);
        EXPECT_EQ(port.boolValue(), c.boolean);
    }

    // Colours, images and sounds are white, none and silence elsewhere.
    for (SGPort* p : std::initializer_list<SGPort*>{&number, &string, &integer, &boolean, &image, &sound})
        EXPECT_EQ(p->colorValue(), (SGColor{1, 1, 1, 1}));
    for (SGPort* p : std::initializer_list<SGPort*>{&number, &color, &sound})
        EXPECT_EQ(p->imageValue().texture, 0u);
    for (SGPort* p : std::initializer_list<SGPort*>{&number, &color, &image})
        EXPECT_EQ(p->soundValue().buffers, nullptr);
    EXPECT_EQ(color.colorValue(), (SGColor{0.1f, 0.2f, 0.3f, 0.4f}));

    // A connection holds exactly one reference on the upstream node and makes no loop.
    bool upstreamDied = false, downstreamDied = false;
    auto* upstream = new CountingNode(&upstreamDied);
    auto* other = new CountingNode();
    auto* downstream = new CountingNode(&downstreamDied);

    downstream->input1.setValue(&upstream->output);
    downstream->input1.setValue(&upstream->output);  // again: nothing changes
    EXPECT_EQ(upstream->retainCount(), 2u);
    EXPECT_EQ(upstream->output.destinations(), (std::vector<SGPort*>{&downstream->input1}));

    // A second input on the same source adds its own reference.
    downstream->input2.setValue(&upstream->output);
    EXPECT_EQ(upstream->retainCount(), 3u);
    downstream->input2.setValue(nullptr);  // null disconnects
    EXPECT_EQ(std::tuple(upstream->retainCount(), downstream->input2.source()), std::tuple(2u, nullptr));

    // Held by the connection alone, it lives through a reconnection to its own port.
    upstream->release();
    downstream->input1.setValue(&upstream->input2);
    EXPECT_EQ(std::tuple(upstreamDied, upstream->retainCount(), upstream->output.destinations().empty()),
              std::tuple(false, 1u, true));
    downstream->input1.disconnect();
    EXPECT_EQ(std::tuple(upstreamDied, downstream->input1.source()), std::tuple(true, nullptr));
    downstream->input1.disconnect();  // a second disconnect does nothing

    // Reconnecting lets go of the old source; a destroyed node disconnects.
    downstream->input1.setValue(&other->output);
    downstream->release();
    EXPECT_EQ(std::tuple(downstreamDied, other->retainCount(), other->output.destinations().empty()),
              std::tuple(true, 1u, true));
    other->release();

    // A loop of sources is refused. (The module's test connects a port to itself.)
    CountingNode a, b;
    a.input1.setValue(&b.input1);
    b.input1.setValue(&a.input1);  // would make a.input1 read itself
    EXPECT_EQ(std::tuple(b.input1.source(), a.retainCount(), a.input1.numberValue()), std::tuple(nullptr, 1u, 0.0f))
        << "and reading ends";
    a.input1.disconnect();
}
