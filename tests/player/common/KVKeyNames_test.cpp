// Key names the script receives and the modifier-key algorithm.
#include <gtest/gtest.h>

#include "player/common/KVKeyNames.h"

namespace {

std::vector<std::string> posted(uint64_t previous, uint64_t current)
{
    std::vector<std::string> result;
    for (const auto& t : KVKeyNames::modifierTransitions(previous, current))
        result.push_back(std::string(t.function) + " " + t.name);
    return result;
}

TEST(KVKeyNames, CharactersBecomeTheEngineNames)
{
    EXPECT_EQ(KVKeyNames::nameForCharacter(9), "tab");
    EXPECT_EQ(KVKeyNames::nameForCharacter(10), "return");
    EXPECT_EQ(KVKeyNames::nameForCharacter(13), "return");
    EXPECT_EQ(KVKeyNames::nameForCharacter(27), "esc");
    EXPECT_EQ(KVKeyNames::nameForCharacter(32), "space");
    EXPECT_EQ(KVKeyNames::nameForCharacter(127), "delete");
    EXPECT_EQ(KVKeyNames::nameForCharacter(KVDeleteFunctionKey), "delete");
    EXPECT_EQ(KVKeyNames::nameForCharacter(KVUpArrowFunctionKey), "up");
    EXPECT_EQ(KVKeyNames::nameForCharacter(KVDownArrowFunctionKey), "down");
    EXPECT_EQ(KVKeyNames::nameForCharacter(KVLeftArrowFunctionKey), "left");
    EXPECT_EQ(KVKeyNames::nameForCharacter(KVRightArrowFunctionKey), "right");
    EXPECT_EQ(KVKeyNames::nameForCharacter('a'), "a");
    EXPECT_EQ(KVKeyNames::nameForCharacter('A'), "A");
    EXPECT_EQ(KVKeyNames::nameForCharacter(0xE9), "\xC3\xA9");
    // Function keys give the one-character string of their code.
    EXPECT_EQ(KVKeyNames::nameForCharacter(KVF1FunctionKey), "\xEF\x9C\x84");
    EXPECT_EQ(KVKeyNames::nameForCharacter(KVHomeFunctionKey), "\xEF\x9C\xA9");
    EXPECT_EQ(KVKeyNames::nameForCharacter(KVEnterCharacter), "\x03");
    // Nothing typed, nothing to name; a lone surrogate becomes U+FFFD.
    EXPECT_EQ(KVKeyNames::nameForCharacter(0), "");
    EXPECT_EQ(KVKeyNames::nameForCharacter(0xD83D), "\xEF\xBF\xBD");
}

TEST(KVKeyNames, ShiftKeysAreToldApartByTheirDeviceBits)
{
    const uint64_t left = KVShiftModifierMask | KVLeftShiftModifierKeyMask;
    const uint64_t right = KVShiftModifierMask | KVRightShiftModifierKeyMask;
    EXPECT_EQ(posted(0, left), (std::vector<std::string>{"keyDown left shift"}));
    EXPECT_EQ(posted(left, left | right), (std::vector<std::string>{"keyDown right shift"}));
    // Releasing left alone: the shift bit stays set for the right key.
    EXPECT_EQ(posted(left | right, right), (std::vector<std::string>{"keyUp left shift"}));
    EXPECT_EQ(posted(right, 0), (std::vector<std::string>{"keyUp right shift"}));
    // The shift bit without a device bit names neither key.
    EXPECT_TRUE(posted(0, KVShiftModifierMask).empty());
}

TEST(KVKeyNames, CapsLockReportsItsStateAndChangesComeInTableOrder)
{
    EXPECT_EQ(posted(0, KVCapsLockModifierMask), (std::vector<std::string>{"keyDown caps lock"}));
    EXPECT_TRUE(posted(KVCapsLockModifierMask, KVCapsLockModifierMask).empty());
    EXPECT_EQ(posted(KVCapsLockModifierMask, 0), (std::vector<std::string>{"keyUp caps lock"}));

    const uint64_t all = KVCapsLockModifierMask | KVShiftModifierMask | KVLeftShiftModifierKeyMask |
                         KVRightShiftModifierKeyMask | KVControlModifierMask | KVAlternateModifierMask |
                         KVCommandModifierMask;
    EXPECT_EQ(posted(0, all), (std::vector<std::string>{"keyDown caps lock", "keyDown right shift",
                                                        "keyDown left shift", "keyDown ctrl", "keyDown alt",
                                                        "keyDown cmd"}));
    EXPECT_EQ(posted(all, KVAlternateModifierMask).size(), 5u);
}

TEST(KVKeyNames, TypedTextBecomesOneCharacterPerCodePoint)
{
    EXPECT_EQ(KVKeyNames::typedCharacters("a b"), (std::vector<uint32_t>{'a', ' ', 'b'}));
    EXPECT_EQ(KVKeyNames::typedCharacters("\xC3\xA9\xE2\x82\xAC"), (std::vector<uint32_t>{0xE9, 0x20AC}));
    // Beyond the basic plane a key types the high surrogate first.
    EXPECT_EQ(KVKeyNames::typedCharacters("\xF0\x9F\x98\x80"), (std::vector<uint32_t>{0xD83D}));
    // Broken sequences end the text instead of reading past it.
    EXPECT_EQ(KVKeyNames::typedCharacters("x\xC3"), (std::vector<uint32_t>{'x'}));
    EXPECT_EQ(KVKeyNames::typedCharacters("x\xE2\x82y"), (std::vector<uint32_t>{'x'}));
    EXPECT_TRUE(KVKeyNames::typedCharacters("").empty());
}

}  // namespace
