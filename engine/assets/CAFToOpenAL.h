// Core Audio Format files holding linear PCM, uploaded as they are stored.
#pragma once

#include <cstdint>

// 8- or 16-bit mono or stereo samples go into one OpenAL buffer byte for
// byte (8-bit ones made unsigned, as OpenAL takes them). A CAF of any other
// encoding goes through ExtAudioFileToOpenAL. Layouts OpenAL cannot take
// (big-endian or wider samples, more channels) give null, with one line on
// standard error. Throws KVSoundLoadError when the file cannot be read.
uint32_t* CAFToOpenAL(const char* path);
