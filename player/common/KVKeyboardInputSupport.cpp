#include "player/common/KVKeyboardInputSupport.h"

#include "engine/host/KVEngine.h"
#include "platform/objects/KVClassRegistry.h"
#include "platform/objects/KVInvocation.h"
#include "platform/objects/KVLogLine.h"
#include "platform/objects/KVString.h"
#include "platform/runloop/KVThreadWait.h"
#include "player/common/KVKeyboardInputViewController.h"
#include "player/common/KVLuaState.h"
#include "player/common/KVThreadedGameView.h"

namespace {

std::string stringArgument(const KVInvocation& invocation, size_t index)
{
    auto* string = dynamic_cast<KVString*>(invocation.objectArgument(index));
    return string ? string->utf8() : std::string();
}

KVClass* defineClass()
{
    auto& registry = KVClassRegistry::shared();
    KVClass* cls = registry.defineClass("KVKeyboardInputSupport", registry.lookup("NSObject"));
    cls->addInstanceMethod(KVKeyboardInputSupport::Selector, "v@:^v@@c", [](KVInvocation& inv) {
        inv.targetAs<KVKeyboardInputSupport>()->keyboardInput(stringArgument(inv, 3), stringArgument(inv, 4),
                                                               inv.boolArgument(5));
    });
    return cls;
}

}  // namespace

KVKeyboardInputSupport::KVKeyboardInputSupport(KVThreadedGameView* gameView, KVGameWindow* displayView)
    : gameView_(gameView), displayView_(displayView), controller_(std::make_shared<KVKeyboardInputViewController>())
{
    controller_->setDelegate(this);
    controller_->setDisplayView(displayView);
    controller_->setOnChange([gameView] { gameView->setNeedsOverlayDisplay(); });
}

Ref<KVKeyboardInputSupport> KVKeyboardInputSupport::create(KVThreadedGameView* gameView, KVGameWindow* displayView)
{
    Ref<KVKeyboardInputSupport> support = Ref<KVKeyboardInputSupport>::adopt(
        new KVKeyboardInputSupport(gameView, displayView));
    if (KVLuaState* state = gameView->luaState())
        state->registerExternalFunction(support.get(), gameView, Selector, FunctionName);
    // The view keeps the support (and so its prompt) while it draws it.
    gameView->setOverlay([support](KVSize drawable) { return support->controller_->draw(drawable); });
    return support;
}

KVClass* KVKeyboardInputSupport::objClass() const
{
    static KVClass* cls = defineClass();
    return cls;
}

bool KVKeyboardInputSupport::isShowingPrompt() const
{
    return controller_->isShown();
}

void KVKeyboardInputSupport::keyboardInput(const std::string& prompt, const std::string& initialValue, bool)
{
    // A game that does not play cannot show the prompt; it gets its answer
    // at once, still inside its own call.
    if (!gameView_->animating()) {
        returnKeyboardText("");
        return;
    }
    // Texts and the pause come before the prompt shows: a confirmation on
    // the main thread can follow at once, and its answer and play request
    // must reach the render thread after the pause.
    controller_->setPrompt(prompt);
    controller_->setInitialValue(initialValue);
    // No frame may come between the script's call and the pause (which
    // waits in the queue behind the call): the game draws its next frame
    // after the answer, whether what asked came between frames (a window)
    // or at the start of one (scripted input).
    if (KVRunLoopThread* thread = gameView_->thread(); thread && thread->isCurrent())
        gameView_->stopAnimation();
    gameView_->pauseWaitUntilDone(false, false);
    KVThreadWait::performOnMainThreadAndWait([this] { controller_->addToDisplayView(); });
    controller_->viewWillAppear();
}

void KVKeyboardInputSupport::keyboardInputDidFinish(KVKeyboardInputViewController& controller,
                                                    const std::string& text)
{
    controller.removeFromDisplayView();
    // The render thread may be running the script: the answer is queued
    // there, ahead of the play request, and takes the state lock itself.
    Ref<KVKeyboardInputSupport> self(this);
    if (!gameView_->performOnRenderThread([self, text] { self->answerWithStateLock(text); }, false))
        answerWithStateLock(text);
    gameView_->playWaitUntilDone(false);
}

void KVKeyboardInputSupport::answerWithStateLock(const std::string& text)
{
    KVLuaState* state = gameView_->luaState();
    if (!state || !state->S())
        return;
    KVLuaState::StateLock lock(*state);
    returnKeyboardText(text);
}

void KVKeyboardInputSupport::returnKeyboardText(const std::string& text)
{
    KVLuaState* state = gameView_->luaState();
    if (!state || !state->S())
        return;
    const char* strings[] = {text.c_str()};
    KV_RaiseExternalEvent(state->S(), EventName, strings, 1);
}
