// SDL keyboard events as the Mac reports keys: the character a key typed
// (shift and caps lock applied), function-key characters for keys that type
// nothing printable, and a Cocoa-style modifier mask.
#pragma once

#include <SDL2/SDL.h>

#include <cstdint>
#include <map>

#include "player/common/KVGameView.h"

class KVSDLInputTranslator {
public:
    // The Cocoa modifier mask for SDL's modifier state: caps lock, shift
    // with the device bit of each shift key, ctrl, alt, and Super as cmd.
    static uint64_t modifierFlags(uint16_t sdlModifiers);
    // Shift, ctrl, alt, Super and caps lock report through flagsChanged.
    static bool isModifierKey(SDL_Scancode scancode);
    // The character a key gives without text input: the Mac's function-key
    // codes, control characters, and for printable keys the key's own
    // character with shift and caps lock applied (ctrl gives the control
    // character of a letter). 0: the key gives nothing.
    static uint32_t characterForKey(SDL_Keycode key, uint16_t sdlModifiers);
    // The first UTF-16 unit of UTF-8 text; 0 for empty or broken text.
    static uint32_t firstUTF16Unit(const char* utf8);

    // A key press. typedText is the text input SDL produced for this very
    // press, or null. A printable key that typed nothing while no ctrl, alt
    // or Super is held was a dead key: it gives character 0.
    KVKeyEvent keyDown(const SDL_KeyboardEvent& event, const char* typedText);
    // A release gives the character its press gave.
    KVKeyEvent keyUp(const SDL_KeyboardEvent& event);

private:
    std::map<SDL_Scancode, uint32_t> pressed_;
};
