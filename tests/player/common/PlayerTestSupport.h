// Shared by the game view and Lua state tests: an engine script that logs
// what the shell calls into a table, and native helpers that block or wait.
#pragma once

#include <future>
#include <string>

#include "engine/host/kv_lua.h"
#include "player/common/KVLuaState.h"
#include "tests/support/TempDir.h"

// Logs every call of the shell into the global table `log`.
inline const char* kLoggingEngineScript = R"(
log = {}
function add(s) log[#log + 1] = s end
function play() add("play") end
function stop() add("stop") end
function systemInitiatedPause() add("system pause") end
function behaviorInitiatedPause() add("pause") end
function update(dt) add("update") if onUpdate then onUpdate() end end
function render() add("render") end
function keyDown(k) if k == "bad" then error("no such key") end add("keyDown " .. k) end
function keyUp(k) add("keyUp " .. k) end
function mouseDown(x, y) add(string.format("mouseDown %g %g", x, y)) end
function mouseUp(x, y) add(string.format("mouseUp %g %g", x, y)) end
function mouseMoved(x, y) add(string.format("mouseMoved %g %g", x, y)) end
function shutdownEngine() print("shutdownEngine") end
game = {attributes = {displaySize = {width = {_value = 480}, height = {_value = 320}}}}
devices = {setScreenSize = function(self, w, h) add("screen " .. w .. "x" .. h) end}
)";

inline Ref<KVLuaState> makeLoggingState(const TempDir& dir, const std::string& extra = "")
{
    const std::string engine = dir.file("engine64.luo");
    writeFile(engine, std::string(kLoggingEngineScript) + extra);
    return KVLuaState::create(engine, "");
}

inline std::string scriptLog(KVLuaState& state)
{
    return state.evaluateExpression("table.concat(log, ', ')");
}

// A gate native code blocks on until the test opens it.
struct Gate {
    std::promise<void> entered, opened;
    std::shared_future<void> isOpen = opened.get_future().share();
    void enterAndWait()
    {
        entered.set_value();
        isOpen.wait();
    }
};
