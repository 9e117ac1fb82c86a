// Zip and unzip through the system tools, with names a shell would act on.
#include <gtest/gtest.h>

#include <filesystem>

#include "player/common/KVFileManagerZipSupport.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using Zip = KVFileManagerZipSupport;

TEST(KVFileManagerZipSupport, RoundTripOfAwkwardNames)
{
    TempDir dir;
    // Spaces, quotes, a leading dash, shell syntax and wildcard characters.
    const std::string folder = dir.file("-game save 'one' \"two\"");
    const std::string inner = folder + "/$(touch pwned); [a]*?";
    fs::create_directories(inner);
    writeFile(inner + "/-n 'x'.txt", "first");
    writeFile(folder + "/top.dat", std::string("\0\1\2binary", 9));
    fs::create_symlink("top.dat", folder + "/link");

    KVFileError error;
    const std::string archive = dir.file("-out put.zip");
    EXPECT_TRUE(Zip::zipItemAtPath(folder, archive, &error));
    EXPECT_EQ(error.code, 0) << error.reason;
    ASSERT_TRUE(fs::is_regular_file(archive));

    const std::string target = dir.file("-into here");
    ASSERT_TRUE(Zip::createDirectoryIfNotExists(target));
    EXPECT_FALSE(Zip::createDirectoryIfNotExists(target)) << "it exists now";
    EXPECT_FALSE(Zip::createDirectoryIfNotExists(dir.file("a/b"))) << "no intermediate folders";
    EXPECT_TRUE(Zip::unzipItemAtPath(archive, target, &error));
    EXPECT_EQ(error.code, 0) << error.reason;
    const std::string back = target + "/-game save 'one' \"two\"";
    EXPECT_EQ(readFile(back + "/$(touch pwned); [a]*?/-n 'x'.txt"), "first");
    EXPECT_EQ(readFile(back + "/top.dat"), std::string("\0\1\2binary", 9));
    EXPECT_TRUE(fs::is_symlink(back + "/link")) << "links are stored as links";
    EXPECT_FALSE(fs::exists(dir.file("pwned")));
    EXPECT_FALSE(fs::exists("pwned"));
}

// Failures answer yes with the error, as the Mac's did; unzip's own habits
// (patterns in names, trying "name.zip", asking on the terminal) never show.
TEST(KVFileManagerZipSupport, UnzipOpensExactlyTheNamedArchiveOrAnswersTheError)
{
    TempDir dir;
    KVFileError error;
    fs::create_directories(dir.file("from"));
    fs::create_directories(dir.file("kept"));
    for (const char* name : {"one", "two"})
        writeFile(dir.file("from/") + name, name);
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    // Relative to the caller's folder, not to the item's.
    Zip::zipItemAtPath("from/one/", "b[1].zip", &error);
    fs::current_path(previous);
    Zip::zipItemAtPath(dir.file("from/two"), dir.file("b1.zip"), &error);
    Zip::zipItemAtPath(dir.file("from/two"), dir.file("plain.zip"), &error);
    ASSERT_EQ(error.code, 0) << error.reason;
    writeFile(dir.file("broken.zip"), "this is not an archive");
    writeFile(dir.file("kept/two"), "newer");
    struct Case {
        const char* archive;
        std::string into;
        int code;
        const char* unpacked;  // a file then there, or ""
        const char* content;
    };
    const Case cases[] = {
        {"b[1].zip", dir.file("out"), 0, "out/one", "one"},  // a file under its own name
        {"b1.zip", dir.file("kept"), 259, "kept/two", "newer"},  // kept without asking
        {"broken.zip", dir.file("none"), 259, "", ""},
        {"missing.zip", dir.file("none"), 259, "", ""},
        {"plain", dir.file("none"), 259, "", ""},  // not plain.zip
        {"b1.zip", "", 259, "", ""},               // not into the working directory
    };
    testing::internal::CaptureStderr();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.archive + (" into " + c.into));
        error = KVFileError{};
        EXPECT_TRUE(Zip::unzipItemAtPath(dir.file(c.archive), c.into, &error));
        EXPECT_EQ(error.code, c.code) << error.reason;
        if (c.code != 0) {
            EXPECT_EQ(error.domain, "NSCocoaErrorDomain");
            EXPECT_NE(error.reason.find(c.archive), std::string::npos) << error.reason;
        }
        if (*c.unpacked) {
            EXPECT_EQ(readFile(dir.file(c.unpacked)), c.content);
        }
    }
    EXPECT_FALSE(fs::exists(dir.file("none")));
    EXPECT_FALSE(fs::exists(dir.file("out/two")));
    EXPECT_FALSE(fs::exists("two"));

    for (const std::string& item : {dir.file("no such folder"), std::string("/")}) {
        error = KVFileError{};
        EXPECT_TRUE(Zip::zipItemAtPath(item, dir.file("x.zip"), &error));
        EXPECT_EQ(error.code, 512) << item;
    }
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(fs::exists(dir.file("x.zip")));
}

}  // namespace
