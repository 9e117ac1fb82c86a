// Programs started from an argument vector: names reach them verbatim.
#include <gtest/gtest.h>

#include "platform/process/KVProcess.h"
#include "tests/support/TempDir.h"

namespace {

TEST(KVProcess, ArgumentsArriveVerbatimInTheWorkingDirectory)
{
    TempDir dir;
    // Characters a shell would act on: spaces, quotes, $(...), ;, globs.
    const std::string name = "a b 'c' \"d\" $(touch pwned); e* -f";
    KVProcess::Options options;
    options.workingDirectory = dir.path();
    std::string error;
    EXPECT_EQ(KVProcess::run({"/usr/bin/touch", "--", name}, options, &error), 0) << error;
    EXPECT_TRUE(fileExists(dir.file(name)));
    EXPECT_FALSE(fileExists(dir.file("pwned")));
    EXPECT_FALSE(fileExists("pwned"));
}

TEST(KVProcess, ExitStatusAndFailuresToStart)
{
    std::string error;
    EXPECT_EQ(KVProcess::run({"/bin/false"}, {}, &error), 1);
    EXPECT_EQ(KVProcess::run({"/bin/true"}, {}, &error), 0);

    EXPECT_EQ(KVProcess::run({"/no/such/program"}, {}, &error), -1);
    EXPECT_NE(error.find("/no/such/program"), std::string::npos) << error;

    // Without searchPath a bare name is not looked up.
    error.clear();
    EXPECT_LT(KVProcess::spawn({"true"}, {}, &error), 0);
    EXPECT_NE(error.find("cannot start true"), std::string::npos) << error;
    KVProcess::Options search;
    search.searchPath = true;
    EXPECT_EQ(KVProcess::run({"true"}, search, &error), 0);

    EXPECT_EQ(KVProcess::run({}, {}, &error), -1);
}

}  // namespace
