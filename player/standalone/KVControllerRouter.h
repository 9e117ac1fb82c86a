// Game controllers (SDL's game-controller interface, hot-plugged, any
// number) turned into the keyboard and mouse input games were made for.
// Each input becomes what its mapping names, through the game view's own
// key and mouse entry points, so the game sees exactly what that key or
// mouse gives: a key is pressed once however many inputs hold it, a stick
// past its threshold presses once and releases once, and the right stick
// (by default) moves a pointer of its own over the view.
//
// While the keyboard prompt is shown the controller types into it instead:
// the D-pad moves over its character grid, A types, X deletes, Start
// confirms and B cancels. Main thread only.
#pragma once

#include <SDL2/SDL.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "player/common/KVViewGeometry.h"
#include "player/standalone/KVControllerMapping.h"

class KVGameView;
class KVKeyboardInputViewController;

class KVControllerRouter {
public:
    // Deflection (of 32767) inside which a stick counts as centred, and past
    // which a stick direction or a trigger presses.
    static constexpr int DeadZone = 8000;
    static constexpr int PressThreshold = 16000;
    // Pointer speed at full deflection, in view widths per second.
    static constexpr double PointerSpeed = 1.0;

    KVControllerRouter() = default;
    ~KVControllerRouter();
    KVControllerRouter(const KVControllerRouter&) = delete;
    KVControllerRouter& operator=(const KVControllerRouter&) = delete;

    void setMapping(KVControllerMapping mapping) { mapping_ = std::move(mapping); }
    // Where input goes once the game plays; null while it does not.
    void setGameView(KVGameView* view) { view_ = view; }
    // The prompt, when it is shown; null otherwise.
    void setPromptSource(std::function<KVKeyboardInputViewController*()> source) { prompt_ = std::move(source); }
    // The window whose system pointer follows the controller's, if any.
    void setWindow(SDL_Window* window) { window_ = window; }

    // Takes controller events (devices come and go at any time; input
    // reaches the game only with a game view) and notes where the real
    // mouse is. True when the event was the router's own: a controller
    // event, or the echo of its moving the system pointer.
    bool handleEvent(const SDL_Event& event);
    // Moves the pointer for the sticks that drive it; once a main-loop pass.
    void update(double now);

    bool hasControllers() const { return !pads_.empty(); }
    // The modifier keys the controllers hold, as a Cocoa-style mask.
    uint64_t modifierFlags() const;

private:
    struct Pad {
        SDL_GameController* controller = nullptr;
        Sint16 axes[SDL_CONTROLLER_AXIS_MAX] = {};
    };
    // One pressed input of one controller, and what its press did.
    struct Press {
        KVControllerMapping::Action action;
        bool toGame = false;  // false: the prompt took it
        uint32_t character = 0;
    };
    using PressKey = std::pair<SDL_JoystickID, int>;

    void deviceAdded(int deviceIndex);
    void deviceRemoved(SDL_JoystickID id);
    void axisMoved(SDL_JoystickID id, SDL_GameControllerAxis axis, Sint16 value);
    void press(SDL_JoystickID id, int input, const KVControllerMapping::Action& action,
               std::optional<SDL_GameControllerButton> button);
    void release(SDL_JoystickID id, int input);
    void promptButton(KVKeyboardInputViewController& prompt, SDL_GameControllerButton button);
    // Counts the presses holding a key or mouse button; true when the
    // first press or the last release changes it. A press stores the
    // character its key gives, a release reads it back.
    bool hold(const std::string& target, bool down, uint32_t* character);
    uint16_t sdlModifiers() const;
    void postModifiers();
    KVKeyboardInputViewController* shownPrompt() const;
    // In whole window points; the view's centre until a mouse or stick moved it.
    KVPoint pointer();

    KVControllerMapping mapping_;
    KVGameView* view_ = nullptr;
    std::function<KVKeyboardInputViewController*()> prompt_;
    SDL_Window* window_ = nullptr;

    std::map<SDL_JoystickID, Pad> pads_;
    std::map<PressKey, Press> presses_;
    struct Held {
        int count = 0;
        uint32_t character = 0;
    };
    std::map<std::string, Held> held_;
    KVPoint pointer_;  // window points from the top left
    bool pointerPlaced_ = false;
    std::vector<std::pair<int, int>> pendingWarps_;
    double lastUpdate_ = -1;
};
