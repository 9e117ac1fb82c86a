// Relative dates against a fixed "now", in fixed locales and the UTC zone.
#include <gtest/gtest.h>

#include "platform/bundle/KVLocalizedStrings.h"
#include "platform/clock/KVDate.h"

namespace {

using Clock = KVDate::SystemClock;
using std::chrono::hours, std::chrono::minutes, std::chrono::seconds;
constexpr hours days(long d) { return hours(d * 24); }

// Each rule at its edges, then the localized table's texts.
TEST(KVDateSoftFormat, TextsTimesAndDatesByAge)
{
    std::string error;
    const KVLocalizedStrings de = KVLocalizedStrings::parse(R"strings(
        "Yesterday at %@" = "Gestern um %@";
        "%d hours ago" = "Vor %d Stunden";
        "%d days ago" = "Vor %1$d Tagen (100%%)";
        "One minute ago" = "Vor einer Minute";
        /* printf would act on these; they are only text here */
        "%d minutes ago" = "%s %n %x: %@ und %ld";
    )strings", "de.strings", &error).value();
    const struct {
        seconds before;
        const char* expected;
        const char* locale = "de_DE";
        const KVLocalizedStrings* strings = nullptr;
    } cases[] = {
        {seconds(30), "Less than a minute ago"},
        {-minutes(5), "Less than a minute ago"},  // still to come: just now
        {seconds(90), "One minute ago"},
        {seconds(150), "2 minutes ago"},
        {minutes(60) - seconds(1), "59 minutes ago"},
        {minutes(90), "One hour ago"},
        {hours(12) - seconds(1), "11 hours ago"},
        {hours(13), "01:07"},  // from 12 hours the time alone
        {hours(24) - seconds(1), "14:07"},
        {hours(36), "Yesterday at 02:07"},
        {hours(36), "Yesterday at 2:07\u202FAM", "en_US"},
        {days(2), "2 days ago"},
        {days(8) - seconds(1), "7 days ago"},
        {days(10), "23.02.2026"},
        {days(10), "Feb 23, 2026", "en_US"},
        {hours(36), "Gestern um 02:07", "de_DE", &de},
        {hours(3), "Vor 3 Stunden", "de_DE", &de},
        {days(3), "Vor 3 Tagen (100%)", "de_DE", &de},
        {seconds(90), "Vor einer Minute", "de_DE", &de},
        {minutes(5), "%s %n %x: 5 und 5", "de_DE", &de},
        {seconds(5), "Less than a minute ago", "de_DE", &de},  // missing from the table: English
    };
    // Thursday 5 March 2026, 14:07:00 UTC.
    const Clock::time_point now = Clock::time_point(seconds(1772719620));
    for (const auto& c : cases) {
        KVDate::SoftFormat format;
        format.now = now;
        format.strings = c.strings;
        format.locale = c.locale;
        format.timeZone = "UTC";
        EXPECT_EQ(KVDate::softFormatDate(now - c.before, format), c.expected) << c.before.count() << " s";
    }
    // Without a format: the main table, when there is one, and the clock's now.
    KVLocalizedStrings::setMainTable(std::make_shared<const KVLocalizedStrings>(de));
    EXPECT_EQ(KVDate::softFormatDate(Clock::now() - hours(3)), "Vor 3 Stunden");
    KVLocalizedStrings::setMainTable(nullptr);
    EXPECT_EQ(KVDate::softFormatDate(Clock::now() - hours(3)), "3 hours ago");
}

}  // namespace
