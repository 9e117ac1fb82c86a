// Core Audio Format files holding linear PCM, uploaded as they are stored.
#pragma once

#include <cstdint>

// 8- or 16-bit little-endian mono or stereo samples go into one OpenAL
// buffer byte for byte (8-bit ones made unsigned, as OpenAL takes them);
// big-endian, wider and floating-point ones are converted to 16-bit, so
// that every linear PCM file plays. A CAF of any other encoding goes
// through ExtAudioFileToOpenAL. More than two channels give null, with one
// line on standard error. Throws KVSoundLoadError when the file cannot be
// read.
uint32_t* CAFToOpenAL(const char* path);
