#include <gtest/gtest.h>

#include <new>
#include <string>

#include "engine/scenegraph/SGScene.h"
#include "engine/scenegraph/nodes/SGArithmeticNode.h"
#include "engine/scenegraph/wrap_scenegraph.h"
#include "tests/support/LuaChunk.h"
#include "tests/support/ScriptMisuse.h"

// A Lua state with the scenegraph module; each test runs script text in it.
class ScenegraphModule : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(run("scene = scenegraph.scene.new(nil, nil); space = scene:defaultSpace()"), ""); }
    void TearDown() override { run("scene:delete()"); }

    std::string run(const std::string& code) { return lua.run(code); }

    // Runs the text, which must not fail, and answers what it printed.
    std::string output(const std::string& code)
    {
        testing::internal::CaptureStdout();
        EXPECT_EQ(run(code), "") << code;
        return testing::internal::GetCapturedStdout();
    }

    LuaTestState lua{luaopen_scenegraph};
    lua_State* L = lua.L;
};

TEST_F(ScenegraphModule, PortsConvertAtTheBoundaryNotifyOnlyWhenAskedAndConnectToHandlesAndAttributes)
{
    EXPECT_EQ(run(R"(
        local n = space:createNode(scenegraph.arithmeticNode)
        n.input1:setValue(7, true)
        n.input2:setValue("2", true)
        n.operation:setValue("/", true)
        assert(n.output:value() == 3.5)
        n.operation:setValue("%", true)
        assert(n.output:value() == 1)

        -- without the notify flag the value is stored but nothing recomputes
        n.input1:setValue(9)
        assert(n.input1:value() == 9)
        assert(n.output:value() == 1)
        n.input2:setValue(4, true)
        assert(n.output:value() == 1, n.output:value())  -- 9 % 4

        -- a non-numeric string stores Lua's conversion, 0, and marks nothing
        n.input1:setValue("many")
        assert(n.input1:value() == 0 and n.output:value() == 1)

        -- string ports: booleans as words, nil as empty, numbers as Lua writes them
        n.operation:setValue(true, true);  assert(n.operation:value() == "true")
        n.operation:setValue(false, true); assert(n.operation:value() == "false")
        n.operation:setValue(nil, true);   assert(n.operation:value() == "")
        n.operation:setValue(1.5, true);   assert(n.operation:value() == "1.5")
        n.operation:setValue(print, true); assert(n.operation:value() == "")
        assert(n.output:value() == 0)  -- "" is no operation

        -- colour ports read as nil
        assert(space:createNode(scenegraph.colorNode).output:value() == nil)

        -- integer and boolean attribute nodes
        local i = scenegraph.attributeNode.new(scenegraph.INTEGER)
        i.value:setValue(-3.9, true); assert(i.value:value() == -3)
        i.value:setValue(1e30, true); assert(i.value:value() == 2147483647)
        local b = scenegraph.attributeNode.new(scenegraph.BOOLEAN)
        b.value:setValue(0, true);   assert(b.value:value() == true)  -- Lua truth
        b.value:setValue(nil, true); assert(b.value:value() == false)

        -- compute runs even when nothing is dirty
        n.operation:setValue("+", true)
        n.input1:setValue(5)
        n:compute()
        assert(n.output:value() == 9)

        -- a port handle as the value connects, whatever the notify flag
        local a = space:createNode(scenegraph.arithmeticNode)
        local b = space:createNode(scenegraph.arithmeticNode)
        a.input1:setValue(5, true)
        b.input1:setValue(a.output, false)
        b.input2:setValue(1, true)
        assert(b.output:value() == 6)
        a.input2:setValue(10, true)
        assert(b.output:value() == 16)
        -- ports may be connected to themselves only to be refused, never to hang
        b.input2:setValue(b.input2, true)
        assert(b.input2:value() == 1)
        b.input2:setValue(b.output, true)   -- fed from its own output: allowed, and ends
        assert(b.output:value() == 16)       -- connecting marks nothing
        a.input1:setValue(0, true)
        assert(b.output:value() == 10 + 16)  -- a.output + the stale b.output

        -- Attribute nodes carry script values and connect through getNode.
        local sg = scenegraph
        local score = sg.attributeNode.new(sg.NUMBER)
        sg.attributeNode.setValue(score, 40, true)
        assert(score.value:value() == 40)
        assert(score.colorTarget:value() == 40 and score.x:value() == 40)
        assert(score.anything == nil)  -- not a port name

        local attribute = { node = score }
        function attribute:getNode() return self.node end

        local n = space:createNode(sg.arithmeticNode)
        n.input2:setValue(2, true)
        n.input1:connectToAttribute(attribute)
        assert(n.output:value() == 42)
        sg.attributeNode.setValue(score, 50, true)
        assert(n.output:value() == 52)
        sg.attributeNode.setValue(score, 60)  -- no notify: stored, not seen yet
        assert(score.value:value() == 60 and n.output:value() == 52)

        local name = sg.attributeNode.new(sg.ASSETNAME)
        sg.attributeNode.setValue(name, "hero.png", true)
        assert(name.value:value() == "hero.png")
        name.value:setValue(true, true)  -- an asset name has no boolean form
        assert(name.value:value() == "")

        -- the connection keeps the attribute node alive after its handle goes
        score = nil
        attribute.node = nil
        collectgarbage("collect")
        collectgarbage("collect")
        assert(n.output:value() == 52)
        n.input2:setValue(3, true)
        assert(n.output:value() == 63)
    )"), "");
}

// Messages a game's own scripts have always printed on standard output.
TEST_F(ScenegraphModule, RefusalsPrintTheirLineAndChangeNothing)
{
    EXPECT_EQ(output(R"(
        traced = 0
        function logtrace() traced = traced + 1 end
        space:createNode(scenegraph.clearNode)
        space:removeNode(nil)
        assert(traced == 1)
        assert(space:countRenderNodes() == 1)
        logtrace = nil
        space:removeNode(42)
        space:createNode(scenegraph.clearNode).color:setValue("red", true)
        bad = scenegraph.attributeNode.new(scenegraph.COLOR)
        assert(bad.value:value() == nil)
        bad.value:setValue(1, true)
        scenegraph.attributeNode.setValue(bad, 1, true)
        local n = space:createNode(scenegraph.arithmeticNode)
        n.input1:connectToAttribute({ getNode = function() return bad end })
        n.input1:setValue(bad.value)
        assert(n.input1:value() == 0)
    )"), "Attempt to remove nil node\nAttempt to remove nil node\nSGPort:setValue unhandled type\n"
         "SGAttributeNode creation failed - unsupported type\nAttributeNode:setValue unhandled type\n");
}

// Misuse never raises: one line naming function and problem, the neutral answer, nothing changed.
TEST_F(ScenegraphModule, MisuseIsOneLineNamingTheFunctionAndChangesNothing)
{
    ASSERT_EQ(run(R"(
        n = space:createNode(scenegraph.arithmeticNode)
        n.input1:setValue(2, true)
        clear = space:createNode(scenegraph.clearNode)
        gone = space:createNode(scenegraph.clearNode)
        gonePort = gone.color
        space:removeNode(gone)
        dead = scenegraph.scene.new()
        deadSpace = dead:createSpace(scenegraph.space)
        dead:removeSpace(dead:createSpace(scenegraph.ortho2DSpace))
        dead:removeSpace(dead:defaultSpace())
        dead:renderWithInitialState(scene)
        dead:delete()
        dead:delete()  -- a second delete does nothing
        other = scene:createSpace(scenegraph.space)
    )"), "");
    // A new node in a dead one's memory: the old handles must not reach it.
    alignas(SGArithmeticNode) unsigned char memory[sizeof(SGArithmeticNode)];
    SGNode* first = new (memory) SGArithmeticNode();
    sg_pushNode(L, first);
    lua_setglobal(L, "reused");
    ASSERT_EQ(run("reusedPort = reused.input1"), "");
    first->~SGNode();
    SGNode* second = new (memory) SGArithmeticNode();
    const ScriptMisuseCase cases[] = {
        {"gone:compute()", "scenegraph.node.compute: the node no longer exists", ""},
        {"gone:getLayer()", "scenegraph.renderNode.getLayer: the node no longer exists", "0"},
        {"gone:setLayer(3)", "scenegraph.renderNode.setLayer: the node no longer exists", ""},
        {"gonePort:value()", "scenegraph.port.value: the node of port 'color' no longer exists", ""},
        {"n.input1:setValue(gonePort)", "scenegraph.port.setValue: the node of port 'color' no longer exists", ""},
        {"reused:compute()", "scenegraph.node.compute: the node no longer exists", ""},
        {"reusedPort:value()", "scenegraph.port.value: the node of port 'input1' no longer exists", ""},
        {"reused.input1:setValue(3)", "scenegraph.port.setValue: the node of port 'input1' no longer exists", ""},
        {"n.x:value()", "scenegraph.port.value: the node has no port 'x'", ""},
        {"n.input1.value({n.input1[1], 9999})", "scenegraph.port.value: the node has no port with id 9999", ""},
        {"n.colorTarget:setValue(1, true)", "scenegraph.port.setValue: the node has no port 'colorTarget'", ""},
        {"n.input1:connectToAttribute({ getNode = function() error('no node here', 0) end })",
         "scenegraph.port.connectToAttribute: getNode failed: no node here", ""},
        {"n.input1:connectToAttribute({ getNode = function() return space end })",
         "scenegraph.port.connectToAttribute: getNode answered a node that is not an attribute node", ""},
        {"dead:render()", "scenegraph.scene.render: the scene was deleted", ""},
        {"dead:createSpace(scenegraph.space)", "scenegraph.scene.createSpace: the scene was deleted", ""},
        {"deadSpace:countRenderNodes()", "scenegraph.space.countRenderNodes: the node no longer exists", "0"},
        {"deadSpace:createNode(scenegraph.clearNode)", "scenegraph.space.createNode: the node no longer exists", ""},
        {"space:createNode(2)", "SGSpace::createNode: 2 names no node class a space can create; nothing created", "nil"},
        {"space:createNode(scenegraph.ortho2DSpace)",
         "SGSpace::createNode: 128 names no node class a space can create; nothing created", "nil"},
        {"space.createNode()", "scenegraph.space.createNode: expected 2 arguments, got 0", ""},
        {"space.createNode(1, 2)", "scenegraph.space.createNode: expected a node, got number", ""},
        {"space.createNode(clear, 4)", "scenegraph.space.createNode: expected a space", ""},
        {"space.getLayer(scene)", "scenegraph.renderNode.getLayer: expected a node, got userdata", "0"},
        {"scenegraph.scene.render(space)", "scenegraph.scene.render: expected a scene, got userdata", ""},
        {"space.x.value({})", "scenegraph.port.value: expected a port, got a table that is not one", ""},
        {"space.x.setValue(7)", "scenegraph.port.setValue: expected a port, got number", ""},
        {"scenegraph.attributeNode.setValue(space, 1)", "scenegraph.attributeNode.setValue: expected an attribute node", ""},
    };
    for (const ScriptMisuseCase& c : cases)
        expectMisuseAnswered(L, c);
    // Every kind of node answers only its own ports.
    for (auto [kind, port] : {std::pair{"colorNode", "x"}, {"imageFlipNode", "x"}, {"replicatorSpace", "x"},
                              {"wrapSpace", "angle"}, {"spriteNode", "wrapX"}, {"particleSystemNode", "width"},
                              {"stringToImageNode", "x"}, {"soundListenerNode", "volume"}}) {
        const std::string call = std::string("other:createNode(scenegraph.") + kind + ")." + port + ":value()";
        const std::string line = std::string("scenegraph.port.value: the node has no port '") + port + "'";
        expectMisuseAnswered(L, {call.c_str(), line.c_str(), ""});
    }
    expectMisuseAnswered(L, {"scene:createSpace(scenegraph.ortho2DSpace).color:value()",
                             "scenegraph.port.value: the node has no port 'color'", ""});
    EXPECT_EQ(run(R"(
        assert(n.output:value() == 2 and n.input1:value() == 2)
        assert(space:countRenderNodes() == 1 and clear:getLayer() == 0)
    )"), "");
    second->~SGNode();
}
