// Fuzz target for sound files through the loader a sound asset uses, which
// picks the decoder by content (CAF reader, Ogg Vorbis, FFmpeg for the rest)
// and fills OpenAL buffers of the null output. A file either gives a sound
// or is refused with the loader's exception; the buffers are freed again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include <unistd.h>

#include "engine/audio/SoundManager.h"
#include "engine/scenegraph/SGSound.h"
#include "platform/media/KVSoundOutput.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    KVSoundOutput::chooseHeadlessDriver();
    static SoundManager manager;  // opens the output and makes its context current
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/sound_decoder_fuzz." + std::to_string(getpid()) + ".wav";
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    } else {
        std::abort();
    }
    SGSound sound = SGSoundNull;
    try {
        sound.loadFromFile(path.c_str());
    } catch (const std::exception&) {
        if (sound.buffers)
            std::abort();  // a refused file leaves the sound empty
    }
    sound.freeSound();
    return 0;
}
