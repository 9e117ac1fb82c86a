// The Debian package made from this build: what it holds, what it depends
// on, and the player run from its unpacked tree as an installed one runs.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/Picture.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

TEST(Package, HoldsThePlayerItsResourcesAndManualPageAndRunsUnpacked)
{
    TempDir dir;
    ProgramResult pack = runProgram(
        {KV_CPACK_COMMAND, "--config", std::string(KV_BUILD_DIR) + "/CPackConfig.cmake", "-B", dir.file("out")});
    ASSERT_EQ(pack.status, 0) << pack.out << pack.err;
    std::string deb;
    for (const auto& entry : std::filesystem::directory_iterator(dir.file("out")))
        if (entry.path().extension() == ".deb")
            deb = entry.path().string();
    ASSERT_EQ(std::filesystem::path(deb).filename().string().rfind("kelvane-player_" KV_PLAYER_VERSION "_", 0), 0u)
        << deb;

    const ProgramResult contents = runProgram({"/usr/bin/dpkg-deb", "--contents", deb});
    for (const char* file : {"./usr/bin/kelvane-player", "./usr/bin/kvluac", "./usr/share/man/man6/kelvane-player.6.gz",
                             "./usr/share/applications/kelvane-player.desktop",
                             "./usr/share/icons/hicolor/128x128/apps/kelvane-player.png",
                             "./usr/share/kelvane-player/fonts.conf", "./usr/share/kelvane-player/image_missing.png",
                             "./usr/share/kelvane-player/examples/Demo.app/Contents/Resources/engine64.luo"})
        EXPECT_NE(contents.out.find(std::string(" ") + file + "\n"), std::string::npos) << file;
    // Linked libraries and the drivers and fonts loaded by name.
    const std::string depends = runProgram({"/usr/bin/dpkg-deb", "--field", deb, "Depends"}).out;
    for (const char* package : {"libsdl2-2.0-0", "libopenal1", "libgl1-mesa-dri", "libegl-mesa0", "fonts-dejavu-core"})
        EXPECT_NE(depends.find(package), std::string::npos) << package << " in " << depends;

    const std::string root = dir.file("root");
    ASSERT_EQ(runProgram({"/usr/bin/dpkg-deb", "--extract", deb, root}).status, 0);
    ProgramResult run = runProgram({root + "/usr/bin/kelvane-player", "--headless", "--frames", "60", "--screenshot",
                                    dir.file("shot.png"), "--save-dir", dir.file("save"),
                                    root + "/usr/share/kelvane-player/examples/Demo.app"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("Lua Error"), std::string::npos) << run.err;
    Picture shot(dir.file("shot.png"));
    EXPECT_EQ(shot.width(), 480);
}
