// The manual page and --help name the same options, and the page renders.
#include <gtest/gtest.h>

#include <unistd.h>

#include <regex>
#include <set>

#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace {

std::set<std::string> matches(const std::string& text, const std::regex& pattern)
{
    std::set<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
        found.insert(std::regex_replace((*it)[1].str(), std::regex(R"(\\-)"), "-"));
    return found;
}

TEST(ManualPage, NamesEveryOptionOfHelpAndNoOther)
{
    const ProgramResult help = runProgram({std::string(KV_BUILD_DIR) + "/kelvane-player", "--help"});
    ASSERT_EQ(help.status, 0) << help.err;
    const std::string page = readFile(std::string(KV_TEST_DATA_DIR) + "/../../resources/man/kelvane-player.6");
    // "  --name ..." in the help; ".TP" then ".B \-\-name" or ".BI \-\-name" on the page.
    const std::set<std::string> helpOptions = matches(help.out, std::regex(R"((?:^|\n)  (--[a-z-]+))"));
    const std::set<std::string> pageOptions = matches(page, std::regex(R"(\.TP\n\.BI? (\\-\\-[a-z\\-]+))"));
    EXPECT_GT(helpOptions.size(), 10u);
    EXPECT_EQ(pageOptions, helpOptions);

    if (access("/usr/bin/groff", X_OK) == 0) {
        const ProgramResult groff = runProgram({"/usr/bin/groff", "-man", "-ww", "-z",
                                                std::string(KV_TEST_DATA_DIR) + "/../../resources/man/kelvane-player.6"});
        EXPECT_EQ(groff.status, 0);
        EXPECT_EQ(groff.err, "") << "the page has roff mistakes";
    }
}

}  // namespace
