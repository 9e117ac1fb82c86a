// `cmake --install` into a temporary prefix, and the installed player run
// from there, as a user who installed it would run it.
#include <gtest/gtest.h>

#include "tests/support/Picture.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

TEST(Install, PutsThePlayerItsResourcesAMenuEntryAndAnIconWhereDesktopsLook)
{
    TempDir dir;
    const std::string prefix = dir.file("usr");
    ProgramResult install = runProgram({KV_CMAKE_COMMAND, "--install", KV_BUILD_DIR, "--prefix", prefix});
    ASSERT_EQ(install.status, 0) << install.out << install.err;

    for (const char* file : {"bin/kelvane-player", "bin/kvluac", "share/kelvane-player/image_missing.png",
                             "share/kelvane-player/fonts.conf", "share/man/man6/kelvane-player.6.gz",
                             "share/kelvane-player/examples/Demo.app/Contents/Resources/engine64.luo"})
        EXPECT_TRUE(fileExists(prefix + "/" + file)) << file;

    const std::string entry = readFile(prefix + "/share/applications/kelvane-player.desktop");
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u) << entry;
    EXPECT_NE(entry.find("\nExec=kelvane-player %f\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=kelvane-player\n"), std::string::npos) << entry;
    Picture icon(prefix + "/share/icons/hicolor/128x128/apps/kelvane-player.png");
    EXPECT_EQ(icon.width(), 128);
    EXPECT_EQ(icon.height(), 128);

    // The installed programs find their resources beside them: the demo
    // plays, and kvluac precompiles a script the player then runs.
    ProgramResult demo = runProgram({prefix + "/bin/kelvane-player", "--headless", "--frames", "3", "--save-dir",
                                     dir.file("save"), prefix + "/share/kelvane-player/examples/Demo.app"});
    EXPECT_EQ(demo.status, 0) << demo.err;
    EXPECT_EQ(demo.out.find("Lua Error"), std::string::npos) << demo.out;
    EXPECT_EQ(demo.err.find("Lua Error"), std::string::npos) << demo.err;

    writeFile(dir.file("hello.lua"), "function initEngine() print('precompiled ' .. 0.5) end\n");
    ProgramResult luac = runProgram({prefix + "/bin/kvluac", "-o", dir.file("engine64.luo"), dir.file("hello.lua")});
    ASSERT_EQ(luac.status, 0) << luac.err;
    EXPECT_EQ(readFile(dir.file("engine64.luo")).substr(0, 12), std::string("\x1bLuaQ\0\1\4\x08\4\4\0", 12));
}
