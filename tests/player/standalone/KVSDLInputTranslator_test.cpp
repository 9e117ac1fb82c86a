// SDL keyboard events turned into the key names the game receives, as the
// Mac named them.
#include <gtest/gtest.h>

#include "player/common/KVKeyNames.h"
#include "player/standalone/KVSDLInputTranslator.h"

namespace {

// Only escape is known by its scancode.
SDL_KeyboardEvent key(SDL_Keycode sym, uint16_t mod = 0, bool repeat = false)
{
    SDL_KeyboardEvent e{};
    e.keysym.scancode = sym == SDLK_ESCAPE ? SDL_SCANCODE_ESCAPE : SDL_SCANCODE_A;
    e.keysym.sym = sym;
    e.keysym.mod = mod;
    e.repeat = repeat ? 1 : 0;
    return e;
}

std::string named(const KVKeyEvent& e)
{
    return KVKeyNames::nameForCharacter(e.character);
}

TEST(KVSDLInputTranslator, PressesAndTheirReleasesReachTheGameByName)
{
    struct Case {
        SDL_Keycode sym;
        uint16_t mod;
        const char* text;  // SDL's text input for the press
        const char* name;
    };
    const Case cases[] = {
        {SDLK_TAB, 0, nullptr, "tab"}, {SDLK_RETURN, 0, nullptr, "return"}, {SDLK_ESCAPE, 0, nullptr, "esc"},
        {SDLK_SPACE, 0, " ", "space"}, {SDLK_BACKSPACE, 0, nullptr, "delete"}, {SDLK_DELETE, 0, nullptr, "delete"},
        {SDLK_UP, 0, nullptr, "up"}, {SDLK_DOWN, 0, nullptr, "down"}, {SDLK_LEFT, 0, nullptr, "left"},
        {SDLK_RIGHT, 0, nullptr, "right"},
        // Keys that type nothing printable give the Mac's private-use characters.
        {SDLK_F1, 0, nullptr, "\xEF\x9C\x84"}, {SDLK_F13, 0, nullptr, "\xEF\x9C\x90"},
        {SDLK_HOME, 0, nullptr, "\xEF\x9C\xA9"}, {SDLK_PAGEDOWN, 0, nullptr, "\xEF\x9C\xAD"},
        {SDLK_KP_ENTER, 0, nullptr, "\x03"}, {SDLK_F1, 0, "x", "\xEF\x9C\x84"},
        // Printable keys give what they typed.
        {SDLK_a, 0, "a", "a"}, {SDLK_a, KMOD_LSHIFT, "A", "A"}, {SDLK_1, KMOD_LSHIFT, "!", "!"},
        {SDLK_e, 0, "\xC3\xA9", "\xC3\xA9"}, {SDLK_a, 0, "\xF0\x9F\x98\x80", "\xEF\xBF\xBD"},
        // A dead key types nothing; ctrl and alt type without text.
        {SDLK_BACKQUOTE, 0, nullptr, ""}, {SDLK_c, KMOD_LCTRL, nullptr, "\x03"},
        {SDLK_a, KMOD_LALT | KMOD_CAPS, nullptr, "A"}, {SDLK_a, KMOD_LALT | KMOD_CAPS | KMOD_RSHIFT, nullptr, "a"},
        // The keypad types digits only with num lock.
        {SDLK_KP_7, KMOD_NUM, nullptr, "7"}, {SDLK_KP_7, 0, nullptr, ""}, {SDLK_UNKNOWN, 0, nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(SDL_GetKeyName(c.sym)) + " " + std::to_string(c.mod));
        KVSDLInputTranslator t;
        const KVKeyEvent down = t.keyDown(key(c.sym, c.mod), c.text);
        EXPECT_EQ(named(down), c.name);
        EXPECT_EQ(down.isEscape, c.sym == SDLK_ESCAPE);
        EXPECT_FALSE(down.isRepeat);
        // The release names what the press typed, though the modifiers are gone.
        EXPECT_EQ(named(t.keyUp(key(c.sym))), c.name);
    }
    KVSDLInputTranslator t;
    EXPECT_TRUE(t.keyDown(key(SDLK_e, 0, true), "e").isRepeat);
    // A release without its press is worked out from the key.
    EXPECT_EQ(named(t.keyUp(key(SDLK_b, KMOD_LSHIFT))), "B");
}

TEST(KVSDLInputTranslator, ModifierChangesArePostedAsKeysOfTheirOwn)
{
    struct Case {
        uint16_t before, after;
        std::vector<std::string> posted;
    };
    const Case cases[] = {
        {0, KMOD_LSHIFT, {"keyDown left shift"}},
        {KMOD_LSHIFT, KMOD_LSHIFT | KMOD_RSHIFT, {"keyDown right shift"}},
        {KMOD_LSHIFT | KMOD_RSHIFT, KMOD_RSHIFT, {"keyUp left shift"}},
        {KMOD_RSHIFT, 0, {"keyUp right shift"}},
        // Caps lock tells its state, not its key.
        {0, KMOD_CAPS, {"keyDown caps lock"}},
        {KMOD_CAPS, KMOD_CAPS, {}},
        {KMOD_CAPS, 0, {"keyUp caps lock"}},
        {0, KMOD_NUM, {}},
        {0, KMOD_CAPS | KMOD_LSHIFT | KMOD_RSHIFT | KMOD_RCTRL | KMOD_LALT | KMOD_RGUI,
         {"keyDown caps lock", "keyDown right shift", "keyDown left shift", "keyDown ctrl", "keyDown alt",
          "keyDown cmd"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.before) + " to " + std::to_string(c.after));
        std::vector<std::string> posted;
        for (const auto& t : KVKeyNames::modifierTransitions(KVSDLInputTranslator::modifierFlags(c.before),
                                                             KVSDLInputTranslator::modifierFlags(c.after)))
            posted.push_back(std::string(t.function) + " " + t.name);
        EXPECT_EQ(posted, c.posted);
    }
}

TEST(KVSDLInputTranslator, TypedTextIsOneCharacterPerCodePointAndEndsAtABrokenSequence)
{
    EXPECT_EQ(KVKeyNames::typedCharacters("a \xC3\xA9\xE2\x82\xAC"), (std::vector<uint32_t>{'a', ' ', 0xE9, 0x20AC}));
    // Beyond the basic plane a key types the high surrogate first.
    EXPECT_EQ(KVKeyNames::typedCharacters("\xF0\x9F\x98\x80"), (std::vector<uint32_t>{0xD83D}));
    EXPECT_EQ(KVKeyNames::typedCharacters("x\xC3"), (std::vector<uint32_t>{'x'}));
    EXPECT_EQ(KVKeyNames::typedCharacters("x\xE2\x82y"), (std::vector<uint32_t>{'x'}));
}

}  // namespace
