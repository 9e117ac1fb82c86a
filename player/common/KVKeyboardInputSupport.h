// The text prompt offered to the engine script as the external function
// "KeyboardInput" (prompt, initial value, number-pad flag). The prompt
// covers the game, which pauses while it is shown; the answer reaches the
// script later as the external event "keyboardInputEntered" with the typed
// text as its one string.
#pragma once

#include <memory>
#include <string>

#include "platform/objects/KVObject.h"

class KVGameWindow;
class KVKeyboardInputViewController;
class KVThreadedGameView;

class KVKeyboardInputSupport : public KVObject {
public:
    static constexpr const char* FunctionName = "KeyboardInput";
    static constexpr const char* Selector = "keyboardInput:forPrompt:withInitialValue:displayNumberPad:";
    static constexpr const char* EventName = "keyboardInputEntered";

    // Registers "KeyboardInput" for the game view's Lua state, with the view
    // as context, and draws the prompt over the view's frames. The display
    // view is the window whose size the prompt takes.
    static Ref<KVKeyboardInputSupport> create(KVThreadedGameView* gameView, KVGameWindow* displayView);

    KVClass* objClass() const override;

    KVThreadedGameView* gameView() const { return gameView_; }
    KVGameWindow* displayView() const { return displayView_; }
    KVKeyboardInputViewController& keyboardInputViewController() const { return *controller_; }
    bool isShowingPrompt() const;

    // The external function, inside the script's call. While the game does
    // not play it answers at once with the empty string; otherwise it shows
    // the prompt (waiting for the main thread) and pauses the game.
    void keyboardInput(const std::string& prompt, const std::string& initialValue, bool numberPad);
    // The controller's confirmation, on the main thread: takes the prompt
    // away, answers on the render thread and plays the game again.
    void keyboardInputDidFinish(KVKeyboardInputViewController& controller, const std::string& text);
    // Raises "keyboardInputEntered" with the text. The caller must have the
    // use of the Lua state (inside the script's call, or holding its lock).
    void returnKeyboardText(const std::string& text);

private:
    KVKeyboardInputSupport(KVThreadedGameView* gameView, KVGameWindow* displayView);
    void answerWithStateLock(const std::string& text);

    KVThreadedGameView* gameView_;
    KVGameWindow* displayView_;
    std::shared_ptr<KVKeyboardInputViewController> controller_;
};
