// SDL keyboard events turned into what the Mac reports.
#include <gtest/gtest.h>

#include "player/common/KVKeyNames.h"
#include "player/standalone/KVSDLInputTranslator.h"

namespace {

SDL_KeyboardEvent key(SDL_Scancode scancode, SDL_Keycode sym, uint16_t mod = 0, bool repeat = false)
{
    SDL_KeyboardEvent e{};
    e.type = SDL_KEYDOWN;
    e.keysym.scancode = scancode;
    e.keysym.sym = sym;
    e.keysym.mod = mod;
    e.repeat = repeat ? 1 : 0;
    return e;
}

TEST(KVSDLInputTranslator, ModifierStateBecomesACocoaMask)
{
    EXPECT_EQ(KVSDLInputTranslator::modifierFlags(0), 0u);
    EXPECT_EQ(KVSDLInputTranslator::modifierFlags(KMOD_LSHIFT), 0x20002u);
    EXPECT_EQ(KVSDLInputTranslator::modifierFlags(KMOD_RSHIFT), 0x20004u);
    EXPECT_EQ(KVSDLInputTranslator::modifierFlags(KMOD_LSHIFT | KMOD_RSHIFT), 0x20006u);
    EXPECT_EQ(KVSDLInputTranslator::modifierFlags(KMOD_CAPS), 0x10000u);
    EXPECT_EQ(KVSDLInputTranslator::modifierFlags(KMOD_RCTRL), 0x40000u);
    EXPECT_EQ(KVSDLInputTranslator::modifierFlags(KMOD_LALT), 0x80000u);
    EXPECT_EQ(KVSDLInputTranslator::modifierFlags(KMOD_RGUI), 0x100000u);
    // Num lock plays no part.
    EXPECT_EQ(KVSDLInputTranslator::modifierFlags(KMOD_NUM), 0u);
    EXPECT_TRUE(KVSDLInputTranslator::isModifierKey(SDL_SCANCODE_RSHIFT));
    EXPECT_TRUE(KVSDLInputTranslator::isModifierKey(SDL_SCANCODE_CAPSLOCK));
    EXPECT_FALSE(KVSDLInputTranslator::isModifierKey(SDL_SCANCODE_A));
}

TEST(KVSDLInputTranslator, KeysWithoutTextGiveTheMacsCharacters)
{
    EXPECT_EQ(KVSDLInputTranslator::characterForKey(SDLK_F1, 0), KVF1FunctionKey);
    EXPECT_EQ(KVSDLInputTranslator::characterForKey(SDLK_F12, 0), KVF1FunctionKey + 11);
    EXPECT_EQ(KVSDLInputTranslator::characterForKey(SDLK_F13, 0), KVF1FunctionKey + 12);
    EXPECT_EQ(KVSDLInputTranslator::characterForKey(SDLK_HOME, 0), KVHomeFunctionKey);
    EXPECT_EQ(KVSDLInputTranslator::characterForKey(SDLK_PAGEDOWN, 0), KVPageDownFunctionKey);
    EXPECT_EQ(KVSDLInputTranslator::characterForKey(SDLK_DELETE, 0), KVDeleteFunctionKey);
    EXPECT_EQ(KVSDLInputTranslator::characterForKey(SDLK_BACKSPACE, 0), 127u);
    EXPECT_EQ(KVSDLInputTranslator::characterForKey(SDLK_RETURN, 0), 13u);
    EXPECT_EQ(KVSDLInputTranslator::characterForKey(SDLK_KP_ENTER, 0), KVEnterCharacter);
    EXPECT_EQ(KVSDLInputTranslator::characterForKey(SDLK_LEFT, 0), KVLeftArrowFunctionKey);
    // Letters: shift and caps lock cancel out; ctrl gives the control code.
    EXPECT_EQ(KVSDLInputTranslator::characterForKey(SDLK_a, 0), static_cast<uint32_t>('a'));
    EXPECT_EQ(KVSDLInputTranslator::characterForKey(SDLK_a, KMOD_LSHIFT), static_cast<uint32_t>('A'));
    EXPECT_EQ(KVSDLInputTranslator::characterForKey(SDLK_a, KMOD_CAPS), static_cast<uint32_t>('A'));
    EXPECT_EQ(KVSDLInputTranslator::characterForKey(SDLK_a, KMOD_CAPS | KMOD_RSHIFT), static_cast<uint32_t>('a'));
    EXPECT_EQ(KVSDLInputTranslator::characterForKey(SDLK_a, KMOD_LCTRL), 1u);
    // The keypad types digits only with num lock.
    EXPECT_EQ(KVSDLInputTranslator::characterForKey(SDLK_KP_7, KMOD_NUM), static_cast<uint32_t>('7'));
    EXPECT_EQ(KVSDLInputTranslator::characterForKey(SDLK_KP_7, 0), 0u);
    EXPECT_EQ(KVSDLInputTranslator::characterForKey(SDLK_UNKNOWN, 0), 0u);
}

TEST(KVSDLInputTranslator, PressesTakeTheTypedTextAndReleasesRepeatIt)
{
    KVSDLInputTranslator t;
    KVKeyEvent down = t.keyDown(key(SDL_SCANCODE_1, SDLK_1, KMOD_LSHIFT), "!");
    EXPECT_EQ(down.character, static_cast<uint32_t>('!'));
    EXPECT_FALSE(down.isRepeat);
    // The release reports what the press typed, though shift is gone now.
    EXPECT_EQ(t.keyUp(key(SDL_SCANCODE_1, SDLK_1, 0)).character, static_cast<uint32_t>('!'));

    EXPECT_EQ(t.keyDown(key(SDL_SCANCODE_E, SDLK_e), "\xC3\xA9").character, 0xE9u);
    EXPECT_TRUE(t.keyDown(key(SDL_SCANCODE_E, SDLK_e, 0, true), "\xC3\xA9").isRepeat);
    EXPECT_EQ(t.keyUp(key(SDL_SCANCODE_E, SDLK_e)).character, 0xE9u);

    // Escape is known by its key, whatever it types.
    KVKeyEvent esc = t.keyDown(key(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE), nullptr);
    EXPECT_TRUE(esc.isEscape);
    EXPECT_EQ(esc.character, 27u);

    // Function keys ignore any text.
    EXPECT_EQ(t.keyDown(key(SDL_SCANCODE_F1, SDLK_F1), nullptr).character, KVF1FunctionKey);
}

TEST(KVSDLInputTranslator, ADeadKeyTypesNothingAndItsReleaseNeither)
{
    KVSDLInputTranslator t;
    // A printable key that produced no text with no command modifier held.
    EXPECT_EQ(t.keyDown(key(SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE), nullptr).character, 0u);
    EXPECT_EQ(t.keyUp(key(SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE)).character, 0u);
    EXPECT_EQ(KVKeyNames::nameForCharacter(0), "");
    // With ctrl held no text comes either, yet the key did type.
    EXPECT_EQ(t.keyDown(key(SDL_SCANCODE_C, SDLK_c, KMOD_LCTRL), nullptr).character, 3u);
    // A release with no recorded press is worked out from the key.
    EXPECT_EQ(t.keyUp(key(SDL_SCANCODE_B, SDLK_b, KMOD_LSHIFT)).character, static_cast<uint32_t>('B'));
}

}  // namespace
