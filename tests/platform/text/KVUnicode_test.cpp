#include "platform/text/KVUnicode.h"

#include <gtest/gtest.h>

namespace {

// Every range boundary of well-formed UTF-8, both ways. (A stray byte
// skipped alone shows in the string class's length.)
TEST(KVUnicode, ConvertsBetweenUTF8AndUTF16)
{
    const struct {
        const char* utf8;
        std::u16string utf16;
    } cases[] = {
        {"", u""},
        {"a\xC3\xA9\xE2\x82\xAC", u"a\u00E9\u20AC"},
        {"\xC2\x80\xDF\xBF", u"\u0080\u07FF"},
        {"\xE0\xA0\x80\xED\x9F\xBF", u"\u0800\uD7FF"},
        {"\xEE\x80\x80\xEF\xBF\xBF", u"\uE000\uFFFF"},
        {"\xF0\x90\x80\x80", std::u16string{0xD800, 0xDC00}},
        {"\xF4\x8F\xBF\xBF", std::u16string{0xDBFF, 0xDFFF}},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(KVIsUTF8(c.utf8)) << c.utf8;
        std::u16string units;
        EXPECT_TRUE(KVUTF8ToUTF16(c.utf8, units)) << c.utf8;
        EXPECT_EQ(c.utf16, units) << c.utf8;
        EXPECT_EQ(c.utf8, KVUTF16ToUTF8(c.utf16)) << c.utf8;
    }
    // Lone surrogates, either half, anywhere: U+FFFD each.
    EXPECT_EQ("\xEF\xBF\xBD" "a\xEF\xBF\xBD", KVUTF16ToUTF8(std::u16string{0xD83D, 'a', 0xDE00}));
    EXPECT_EQ("x\xEF\xBF\xBD", KVUTF16ToUTF8(std::u16string{'x', 0xD83D}));
}

TEST(KVUnicode, RefusesMalformedSequences)
{
    for (const char* text : {"\x80", "\x9A\x9A", "\xC0\xAF", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80",
                             "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF", "\xC3",
                             "\xE2\x82", "ok\xE2\x82"}) {
        EXPECT_FALSE(KVIsUTF8(text)) << text;
        std::u16string units = u"left over";
        EXPECT_FALSE(KVUTF8ToUTF16(text, units)) << text;
        EXPECT_TRUE(units.empty()) << text;
    }
    // The end given is the end: a sequence cut by it is not read past.
    const unsigned char cut[] = {0xE2, 0x82, 0xAC};
    const unsigned char* at = cut;
    EXPECT_EQ(-1, KVNextCodePoint(at, cut + 2));
}

}  // namespace
