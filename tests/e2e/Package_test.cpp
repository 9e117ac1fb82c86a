// The Debian package made from this build: what it holds, what it depends
// on, and the player and kvluac run from its unpacked tree as installed
// ones run, finding their resources beside them.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/Picture.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

TEST(Package, HoldsThePlayerItsResourcesMenuEntryAndIconAndRunsUnpacked)
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

    const std::string usr = dir.file("root/usr");
    ASSERT_EQ(runProgram({"/usr/bin/dpkg-deb", "--extract", deb, dir.file("root")}).status, 0);
    const std::string entry = readFile(usr + "/share/applications/kelvane-player.desktop");
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u) << entry;
    EXPECT_NE(entry.find("\nExec=kelvane-player %f\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=kelvane-player\n"), std::string::npos) << entry;
    const Picture icon(usr + "/share/icons/hicolor/128x128/apps/kelvane-player.png");
    EXPECT_EQ(icon.width(), 128);
    EXPECT_EQ(icon.height(), 128);

    ProgramResult run = runProgram({usr + "/bin/kelvane-player", "--headless", "--frames", "60", "--screenshot",
                                    dir.file("shot.png"), "--save-dir", dir.file("save"),
                                    usr + "/share/kelvane-player/examples/Demo.app"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("Lua Error"), std::string::npos) << run.err;
    EXPECT_EQ(Picture(dir.file("shot.png")).width(), 480);

    // kvluac precompiles a script for the player's Lua.
    writeFile(dir.file("hello.lua"), "function initEngine() print('precompiled ' .. 0.5) end\n");
    ProgramResult luac = runProgram({usr + "/bin/kvluac", "-o", dir.file("engine64.luo"), dir.file("hello.lua")});
    ASSERT_EQ(luac.status, 0) << luac.err;
    EXPECT_EQ(readFile(dir.file("engine64.luo")).substr(0, 12), std::string("\x1bLuaQ\0\1\4\x08\4\4\0", 12));
}
