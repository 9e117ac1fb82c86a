// Ogg Vorbis files decoded whole into one OpenAL buffer.
#pragma once

#include <cstdint>

// Decodes every sample to 16-bit PCM in 131072-byte chunks, then uploads
// them as one mono or stereo buffer at the stream's rate. Answers the
// one-element buffer array (delete[]); throws KVSoundLoadError when the file
// cannot be opened as Ogg Vorbis or has more than two channels.
uint32_t* OggToOpenAL(const char* path);
