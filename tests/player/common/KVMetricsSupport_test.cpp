// The analytics hook is there for scripts to call, and does nothing.
#include <gtest/gtest.h>

#include "engine/host/KVExternalFunctionTable.h"
#include "player/common/KVGameView.h"
#include "player/common/KVMetricsSupport.h"
#include "player/common/KVOffscreenGameWindow.h"
#include "tests/player/common/PlayerTestSupport.h"

namespace {

TEST(KVMetricsSupport, TrackSceneChangeIsRegisteredAndReturnsNothing)
{
    TempDir dir;
    std::string error;
    auto window = KVOffscreenGameWindow::create(64, 64, &error);
    ASSERT_TRUE(window) << error;
    Ref<KVLuaState> state = makeLoggingState(dir);
    ASSERT_TRUE(state);
    KVGameView view(*window);
    view.setLuaState(state.get());
    Ref<KVMetricsSupport> metrics = KVMetricsSupport::create(&view);
    EXPECT_TRUE(KVExternalFunctionTable::externalFunctionTableForState(state->state())->hasFunction("TrackSceneChange"));
    EXPECT_EQ(state->evaluateExpression(
                  "select('#', callbacks.callExternalFunction('TrackSceneChange', 'menu', 'level'))"),
              "0");
    testing::internal::CaptureStdout();
    state = nullptr;
    testing::internal::GetCapturedStdout();
}

}  // namespace
