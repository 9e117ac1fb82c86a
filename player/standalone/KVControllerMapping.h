// What each game-controller input stands for: a keyboard key, a mouse
// button, the mouse pointer (a stick), or nothing. The defaults suit games
// made for arrows, space and the mouse; mapping files change them with
// lines "input = action" ("a = key space", "rightstick = mouse",
// "righttrigger = mousebutton left", "dpup = key w").
#pragma once

#include <SDL2/SDL.h>

#include <cstdint>
#include <string>
#include <vector>

class KVControllerMapping {
public:
    static constexpr const char* DefaultFileName = "default.controller";
    static constexpr const char* FileExtension = ".controller";

    struct Action {
        enum class Kind { None, Key, Modifier, MouseButton, Pointer, DirectionKeys };
        Kind kind = Kind::None;
        SDL_Keycode key = 0;        // Key: the key as a keyboard reports it
        uint64_t modifierMask = 0;  // Modifier: its bits of the Cocoa-style mask
        uint16_t sdlModifier = 0;   // Modifier: the same key as SDL's modifier state
        uint8_t mouseButton = 0;    // MouseButton: SDL_BUTTON_LEFT or SDL_BUTTON_RIGHT
    };

    enum Direction { Up, Down, Left, Right };

    // Arrows from the D-pad and the left stick, the right stick moving the
    // pointer, A space, B escape, X return, Y tab, Start return, Back escape,
    // right trigger the left mouse button, left trigger the right one.
    KVControllerMapping();

    const Action& button(SDL_GameControllerButton button) const;
    // SDL_CONTROLLER_AXIS_TRIGGERLEFT or SDL_CONTROLLER_AXIS_TRIGGERRIGHT.
    const Action& trigger(SDL_GameControllerAxis axis) const;
    // Stick 0 is the left one, 1 the right one: Pointer, DirectionKeys or None.
    const Action& stick(int stick) const;
    // The key (or button) a stick sends for a direction while it sends keys.
    const Action& stickDirection(int stick, Direction direction) const;

    // Applies the lines of a mapping file in order, the last line for an
    // input winning. A direction line makes its stick send keys. A bad line
    // is named on standard error with its source and line number, and
    // skipped; answers how many were bad.
    int apply(const std::string& text, const std::string& source);
    // Applies the file when it exists; one line on standard error when it
    // exists but cannot be read.
    void applyFile(const std::string& path);
    // The defaults, then "default.controller", then "<gameName>.controller"
    // from the folder.
    static KVControllerMapping load(const std::string& folder, const std::string& gameName);

    // The input names and the actions and key names a line may use.
    static std::string help();

private:
    std::vector<Action> actions_;
};
