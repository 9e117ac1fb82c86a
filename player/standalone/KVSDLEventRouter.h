// SDL's window events and input, each taken where it belongs: closing and
// quitting end the run; resizing, minimising, restoring and exposing reach
// the game view and the keyboard prompt; controller events go to the
// controller router; keys, the mouse, typed text, an input method's
// composition and pasting go to the prompt while it is shown, and to the
// game once it plays. F11 and Alt+Enter toggle full screen. Main thread only.
#pragma once

#include <SDL2/SDL.h>

#include <set>
#include <string>

#include "player/standalone/KVControllerRouter.h"
#include "player/standalone/KVSDLInputTranslator.h"

class KVGameWindow;
class KVKeyboardInputSupport;
class KVKeyboardInputViewController;
class KVSDLGameWindow;
class KVThreadedGameView;

class KVSDLEventRouter {
public:
    // What the router asks of the application.
    class Client {
    public:
        virtual ~Client() = default;
        virtual KVGameWindow* window() const = 0;
        virtual KVThreadedGameView* gameView() const = 0;
        // Input and window changes reach the game view only while it plays.
        virtual bool isPlaying() const = 0;
        // The prompt's owner, once the game is loaded; null before.
        virtual KVKeyboardInputSupport* keyboardInputSupport() const = 0;
        virtual void windowWillClose() = 0;
        virtual void toggleFullScreen() = 0;
    };

    explicit KVSDLEventRouter(Client& client) : client_(client) {}

    // Game controllers, when their subsystem is up: the game's mapping, and
    // the window whose pointer follows theirs (null offscreen).
    void startControllers(const std::string& bundleName, KVSDLGameWindow* window);
    const KVControllerRouter& controllers() const { return controllers_; }
    // Where controller input goes; null while the game does not play.
    void setControllerGameView(KVGameView* view) { controllers_.setGameView(view); }

    void handleEvent(const SDL_Event& event);
    // Once a main-loop pass: the controllers' pointer, and the shown
    // prompt's text-input area.
    void update(double now);
    // The keyboard prompt, when it is shown; null otherwise.
    KVKeyboardInputViewController* shownPrompt() const;

private:
    void windowEvent(const SDL_WindowEvent& event);
    void keyEvent(const SDL_Event& event);
    // Input while the prompt is shown; true when the prompt took it.
    bool promptEvent(const SDL_Event& event);

    Client& client_;
    KVSDLInputTranslator translator_;
    KVControllerRouter controllers_;
    std::set<int> playerKeysDown_;  // scancodes of presses the player kept for itself
    bool pausedByMinimise_ = false;
    bool promptAreaPlaced_ = false;  // the shown prompt has its text-input area
};
