// Which OpenAL back end a headless run asks for, and the silent output
// that stands in when no device opens.
#include <gtest/gtest.h>

#include <AL/alc.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/media/KVSoundOutput.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/SoundTestOutput.h"
#include "tests/support/TempDir.h"

namespace {

std::string drivers()
{
    const char* value = std::getenv("ALSOFT_DRIVERS");
    return value ? value : "<unset>";
}

TEST(KVSoundOutput, HeadlessRunsPickTheNullBackEndUnlessTheUserChose)
{
    TempDir dir;
    ScopedEnvironment env;
    env.set("HOME", dir.path().c_str());
    env.set("XDG_CONFIG_HOME", dir.file("config").c_str());
    env.set("XDG_CONFIG_DIRS", dir.file("etc").c_str());
    env.set("ALSOFT_CONF", dir.file("other.conf").c_str());
    const struct {
        const char* drivers;  // in the environment
        const char* file;
        const char* contents;
        const char* expected;
    } cases[] = {
        {nullptr, nullptr, nullptr, "null"},  // no configuration anywhere
        {"pulse,alsa", nullptr, nullptr, "pulse,alsa"},
        {nullptr, "other.conf", "[wave]\ndrivers = wave\n", "null"},  // only the general section counts
        {nullptr, ".alsoftrc", "# mine\n[general]\n  drivers = wave  \n[wave]\nfile = /dev/null\n", "<unset>"},
    };
    for (const auto& c : cases) {
        if (c.file)
            writeFile(dir.file(c.file), c.contents);
        env.set("ALSOFT_DRIVERS", c.drivers);
        KVSoundOutput::chooseHeadlessDriver();
        EXPECT_EQ(drivers(), c.expected) << (c.file ? c.file : c.drivers ? c.drivers : "nothing");
    }
}

// Each context a game makes (the sounds', every music track's) may be
// created while a loopback device mixes on another thread (the silent
// output's, a recording's); creating one resets the device, which must wait
// for the mix in progress.
TEST(KVSoundOutput, ContextsComeAndGoWhileALoopbackDeviceMixes)
{
    ASSERT_TRUE(soundTestOutputReady());
    ALCdevice* device = KVSoundOutput::device();
    std::atomic<bool> done{false};
    std::thread mixer([&] {
        while (!done.load())
            renderSound(256);
    });
    int created = 0;
    for (int i = 0; i < 200; ++i) {
        if (ALCcontext* context = KVSoundOutput::createContext(device)) {
            ++created;
            alcDestroyContext(context);
        }
    }
    done.store(true);
    mixer.join();
    EXPECT_EQ(created, 200);
}

}  // namespace
