// Decoded sound data in OpenAL buffers: a plain value copied through ports.
// Copies share the buffer array; only the asset that loaded it frees it.
#pragma once

#include <cstdint>

struct SGSound {
    uint32_t* buffers = nullptr;  // OpenAL buffer names; null when empty
    int32_t bufferCount = 0;
};

// The empty sound value of sound ports.
inline constexpr SGSound SGSoundNull{};
