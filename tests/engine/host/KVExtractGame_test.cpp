#include <gtest/gtest.h>
#include <minizip/zip.h>

#include <algorithm>
#include <filesystem>

#include "engine/host/KVEngine.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

struct Entry {
    std::string name;
    std::string data;
    unsigned long externalAttributes = 0100644ul << 16;
    int flags = 0;  // general purpose bits; 1 marks the entry as encrypted
};

void writeZip(const std::string& path, const std::vector<Entry>& entries)
{
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(zip, nullptr);
    for (const Entry& entry : entries) {
        zip_fileinfo info = {};
        info.external_fa = entry.externalAttributes;
        const int versionMadeBy = 3 << 8 | 20;  // Unix, so the attributes are read as a mode
        ASSERT_EQ(zipOpenNewFileInZip4(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                       Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                                       nullptr, 0, versionMadeBy, entry.flags),
                  ZIP_OK);
        zipWriteInFileInZip(zip, entry.data.data(), static_cast<unsigned>(entry.data.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
}

// Runs the extraction inside a fresh folder, as the player does.
class Extract : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory(target());
        fs::current_path(target());
    }
    void TearDown() override { fs::current_path(previous); }
    std::string target() const { return dir.file("target"); }
    std::string zipPath() const { return dir.file("game.zip"); }

    // The status; what was printed goes to `log`.
    int extract()
    {
        testing::internal::CaptureStderr();
        const int status = KV_ExtractGameAtPath(zipPath().c_str());
        log = testing::internal::GetCapturedStderr();
        return status;
    }

    TempDir dir;
    const fs::path previous = fs::current_path();
    std::string log;
};

// Each unsafe entry is refused and named, and nothing is written through a
// symbolic link already there; the safe one after them is kept.
TEST_F(Extract, RefusesEntriesThatWouldLandOutsideOrAreUnsafe)
{
    fs::create_directory(dir.file("outside"));
    fs::create_directory_symlink(dir.file("outside"), target() + "/data");
    fs::create_symlink(dir.file("outside/victim.txt"), target() + "/victim.txt");
    const std::vector<Entry> entries = {{"../escaped.txt", "x"}, {"/tmp/absolute-kv.txt", "x"}, {"dir\\back.txt", "x"},
                                        {"link", "/etc/passwd", 0120777ul << 16},
                                        {"secret.txt", "x", 0100644ul << 16, 1}, {"data/planted.txt", "x"},
                                        {"victim.txt", "x"}, {"fine.txt", "kept"}};
    writeZip(zipPath(), entries);
    EXPECT_NE(extract(), 0);
    for (size_t i = 0; i + 1 < entries.size(); ++i)
        EXPECT_NE(log.find("\"" + entries[i].name + "\""), std::string::npos) << entries[i].name << " in:\n" << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 7) << log;
    for (const std::string& path : {dir.file("escaped.txt"), std::string("/tmp/absolute-kv.txt"), target() + "/link",
                                    target() + "/secret.txt", dir.file("outside/planted.txt"),
                                    dir.file("outside/victim.txt")})
        EXPECT_FALSE(fs::exists(fs::symlink_status(path))) << path;
    EXPECT_EQ(readFile(target() + "/fine.txt"), "kept");
}

TEST_F(Extract, CorruptOrMissingArchivesFailAndAGoodOneKeepsFoldersAndOverwritesFiles)
{
    EXPECT_NE(extract(), 0);
    EXPECT_NE(log.find(zipPath()), std::string::npos);

    writeZip(zipPath(), {{"a.txt", std::string(5000, 'a')}});
    std::string bytes = readFile(zipPath());
    bytes[40] ^= 0x55;  // inside the compressed data
    writeFile(zipPath(), bytes);
    EXPECT_NE(extract(), 0);
    EXPECT_NE(log.find("a.txt"), std::string::npos) << log;

    // A good one keeps folders and overwrites files.
    writeFile(target() + "/old.txt", "old contents that are longer");
    writeZip(zipPath(), {{"Game.app/", "", 040755ul << 16},
                         {"Game.app/Contents/Resources/engine64.luo", "print('hi')"},
                         {"old.txt", "new"}});
    EXPECT_EQ(extract(), 0) << log;
    EXPECT_EQ(log, "");
    EXPECT_EQ(readFile(target() + "/Game.app/Contents/Resources/engine64.luo"), "print('hi')");
    EXPECT_EQ(readFile(target() + "/old.txt"), "new");
}

}  // namespace
