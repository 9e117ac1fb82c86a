// Decoded sound data in OpenAL buffers: a plain value copied through ports.
// Copies share the buffer array; only the asset that loaded it frees it.
#pragma once

#include <cstdint>

struct SGSound {
    uint32_t* buffers = nullptr;  // OpenAL buffer names; null when empty
    int32_t bufferCount = 0;

    // Decodes the whole file, found as the Mac's disk found it
    // (KVFileLookup), into one OpenAL buffer. The content chooses the
    // decoder, whatever the name says: Ogg Vorbis as it is; CAF of linear
    // PCM in 8 or 16 bits as stored, of wider or big-endian samples as
    // 16-bit; anything else, and compressed CAF, through the converter,
    // mixed down to mono 16-bit at the file's rate. A layout OpenAL cannot
    // take leaves the sound empty; a file that cannot be opened or decoded
    // throws KVSoundLoadError, the sound still empty. Answers true. Needs a
    // current OpenAL context.
    bool loadFromFile(const char* path);
    // Deletes the buffers and the array, and empties the sound.
    void freeSound();
};

// The empty sound value of sound ports.
inline constexpr SGSound SGSoundNull{};
