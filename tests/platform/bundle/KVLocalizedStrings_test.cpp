// Strings tables: the text form in its encodings, property lists, broken
// files, and the choice of table by language; relative dates in their texts,
// against a fixed "now", in fixed locales and the UTC zone.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/bundle/KVLocalizedStrings.h"
#include "platform/clock/KVDate.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDir.h"

namespace {

KVLocalizedStrings parsed(const std::string& bytes)
{
    std::string error;
    auto table = KVLocalizedStrings::parse(bytes, "t.strings", &error);
    EXPECT_TRUE(table) << error;
    return table ? *table : KVLocalizedStrings{};
}

std::string parseError(const std::string& bytes)
{
    std::string error;
    EXPECT_FALSE(KVLocalizedStrings::parse(bytes, "t.strings", &error));
    return error;
}

// UTF-16 with a byte-order mark.
std::string utf16(const std::u16string& text, bool bigEndian)
{
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t u : text)
        out += bigEndian ? std::string{char(u >> 8), char(u & 0xFF)} : std::string{char(u & 0xFF), char(u >> 8)};
    return out;
}

TEST(KVLocalizedStrings, TheTextForm)
{
    const KVLocalizedStrings t = parsed(
        "\xEF\xBB\xBF/* A comment; \"with\" = quotes; */\n"
        "\"Yesterday at %@\" = \"Hier \\u00E0 %@\"; // trailing comment\n"
        "\"tab\\tand \\\"quotes\\\"\" = \"line\\nbreak \\\\ \\101\";\n"
        "plainKey = plain.value-1;\n"
        "\"only the key\";\n"
        "\"emoji\" = \"\\UD83D\\UDE00 \\UD83D alone\";\n"
        "\"Done\" = \"Fertig\";\"Done\" = \"OK\";");
    std::string found;
    for (const char* key :
         {"Yesterday at %@", "tab\tand \"quotes\"", "plainKey", "only the key", "emoji", "Done", "missing"})
        found += t.localizedString(key) + "|";
    // A later entry wins; a missing key answers itself.
    EXPECT_EQ(found, "Hier \u00E0 %@|line\nbreak \\ A|plain.value-1|only the key|\U0001F600 \uFFFD alone|OK|missing|");
    EXPECT_EQ(t.count(), 6u);
}

TEST(KVLocalizedStrings, UTF16AndPropertyLists)
{
    const std::u16string text = u"\"Done\" = \"Termin\u00E9\"; \"Smile\" = \"\U0001F600\";";
    for (bool bigEndian : {true, false}) {
        const KVLocalizedStrings t = parsed(utf16(text, bigEndian));
        EXPECT_EQ(t.localizedString("Done") + t.localizedString("Smile"), "Termin\u00E9\U0001F600") << bigEndian;
    }
    const KVLocalizedStrings xml = parsed(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
        "<key>Done</key><string>Klaar</string><key>n</key><integer>3</integer></dict></plist>");
    EXPECT_EQ(xml.localizedString("Done"), "Klaar");
    EXPECT_EQ(xml.count(), 1u) << "values that are not strings are left out";
}

TEST(KVLocalizedStrings, BrokenFilesNameTheFileAndLine)
{
    EXPECT_EQ(parseError("\"a\" = \"b\";\n\"c\" = \"d\"\n\"e\" = \"f\";"), "t.strings:3: expected ';' after \"c\"");
    EXPECT_EQ(parseError("\"a\" = \"b\";\n\n\"c\" = \"never closed;\n"), "t.strings:3: unterminated string");
    EXPECT_EQ(parseError("/* open"), "t.strings:1: unterminated comment");
    EXPECT_EQ(parseError("\"a\" = ;"), "t.strings:1: unexpected ';'");
    EXPECT_EQ(parseError("\"a\" = \"\\Uzz\";"), "t.strings:1: bad \\U escape");
    EXPECT_EQ(parseError("\"a\" ="), "t.strings:1: unexpected end of file");
    EXPECT_EQ(parseError(std::string("\"a\"\0=", 5)), "t.strings: not text (UTF-16 needs a byte-order mark)");
    EXPECT_EQ(parseError("\xFF\xFE\x22"), "t.strings: broken UTF-16 text");
    EXPECT_EQ(parseError("<?xml version=\"1.0\"?><plist><array/></plist>"),
              "t.strings: not a property list dictionary");
    std::string error;
    EXPECT_FALSE(KVLocalizedStrings::load("/no/such/Localizable.strings", &error));
    EXPECT_EQ(error, "cannot read /no/such/Localizable.strings");
}

TEST(KVLocalizedStrings, TheTableOfTheUsersLanguage)
{
    TempDir dir;
    // Names in another case as well, as the Mac's disk took them.
    for (const auto& [file, value] : {std::pair{"en.lproj/Localizable.strings", "\"Done (en)\""},
                                     {"French.lproj/Localizable.strings", "\"Terminé\""},
                                     {"pt-BR.lproj/Localizable.strings", "\"Concluído\""},
                                     {"IT.lproj/localizable.STRINGS", "\"Fatto\""},
                                     {"de.lproj/Localizable.strings", "broken \"x\""}}) {
        std::filesystem::create_directories(std::filesystem::path(dir.file(file)).parent_path());
        writeFile(dir.file(file), std::string("\"Done\" = ") + value + ";");
    }
    auto done = [&](const std::vector<std::string>& languages) {
        return KVLocalizedStrings::forResources(dir.path(), languages).localizedString("Done");
    };
    // Older bundles name the folder in English; English when the language is missing.
    EXPECT_EQ(done({"fr_FR", "fr"}) + "|" + done({"pt_BR", "pt"}) + "|" + done({"ja"}) + "|" + done({"it"}),
              "Terminé|Concluído|Done (en)|Fatto");
    testing::internal::CaptureStderr();
    EXPECT_EQ(done({"de", "fr"}), "Terminé") << "an unreadable table is skipped";
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("de.lproj/Localizable.strings:1: expected ';'"), std::string::npos) << err;
    EXPECT_EQ(KVLocalizedStrings::forResources(dir.file("none"), {"fr"}).count(), 0u);
}

TEST(KVLocalizedStrings, PreferredLanguagesFromTheEnvironment)
{
    ScopedEnvironment env;
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        env.set(name, nullptr);
    env.set("LANG", "pt_BR.UTF-8");
    EXPECT_EQ(KVLocalizedStrings::preferredLanguages(), (std::vector<std::string>{"pt_BR", "pt"}));
    env.set("LANGUAGE", "fr_CA:de");
    env.set("LC_MESSAGES", "sr_RS@latin");
    EXPECT_EQ(KVLocalizedStrings::preferredLanguages(),
              (std::vector<std::string>{"fr_CA", "fr", "de", "sr_RS", "sr"}));
    env.set("LANGUAGE", "");
    env.set("LC_ALL", "C");
    EXPECT_TRUE(KVLocalizedStrings::preferredLanguages().empty());
}

using Clock = KVDate::SystemClock;
using std::chrono::hours, std::chrono::minutes, std::chrono::seconds;
constexpr hours days(long d) { return hours(d * 24); }

// Each rule at its edges, then the localized table's texts.
TEST(KVDateSoftFormat, TextsTimesAndDatesByAge)
{
    const KVLocalizedStrings de = parsed(R"strings(
        "Yesterday at %@" = "Gestern um %@";
        "%d hours ago" = "Vor %d Stunden";
        "%d days ago" = "Vor %1$d Tagen (100%%)";
        "One minute ago" = "Vor einer Minute";
        /* printf would act on these; they are only text here */
        "%d minutes ago" = "%s %n %x: %@ und %ld";
    )strings");
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
