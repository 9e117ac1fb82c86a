// Which OpenAL back end a headless run asks for.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "platform/media/KVSoundOutput.h"
#include "tests/support/TempDir.h"

namespace {

// Sets environment variables for one test and puts the old values back.
class Environment {
public:
    void set(const std::string& name, const char* value)
    {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old ? std::make_pair(true, std::string(old)) : std::make_pair(false, std::string());
        }
        if (value)
            setenv(name.c_str(), value, 1);
        else
            unsetenv(name.c_str());
    }
    ~Environment()
    {
        for (const auto& [name, old] : saved_) {
            if (old.first)
                setenv(name.c_str(), old.second.c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::pair<bool, std::string>> saved_;
};

std::string drivers()
{
    const char* value = std::getenv("ALSOFT_DRIVERS");
    return value ? value : "<unset>";
}

TEST(KVSoundOutput, HeadlessRunsPickTheNullBackEndUnlessTheUserChose)
{
    TempDir dir;
    Environment env;
    // No configuration anywhere: the null back end.
    env.set("HOME", dir.path().c_str());
    env.set("XDG_CONFIG_HOME", dir.file("config").c_str());
    env.set("XDG_CONFIG_DIRS", dir.file("etc").c_str());
    env.set("ALSOFT_CONF", nullptr);
    env.set("ALSOFT_DRIVERS", nullptr);
    KVSoundOutput::chooseHeadlessDriver();
    EXPECT_EQ(drivers(), "null");

    // Chosen in the environment.
    env.set("ALSOFT_DRIVERS", "pulse,alsa");
    KVSoundOutput::chooseHeadlessDriver();
    EXPECT_EQ(drivers(), "pulse,alsa");

    // Chosen in a configuration file, in its general section only.
    env.set("ALSOFT_DRIVERS", nullptr);
    writeFile(dir.file("other.conf"), "[wave]\ndrivers = wave\n");
    env.set("ALSOFT_CONF", dir.file("other.conf").c_str());
    KVSoundOutput::chooseHeadlessDriver();
    EXPECT_EQ(drivers(), "null");
    env.set("ALSOFT_DRIVERS", nullptr);
    writeFile(dir.file(".alsoftrc"), "# mine\n[general]\n  drivers = wave  \n[wave]\nfile = /dev/null\n");
    KVSoundOutput::chooseHeadlessDriver();
    EXPECT_EQ(drivers(), "<unset>");
}

}  // namespace
