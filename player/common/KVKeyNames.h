// The key names the engine script receives, and the modifier-key algorithm
// over a Cocoa-style modifier mask.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Modifier mask bits, as the Mac reports them.
constexpr uint64_t KVCapsLockModifierMask = 0x10000;
constexpr uint64_t KVShiftModifierMask = 0x20000;
constexpr uint64_t KVControlModifierMask = 0x40000;
constexpr uint64_t KVAlternateModifierMask = 0x80000;
constexpr uint64_t KVCommandModifierMask = 0x100000;
// Device bits telling the two shift keys apart.
constexpr uint64_t KVLeftShiftModifierKeyMask = 2;
constexpr uint64_t KVRightShiftModifierKeyMask = 4;

// Function-key characters (the Mac's private-use codes for keys that type
// nothing printable).
constexpr uint32_t KVUpArrowFunctionKey = 0xF700;
constexpr uint32_t KVDownArrowFunctionKey = 0xF701;
constexpr uint32_t KVLeftArrowFunctionKey = 0xF702;
constexpr uint32_t KVRightArrowFunctionKey = 0xF703;
constexpr uint32_t KVF1FunctionKey = 0xF704;  // F1 .. F35 follow in order
constexpr uint32_t KVInsertFunctionKey = 0xF727;
constexpr uint32_t KVDeleteFunctionKey = 0xF728;
constexpr uint32_t KVHomeFunctionKey = 0xF729;
constexpr uint32_t KVEndFunctionKey = 0xF72B;
constexpr uint32_t KVPageUpFunctionKey = 0xF72C;
constexpr uint32_t KVPageDownFunctionKey = 0xF72D;
constexpr uint32_t KVPrintScreenFunctionKey = 0xF72E;
constexpr uint32_t KVScrollLockFunctionKey = 0xF72F;
constexpr uint32_t KVPauseFunctionKey = 0xF730;
constexpr uint32_t KVMenuFunctionKey = 0xF735;
constexpr uint32_t KVHelpFunctionKey = 0xF746;
constexpr uint32_t KVEnterCharacter = 3;  // the keypad's Enter

constexpr const char* KVKeyDownFunction = "keyDown";
constexpr const char* KVKeyUpFunction = "keyUp";

class KVKeyNames {
public:
    // The name for the first UTF-16 unit of a key's characters: "tab",
    // "return", "esc", "space", "delete", the arrows, else the character
    // itself (UTF-8). 0 means the key typed nothing: the name is empty.
    static std::string nameForCharacter(uint32_t character);

    // The characters of UTF-8 text as a keyboard types them: the first
    // UTF-16 unit of each code point (the high surrogate beyond the basic
    // plane). Broken sequences end the text.
    static std::vector<uint32_t> typedCharacters(const std::string& utf8);

    struct Transition {
        const char* function;  // KVKeyDownFunction or KVKeyUpFunction
        const char* name;
    };
    // What a change of the modifier mask posts, in the order caps lock,
    // right shift, left shift, ctrl, alt, cmd. Caps lock posts "keyDown"
    // when the lock turns on and "keyUp" when it turns off.
    static std::vector<Transition> modifierTransitions(uint64_t previous, uint64_t current);
};
