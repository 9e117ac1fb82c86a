// Every other sound file (WAV, AIFF, MP3, M4A/AAC, FLAC, compressed CAF),
// decoded through FFmpeg.
#pragma once

#include <cstdint>

// Decodes the whole file mixed down to mono 16-bit at its own rate and
// uploads it as one OpenAL buffer; answers the one-element buffer array
// (delete[]). Throws KVSoundLoadError when the file cannot be decoded or has
// more than two channels.
uint32_t* ExtAudioFileToOpenAL(const char* path);
