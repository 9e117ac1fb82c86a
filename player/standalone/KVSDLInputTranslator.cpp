#include "player/standalone/KVSDLInputTranslator.h"

#include <cctype>

#include "player/common/KVKeyNames.h"

namespace {

// Keys that give a fixed character whatever they would type.
uint32_t fixedCharacter(SDL_Keycode key)
{
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return KVF1FunctionKey + static_cast<uint32_t>(key - SDLK_F1);
    if (key >= SDLK_F13 && key <= SDLK_F24)
        return KVF1FunctionKey + 12 + static_cast<uint32_t>(key - SDLK_F13);
    switch (key) {
    case SDLK_RETURN: return 13;
    case SDLK_RETURN2: return 13;
    case SDLK_KP_ENTER: return KVEnterCharacter;
    case SDLK_TAB: return 9;
    case SDLK_SPACE: return 32;
    case SDLK_ESCAPE: return 27;
    case SDLK_BACKSPACE: return 127;
    case SDLK_DELETE: return KVDeleteFunctionKey;
    case SDLK_UP: return KVUpArrowFunctionKey;
    case SDLK_DOWN: return KVDownArrowFunctionKey;
    case SDLK_LEFT: return KVLeftArrowFunctionKey;
    case SDLK_RIGHT: return KVRightArrowFunctionKey;
    case SDLK_INSERT: return KVInsertFunctionKey;
    case SDLK_HOME: return KVHomeFunctionKey;
    case SDLK_END: return KVEndFunctionKey;
    case SDLK_PAGEUP: return KVPageUpFunctionKey;
    case SDLK_PAGEDOWN: return KVPageDownFunctionKey;
    case SDLK_PRINTSCREEN: return KVPrintScreenFunctionKey;
    case SDLK_SCROLLLOCK: return KVScrollLockFunctionKey;
    case SDLK_PAUSE: return KVPauseFunctionKey;
    case SDLK_APPLICATION: return KVMenuFunctionKey;
    case SDLK_MENU: return KVMenuFunctionKey;
    case SDLK_HELP: return KVHelpFunctionKey;
    default: return 0;
    }
}

bool isPrintableKey(SDL_Keycode key)
{
    return key >= 32 && key != 127 && !(key & SDLK_SCANCODE_MASK) && key < 0x110000;
}

}  // namespace

uint64_t KVSDLInputTranslator::modifierFlags(uint16_t mod)
{
    uint64_t flags = 0;
    if (mod & KMOD_CAPS)
        flags |= KVCapsLockModifierMask;
    if (mod & KMOD_LSHIFT)
        flags |= KVShiftModifierMask | KVLeftShiftModifierKeyMask;
    if (mod & KMOD_RSHIFT)
        flags |= KVShiftModifierMask | KVRightShiftModifierKeyMask;
    if (mod & KMOD_CTRL)
        flags |= KVControlModifierMask;
    if (mod & KMOD_ALT)
        flags |= KVAlternateModifierMask;
    if (mod & KMOD_GUI)
        flags |= KVCommandModifierMask;
    return flags;
}

bool KVSDLInputTranslator::isModifierKey(SDL_Scancode scancode)
{
    switch (scancode) {
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT:
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL:
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT:
    case SDL_SCANCODE_LGUI:
    case SDL_SCANCODE_RGUI:
    case SDL_SCANCODE_CAPSLOCK:
        return true;
    default:
        return false;
    }
}

uint32_t KVSDLInputTranslator::characterForKey(SDL_Keycode key, uint16_t mod)
{
    if (uint32_t c = fixedCharacter(key))
        return c;
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9)
        return (mod & KMOD_NUM) ? '1' + static_cast<uint32_t>(key - SDLK_KP_1) : 0;
    if (key == SDLK_KP_0)
        return (mod & KMOD_NUM) ? '0' : 0;
    if (!isPrintableKey(key))
        return 0;
    uint32_t c = static_cast<uint32_t>(key);
    if (c < 128 && std::isalpha(static_cast<int>(c))) {
        if (mod & KMOD_CTRL)
            return c & 0x1F;
        const bool shift = (mod & KMOD_SHIFT) != 0;
        const bool caps = (mod & KMOD_CAPS) != 0;
        c = (shift != caps) ? static_cast<uint32_t>(std::toupper(static_cast<int>(c))) : c;
    }
    return c > 0xFFFF ? 0 : c;
}

uint32_t KVSDLInputTranslator::firstUTF16Unit(const char* text)
{
    if (!text)
        return 0;
    const std::vector<uint32_t> characters = KVKeyNames::typedCharacters(text);
    return characters.empty() ? 0 : characters.front();
}

KVKeyEvent KVSDLInputTranslator::keyDown(const SDL_KeyboardEvent& event, const char* typedText)
{
    KVKeyEvent result;
    result.isRepeat = event.repeat != 0;
    result.isEscape = event.keysym.scancode == SDL_SCANCODE_ESCAPE;
    const SDL_Keycode key = event.keysym.sym;
    const uint16_t mod = event.keysym.mod;
    if (uint32_t c = fixedCharacter(key)) {
        result.character = c;
    } else if (typedText && *typedText) {
        result.character = firstUTF16Unit(typedText);
    } else if (isPrintableKey(key) && !(mod & (KMOD_CTRL | KMOD_ALT | KMOD_GUI))) {
        result.character = 0;  // a dead key: it typed nothing yet
    } else {
        result.character = characterForKey(key, mod);
    }
    if (!result.isRepeat)
        pressed_[event.keysym.scancode] = result.character;
    return result;
}

KVKeyEvent KVSDLInputTranslator::keyUp(const SDL_KeyboardEvent& event)
{
    KVKeyEvent result;
    result.isEscape = event.keysym.scancode == SDL_SCANCODE_ESCAPE;
    auto it = pressed_.find(event.keysym.scancode);
    if (it != pressed_.end()) {
        result.character = it->second;
        pressed_.erase(it);
    } else {
        result.character = characterForKey(event.keysym.sym, event.keysym.mod);
    }
    return result;
}
