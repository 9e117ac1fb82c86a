// The analytics hooks the engine script calls. Analytics are not part of
// this player: "TrackSceneChange" is registered so scripts that report
// their scene changes find it, and it records nothing.
#pragma once

#include "platform/objects/KVObject.h"

class KVGameView;

class KVMetricsSupport : public KVObject {
public:
    static constexpr const char* TrackSceneChangeFunction = "TrackSceneChange";
    static constexpr const char* TrackSceneChangeSelector = "trackSceneChange:from:to:";

    // Registers the hooks for the game view's Lua state.
    static Ref<KVMetricsSupport> create(KVGameView* gameView);

    KVClass* objClass() const override;

private:
    KVMetricsSupport() = default;
};
