// The process's OpenAL output device: opened once, on first use, and never
// closed. The user's OpenAL configuration decides the device; when none can
// be opened (no sound card, no sound server) the game still runs, silently,
// on a loopback device that a small thread renders in real time, so sources
// start, play for their length and stop as they would with sound.
#pragma once

#include <AL/alc.h>

#include <cstdint>

class KVSoundOutput {
public:
    // The device, opened on the first call; null only when OpenAL cannot
    // even give a loopback device. Each call after a failure tries again.
    static ALCdevice* device();
    // A new context on device(), created with the format a loopback device
    // needs and never while the device mixes; null on failure.
    static ALCcontext* createContext(ALCdevice* device);
    static bool isLoopback();
    // Whether the output has a single channel (as the user's configuration
    // may ask), where channels cannot go straight to left and right.
    static bool isMonoOutput();

    // Before the first device() call: a loopback device of float samples
    // that the caller renders with render() (tests, recording). False when
    // a device is already open or OpenAL has no loopback devices.
    static bool useManualLoopback(int rate, int channels);
    // Mixes the next `frames` frames of the manual loopback device into
    // `out` (channels floats a frame). False on any other device.
    static bool render(float* out, int frames);

    // Headless runs play into OpenAL's null back end, unless the user chose
    // a back end in the environment or in an OpenAL configuration file.
    // Call before any OpenAL call.
    static void chooseHeadlessDriver();
};
