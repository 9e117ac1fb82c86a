// Strings tables: the text form in its encodings, property lists, broken
// files, and the choice of table by language.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/bundle/KVLocalizedStrings.h"
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

}  // namespace
