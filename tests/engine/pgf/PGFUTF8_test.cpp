#include "engine/pgf/PGFUTF8.h"

#include <gtest/gtest.h>

namespace {

TEST(PGFUTF8, AcceptsEveryWellFormedRangeBoundary)
{
    for (const char* text : {"", "ascii", "\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80",
                             "\xEF\xBF\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"})
        EXPECT_TRUE(PGFIsUTF8(text)) << text;
}

TEST(PGFUTF8, RefusesMalformedSequences)
{
    for (const char* text : {"\x80", "\x9A\x9A", "\xC0\xAF", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80",
                             "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF", "\xC3",
                             "\xE2\x82", "ok\xE2\x82"})
        EXPECT_FALSE(PGFIsUTF8(text)) << text;
}

TEST(PGFUTF8, DecodesAndAdvances)
{
    const char text[] = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\x80z";
    const unsigned char* at = reinterpret_cast<const unsigned char*>(text);
    EXPECT_EQ('a', PGFNextCodePoint(at));
    EXPECT_EQ(0xE9, PGFNextCodePoint(at));
    EXPECT_EQ(0x20AC, PGFNextCodePoint(at));
    EXPECT_EQ(0x1F600, PGFNextCodePoint(at));
    // A stray byte is skipped alone, so decoding resumes right after it.
    EXPECT_EQ(-1, PGFNextCodePoint(at));
    EXPECT_EQ('z', PGFNextCodePoint(at));
}

} // namespace
