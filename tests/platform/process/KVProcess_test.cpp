// Programs started from an argument vector. (That names reach them verbatim,
// in the folder asked for, and that their exit statuses come back, shows in
// the zip support's tests.)
#include <gtest/gtest.h>

#include "platform/process/KVProcess.h"

namespace {

TEST(KVProcess, FailuresToStartAndTheSearchPath)
{
    std::string error;
    EXPECT_EQ(KVProcess::run({"/no/such/program"}, {}, &error), -1);
    EXPECT_NE(error.find("/no/such/program"), std::string::npos) << error;
    // Without searchPath a bare name is not looked up.
    EXPECT_LT(KVProcess::spawn({"true"}, {}, &error), 0);
    EXPECT_NE(error.find("cannot start true"), std::string::npos) << error;
    KVProcess::Options search;
    search.searchPath = true;
    EXPECT_EQ(KVProcess::run({"true"}, search, &error), 0);

    EXPECT_EQ(KVProcess::run({}, {}, &error), -1);
}

}  // namespace
