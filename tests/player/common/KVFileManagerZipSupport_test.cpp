// Zip and unzip through the system tools, with names a shell would act on.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "player/common/KVFileManagerZipSupport.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using Zip = KVFileManagerZipSupport;

bool haveTools()
{
    return access(Zip::ZipTool, X_OK) == 0 && access(Zip::UnzipTool, X_OK) == 0;
}

TEST(KVFileManagerZipSupport, CreateDirectoryIfNotExists)
{
    TempDir dir;
    EXPECT_TRUE(Zip::createDirectoryIfNotExists(dir.file("new")));
    EXPECT_TRUE(fs::is_directory(dir.file("new")));
    EXPECT_FALSE(Zip::createDirectoryIfNotExists(dir.file("new"))) << "it exists now";
    writeFile(dir.file("file"), "x");
    EXPECT_FALSE(Zip::createDirectoryIfNotExists(dir.file("file")));
    EXPECT_FALSE(Zip::createDirectoryIfNotExists(dir.file("a/b"))) << "no intermediate folders";
    EXPECT_FALSE(fs::exists(dir.file("a")));
}

TEST(KVFileManagerZipSupport, RoundTripOfAwkwardNames)
{
    if (!haveTools())
        GTEST_SKIP() << "zip and unzip are not installed";
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
    EXPECT_TRUE(Zip::unzipItemAtPath(archive, target, &error));
    EXPECT_EQ(error.code, 0) << error.reason;
    const std::string back = target + "/-game save 'one' \"two\"";
    EXPECT_EQ(readFile(back + "/$(touch pwned); [a]*?/-n 'x'.txt"), "first");
    EXPECT_EQ(readFile(back + "/top.dat"), std::string("\0\1\2binary", 9));
    EXPECT_TRUE(fs::is_symlink(back + "/link")) << "links are stored as links";
    EXPECT_FALSE(fs::exists(dir.file("pwned")));
    EXPECT_FALSE(fs::exists("pwned"));
}

TEST(KVFileManagerZipSupport, ASingleFileAndARelativeDestination)
{
    if (!haveTools())
        GTEST_SKIP() << "zip and unzip are not installed";
    TempDir dir;
    fs::create_directories(dir.file("from/deep"));
    writeFile(dir.file("from/deep/notes.txt"), "hello");
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    KVFileError error;
    // Relative to the caller's folder, not to the item's.
    Zip::zipItemAtPath("from/deep/notes.txt/", "notes.zip", &error);
    fs::current_path(previous);
    EXPECT_EQ(error.code, 0) << error.reason;
    ASSERT_TRUE(fs::exists(dir.file("notes.zip")));
    EXPECT_FALSE(fs::exists(dir.file("from/deep/notes.zip")));
    Zip::unzipItemAtPath(dir.file("notes.zip"), dir.file("out"), &error);
    EXPECT_EQ(readFile(dir.file("out/notes.txt")), "hello") << "stored under its own name";
}

TEST(KVFileManagerZipSupport, FailuresAnswerYesWithTheError)
{
    if (!haveTools())
        GTEST_SKIP() << "zip and unzip are not installed";
    TempDir dir;
    writeFile(dir.file("broken.zip"), "this is not an archive");
    KVFileError error;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(Zip::unzipItemAtPath(dir.file("broken.zip"), dir.file("out"), &error));
    EXPECT_EQ(error.domain, "NSCocoaErrorDomain");
    EXPECT_EQ(error.code, 259);
    EXPECT_NE(error.reason.find("broken.zip"), std::string::npos) << error.reason;

    error = KVFileError{};
    EXPECT_TRUE(Zip::unzipItemAtPath(dir.file("missing.zip"), dir.file("out"), &error));
    EXPECT_EQ(error.code, 259);

    error = KVFileError{};
    writeFile(dir.file("kv-unzip-nowhere"), "x");
    Zip::zipItemAtPath(dir.file("kv-unzip-nowhere"), dir.file("good.zip"), &error);
    ASSERT_EQ(error.code, 0) << error.reason;
    EXPECT_TRUE(Zip::unzipItemAtPath(dir.file("good.zip"), "", &error));
    EXPECT_EQ(error.code, 259);
    EXPECT_FALSE(fs::exists("kv-unzip-nowhere")) << "not into the working directory";

    error = KVFileError{};
    EXPECT_TRUE(Zip::zipItemAtPath(dir.file("no such folder"), dir.file("x.zip"), &error));
    EXPECT_EQ(error.code, 512);
    EXPECT_FALSE(fs::exists(dir.file("x.zip")));
    error = KVFileError{};
    EXPECT_TRUE(Zip::zipItemAtPath("/", dir.file("root.zip"), &error));
    EXPECT_EQ(error.code, 512);
    testing::internal::GetCapturedStderr();
}

TEST(KVFileManagerZipSupport, UnzipOpensExactlyTheNamedArchive)
{
    if (!haveTools())
        GTEST_SKIP() << "zip and unzip are not installed";
    TempDir dir;
    fs::create_directories(dir.file("one"));
    writeFile(dir.file("one/which"), "the bracketed one");
    fs::create_directories(dir.file("two"));
    writeFile(dir.file("two/which"), "the plain one");
    KVFileError error;
    Zip::zipItemAtPath(dir.file("one"), dir.file("b[1].zip"), &error);
    Zip::zipItemAtPath(dir.file("two"), dir.file("b1.zip"), &error);
    ASSERT_EQ(error.code, 0) << error.reason;
    // unzip itself would read "b[1].zip" as a pattern matching "b1.zip".
    Zip::unzipItemAtPath(dir.file("b[1].zip"), dir.file("out"), &error);
    EXPECT_EQ(error.code, 0) << error.reason;
    EXPECT_TRUE(fs::exists(dir.file("out/one/which")));
    EXPECT_FALSE(fs::exists(dir.file("out/two")));

    // unzip would also try "name.zip" for a missing "name".
    Zip::zipItemAtPath(dir.file("two"), dir.file("plain.zip"), &error);
    Zip::unzipItemAtPath(dir.file("plain"), dir.file("out2"), &error);
    EXPECT_EQ(error.code, 259);
    EXPECT_FALSE(fs::exists(dir.file("out2/two")));
}

TEST(KVFileManagerZipSupport, ExistingFilesAreKeptWithoutAsking)
{
    if (!haveTools())
        GTEST_SKIP() << "zip and unzip are not installed";
    TempDir dir;
    fs::create_directories(dir.file("save"));
    writeFile(dir.file("save/slot"), "archived");
    KVFileError error;
    Zip::zipItemAtPath(dir.file("save"), dir.file("save.zip"), &error);
    fs::create_directories(dir.file("out/save"));
    writeFile(dir.file("out/save/slot"), "newer");
    // unzip would ask on the terminal; it reads end-of-file instead.
    testing::internal::CaptureStderr();
    EXPECT_TRUE(Zip::unzipItemAtPath(dir.file("save.zip"), dir.file("out"), &error));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(readFile(dir.file("out/save/slot")), "newer");
    EXPECT_EQ(error.code, 259) << "unzip reports the skipped file";
}

}  // namespace
