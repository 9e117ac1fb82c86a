#include <gtest/gtest.h>

#include <filesystem>

#include "platform/files/KVFileLookup.h"
#include "tests/support/TempDir.h"

namespace {

void makeFiles(const TempDir& dir, const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        std::filesystem::create_directories(std::filesystem::path(dir.file(name)).parent_path());
        writeFile(dir.file(name), name);
    }
}

// Puts the folder's modification time minutes back, as a folder the game
// has not touched for a while.
void ageFolder(const std::string& folder, int minutes)
{
    std::filesystem::last_write_time(folder, std::filesystem::last_write_time(folder) - std::chrono::minutes(minutes));
}

}  // namespace

// (Names composed and decomposed differently, and saves over files of
// another case: the Mac-names bundle.)
TEST(KVFileLookup, FindsNamesDifferingInCaseFolderByFolder)
{
    TempDir dir;
    makeFiles(dir, {"Images/Hero.PNG", "dup/data.txt", "dup/DATA.txt", "dup/Data.txt"});
    const struct {
        std::string asked, found;
    } cases[] = {
        {"images/hero.png", "Images/Hero.PNG"},
        {"dup/data.txt", "dup/data.txt"},  // the exact one first
        {"dup/dATA.txt", "dup/DATA.txt"},  // then the first in sorted order
        {"dup/./../images/hero.png", "dup/./../Images/Hero.PNG"},
        {"images/heroes.png", "images/heroes.png"},  // missing stays missing, as asked
        {"nowhere/hero.png", "nowhere/hero.png"},
    };
    testing::internal::CaptureStderr();
    for (const auto& c : cases) {
        EXPECT_EQ(KVFileLookup::shared().find(dir.file(c.asked)), dir.file(c.found)) << c.asked;
        EXPECT_EQ(KVFileLookup::shared().find(dir.file(c.asked)), dir.file(c.found)) << c.asked << " again";
    }
    const std::string err = testing::internal::GetCapturedStderr();
    // The ambiguous name is reported once, with every candidate.
    EXPECT_NE(err.find("\"dATA.txt\" matches 3 entries differing only in case or normalisation (DATA.txt, "
                       "Data.txt, data.txt); using DATA.txt"),
              std::string::npos)
        << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    // A new file goes into the folder found.
    EXPECT_EQ(KVFileLookup::shared().findForWriting(dir.file("IMAGES/New.png")), dir.file("Images/New.png"));
}

TEST(KVFileLookup, AFolderIsListedAgainWhenItChanges)
{
    TempDir dir;
    makeFiles(dir, {"Sounds/Boom.WAV"});
    ageFolder(dir.file("Sounds"), 2);
    EXPECT_EQ(KVFileLookup::shared().find(dir.file("sounds/boom.wav")), dir.file("Sounds/Boom.WAV"));

    // Renamed: the folder's time changes and the new name is found.
    std::filesystem::rename(dir.file("Sounds/Boom.WAV"), dir.file("Sounds/BOOM.wav"));
    ageFolder(dir.file("Sounds"), 1);
    EXPECT_EQ(KVFileLookup::shared().find(dir.file("sounds/boom.wav")), dir.file("Sounds/BOOM.wav"));
}
