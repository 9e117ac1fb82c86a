// The music functions the rest of the system uses; each acts on the shared
// music manager.
#pragma once

// path may be null (no piece); only the low 8 bits of looping count, so 256
// plays once.
void KVPlayAACFile(const char* path, int looping);
void KVPauseAACFile();
void KVStopAACFile();
void SetAACFileVolume(float volume);
bool IsAACFilePlaying();
