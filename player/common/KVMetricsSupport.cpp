#include "player/common/KVMetricsSupport.h"

#include "platform/objects/KVClassRegistry.h"
#include "platform/objects/KVInvocation.h"
#include "player/common/KVGameView.h"
#include "player/common/KVLuaState.h"

Ref<KVMetricsSupport> KVMetricsSupport::create(KVGameView* gameView)
{
    Ref<KVMetricsSupport> support = Ref<KVMetricsSupport>::adopt(new KVMetricsSupport());
    if (KVLuaState* state = gameView->luaState())
        state->registerExternalFunction(support.get(), gameView, TrackSceneChangeSelector, TrackSceneChangeFunction);
    return support;
}

KVClass* KVMetricsSupport::objClass() const
{
    static KVClass* cls = [] {
        auto& registry = KVClassRegistry::shared();
        KVClass* defined = registry.defineClass("KVMetricsSupport", registry.lookup("NSObject"));
        defined->addInstanceMethod(TrackSceneChangeSelector, "v@:^v@@", [](KVInvocation&) {});
        return defined;
    }();
    return cls;
}
