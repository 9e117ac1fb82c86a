#include "platform/media/KVSoundOutput.h"

#include <AL/alext.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/objects/KVLogLine.h"

namespace {

constexpr int kFallbackRate = 44100;
constexpr int kFallbackChannels = 2;
constexpr int kRenderFrames = 1024;

struct Output {
    std::mutex mutex;
    ALCdevice* device = nullptr;
    bool loopback = false;
    bool manual = false;
    int channels = 0;
    ALCint attributes[7] = {};
    std::thread renderer;
    std::atomic<bool> stopping{false};
    // Held while a loopback device mixes: a context created with attributes
    // resets the device's mixing buffers, which must not happen mid-mix.
    std::mutex mixing;

    // Runs at exit, before OpenAL's own clean-up (which was set up first):
    // the render thread must not outlive the device it renders. Closing the
    // device (with the contexts left on it) finishes a wave recording.
    ~Output()
    {
        stopping.store(true);
        if (renderer.joinable())
            renderer.join();
        if (device) {
            alcMakeContextCurrent(nullptr);
            alcCloseDevice(device);
        }
    }
};

Output& output()
{
    static Output o;
    return o;
}

ALCdevice* openLoopback(Output& o, int rate, int channels)
{
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback"))
        return nullptr;
    auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    if (!open)
        return nullptr;
    ALCdevice* device = open(nullptr);
    if (!device)
        return nullptr;
    const ALCint format[] = {ALC_FORMAT_CHANNELS_SOFT, channels == 1 ? ALC_MONO_SOFT : ALC_STEREO_SOFT,
                             ALC_FORMAT_TYPE_SOFT,     ALC_FLOAT_SOFT,
                             ALC_FREQUENCY,            rate,
                             0};
    // A loopback device takes its format from its first context, and cannot
    // render before it has one: this one is made at once and kept.
    ALCcontext* anchor = alcCreateContext(device, format);
    if (!anchor) {
        alcCloseDevice(device);
        return nullptr;
    }
    std::copy(std::begin(format), std::end(format), o.attributes);
    o.loopback = true;
    o.channels = channels;
    return device;
}

// Plays the loopback device into nothing at the pace of real time.
void renderInRealTime(Output* o, ALCdevice* device, int rate, int channels)
{
    auto render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(device, "alcRenderSamplesSOFT"));
    if (!render)
        return;
    std::vector<float> scratch(static_cast<size_t>(kRenderFrames * channels));
    const auto period = std::chrono::microseconds(static_cast<long long>(kRenderFrames) * 1000000 / rate);
    auto next = std::chrono::steady_clock::now();
    while (!o->stopping.load()) {
        {
            std::lock_guard<std::mutex> hold(o->mixing);
            render(device, scratch.data(), kRenderFrames);
        }
        next += period;
        const auto now = std::chrono::steady_clock::now();
        // After a long stall, catch up without a burst.
        if (next < now - period * 8)
            next = now;
        std::this_thread::sleep_until(next);
    }
}

// The value of `key` in the general section of an OpenAL Soft
// configuration file, or "" when the file does not set it.
std::string configValueIn(const std::string& path, const std::string& wanted)
{
    std::ifstream in(path);
    std::string line, section, value;
    while (std::getline(in, line)) {
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        if (line[first] == '[') {
            const size_t close = line.find(']', first);
            section = line.substr(first + 1, close == std::string::npos ? std::string::npos : close - first - 1);
            continue;
        }
        if (!section.empty() && section != "general")
            continue;
        const size_t eq = line.find('=', first);
        if (eq == std::string::npos)
            continue;
        std::string key = line.substr(first, eq - first);
        key.erase(key.find_last_not_of(" \t") + 1);
        if (key != wanted)
            continue;
        const size_t start = line.find_first_not_of(" \t", eq + 1);
        value = start == std::string::npos || line[start] == '#' ? "" : line.substr(start);
        value.erase(value.find_last_not_of(" \t\r") + 1);
    }
    return value;
}

std::string envOr(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

// What the user's OpenAL Soft configuration files set for `key`, read in
// the order OpenAL Soft reads them (a later file wins); "" when unset.
std::string userConfigValue(const std::string& key)
{
    const std::string home = envOr("HOME", "");
    std::vector<std::string> files = {"/etc/openal/alsoft.conf"};
    const std::string dirs = envOr("XDG_CONFIG_DIRS", "/etc/xdg");
    for (size_t start = 0; start <= dirs.size();) {
        const size_t colon = dirs.find(':', start);
        const std::string dir = dirs.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (!dir.empty())
            files.push_back(dir + "/alsoft.conf");
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    if (!home.empty())
        files.push_back(home + "/.alsoftrc");
    files.push_back(envOr("XDG_CONFIG_HOME", home + "/.config") + "/alsoft.conf");
    files.push_back(envOr("ALSOFT_CONF", ""));
    std::string value;
    for (const std::string& file : files) {
        if (file.empty())
            continue;
        const std::string set = configValueIn(file, key);
        if (!set.empty())
            value = set;
    }
    return value;
}

}  // namespace

ALCdevice* KVSoundOutput::device()
{
    Output& o = output();
    std::lock_guard<std::mutex> lock(o.mutex);
    if (o.device)
        return o.device;
    o.device = alcOpenDevice(nullptr);
    if (o.device)
        return o.device;
    const ALCenum error = alcGetError(nullptr);
    o.device = openLoopback(o, kFallbackRate, kFallbackChannels);
    if (!o.device) {
        KVLogLine("No sound device can be opened (OpenAL context error %d); the game runs without sound", error);
        return nullptr;
    }
    KVLogLine("No sound device can be opened (OpenAL context error %d); the game runs silently", error);
    o.renderer = std::thread(renderInRealTime, &o, o.device, kFallbackRate, kFallbackChannels);
    return o.device;
}

ALCcontext* KVSoundOutput::createContext(ALCdevice* device)
{
    Output& o = output();
    const ALCint* attributes;
    {
        std::lock_guard<std::mutex> lock(o.mutex);
        attributes = o.loopback ? o.attributes : nullptr;
    }
    std::lock_guard<std::mutex> hold(o.mixing);
    return alcCreateContext(device, attributes);
}

bool KVSoundOutput::isLoopback()
{
    Output& o = output();
    std::lock_guard<std::mutex> lock(o.mutex);
    return o.loopback;
}

bool KVSoundOutput::useManualLoopback(int rate, int channels)
{
    Output& o = output();
    std::lock_guard<std::mutex> lock(o.mutex);
    if (o.device || rate < 1 || (channels != 1 && channels != 2))
        return false;
    o.device = openLoopback(o, rate, channels);
    o.manual = o.device != nullptr;
    return o.manual;
}

bool KVSoundOutput::render(float* out, int frames)
{
    Output& o = output();
    ALCdevice* device;
    {
        std::lock_guard<std::mutex> lock(o.mutex);
        if (!o.manual || frames < 0)
            return false;
        device = o.device;
    }
    auto renderSamples = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(device, "alcRenderSamplesSOFT"));
    if (!renderSamples)
        return false;
    std::lock_guard<std::mutex> hold(o.mixing);
    renderSamples(device, out, frames);
    return true;
}

bool KVSoundOutput::isMonoOutput()
{
    {
        Output& o = output();
        std::lock_guard<std::mutex> lock(o.mutex);
        if (o.loopback)
            return o.channels == 1;
    }
    return userConfigValue("channels") == "mono";
}

void KVSoundOutput::chooseHeadlessDriver()
{
    if (envOr("ALSOFT_DRIVERS", "").empty() && userConfigValue("drivers").empty())
        setenv("ALSOFT_DRIVERS", "null", 1);
}
