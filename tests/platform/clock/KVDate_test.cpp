// Relative dates against a fixed "now", in fixed locales and the UTC zone.
#include <gtest/gtest.h>

#include "platform/bundle/KVLocalizedStrings.h"
#include "platform/clock/KVDate.h"

namespace {

using Clock = KVDate::SystemClock;

// Thursday 5 March 2026, 14:07:00 UTC.
const Clock::time_point kNow = Clock::time_point(std::chrono::seconds(1772719620));

std::string ago(std::chrono::seconds seconds, const std::string& locale = "de_DE",
                const KVLocalizedStrings* strings = nullptr)
{
    KVDate::SoftFormat format;
    format.now = kNow;
    format.strings = strings;
    format.locale = locale;
    format.timeZone = "UTC";
    return KVDate::softFormatDate(kNow - seconds, format);
}

constexpr std::chrono::seconds minutes(long m) { return std::chrono::seconds(m * 60); }
constexpr std::chrono::seconds hours(long h) { return minutes(h * 60); }
constexpr std::chrono::seconds days(long d) { return hours(d * 24); }

TEST(KVDateSoftFormat, MinutesAndHours)
{
    EXPECT_EQ(ago(std::chrono::seconds(30)), "Less than a minute ago");
    EXPECT_EQ(ago(std::chrono::seconds(90)), "One minute ago");
    EXPECT_EQ(ago(std::chrono::seconds(150)), "2 minutes ago");
    EXPECT_EQ(ago(minutes(60) - std::chrono::seconds(1)), "59 minutes ago");
    EXPECT_EQ(ago(minutes(90)), "One hour ago");
    EXPECT_EQ(ago(hours(3)), "3 hours ago");
    EXPECT_EQ(ago(hours(12) - std::chrono::seconds(1)), "11 hours ago");
    // A date still to come reads as just now.
    EXPECT_EQ(ago(-minutes(5)), "Less than a minute ago");
}

TEST(KVDateSoftFormat, TimesAndDatesInTheLocale)
{
    // From 12 hours: the time alone (13 hours before 14:07 is 01:07).
    EXPECT_EQ(ago(hours(13)), "01:07");
    EXPECT_EQ(ago(hours(24) - std::chrono::seconds(1)), "14:07");
    EXPECT_EQ(ago(hours(36)), "Yesterday at 02:07");
    EXPECT_EQ(ago(hours(36), "en_US"), "Yesterday at 2:07\u202FAM");
    EXPECT_EQ(ago(days(2)), "2 days ago");
    EXPECT_EQ(ago(days(3)), "3 days ago");
    EXPECT_EQ(ago(days(8) - std::chrono::seconds(1)), "7 days ago");
    EXPECT_EQ(ago(days(10)), "23.02.2026");
    EXPECT_EQ(ago(days(10), "en_US"), "Feb 23, 2026");
}

TEST(KVDateSoftFormat, TextsComeFromTheLocalizedTable)
{
    std::string error;
    const auto strings = KVLocalizedStrings::parse(R"strings(
        "Yesterday at %@" = "Gestern um %@";
        "%d hours ago" = "Vor %d Stunden";
        "%d days ago" = "Vor %1$d Tagen (100%%)";
        "One minute ago" = "Vor einer Minute";
        /* printf would act on these; they are only text here */
        "%d minutes ago" = "%s %n %x: %@ und %ld";
    )strings", "de.strings", &error);
    ASSERT_TRUE(strings) << error;
    EXPECT_EQ(ago(hours(36), "de_DE", &*strings), "Gestern um 02:07");
    EXPECT_EQ(ago(hours(3), "de_DE", &*strings), "Vor 3 Stunden");
    EXPECT_EQ(ago(days(3), "de_DE", &*strings), "Vor 3 Tagen (100%)");
    EXPECT_EQ(ago(std::chrono::seconds(90), "de_DE", &*strings), "Vor einer Minute");
    EXPECT_EQ(ago(minutes(5), "de_DE", &*strings), "%s %n %x: 5 und 5");
    // Texts the table lacks stay English.
    EXPECT_EQ(ago(std::chrono::seconds(5), "de_DE", &*strings), "Less than a minute ago");
}

TEST(KVDateSoftFormat, UsesTheMainTableByDefault)
{
    std::string error;
    const auto strings = KVLocalizedStrings::parse("\"One hour ago\" = \"Il y a une heure\";", "fr", &error);
    ASSERT_TRUE(strings) << error;
    KVLocalizedStrings::setMainTable(std::make_shared<const KVLocalizedStrings>(*strings));
    EXPECT_EQ(KVDate::softFormatDate(Clock::now() - minutes(61)), "Il y a une heure");
    KVLocalizedStrings::setMainTable(nullptr);
    EXPECT_EQ(KVDate::softFormatDate(Clock::now() - minutes(61)), "One hour ago");
}

}  // namespace
