#include "engine/scenegraph/SGSound.h"

#include <AL/al.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "engine/assets/CAFToOpenAL.h"
#include "engine/assets/ExtAudioFileToOpenAL.h"
#include "engine/assets/KVSoundLoadError.h"
#include "engine/assets/OggToOpenAL.h"
#include "platform/files/KVFileLookup.h"
#include "platform/media/KVCheckALError.h"

namespace {

// The file's first bytes: what it holds, whatever its name says.
bool startsWith(const std::string& path, const char* magic)
{
    char head[4] = {};
    FILE* file = fopen(path.c_str(), "rb");
    const bool read = file && fread(head, 1, sizeof head, file) == sizeof head;
    if (file)
        fclose(file);
    return read && memcmp(head, magic, sizeof head) == 0;
}

}  // namespace

bool SGSound::loadFromFile(const char* path)
{
    buffers = nullptr;
    bufferCount = 0;
    const std::string found = KVFileLookup::shared().find(path);
    path = found.c_str();
    uint32_t* loaded = nullptr;
    if (startsWith(found, "OggS")) {
        try {
            loaded = OggToOpenAL(path);
        } catch (const KVSoundLoadError&) {
            // Not Vorbis (Opus, FLAC in Ogg), or more channels than it
            // plays: the converter decodes and mixes what it can.
            loaded = ExtAudioFileToOpenAL(path);
        }
    } else {
        loaded = startsWith(found, "caff") ? CAFToOpenAL(path) : ExtAudioFileToOpenAL(path);
    }
    if (loaded) {
        buffers = loaded;
        bufferCount = 1;
    }
    return true;
}

void SGSound::freeSound()
{
    KVCheckALError("~SGSound");
    if (bufferCount >= 1 && buffers) {
        alDeleteBuffers(bufferCount, buffers);
        KVCheckALError("~SGSound: alDeleteBuffers");
        delete[] buffers;
    }
    buffers = nullptr;
    bufferCount = 0;
}
