#include "engine/scenegraph/SGSound.h"

#include <AL/al.h>

#include <cstring>
#include <string>

#include "engine/assets/CAFToOpenAL.h"
#include "engine/assets/ExtAudioFileToOpenAL.h"
#include "engine/assets/OggToOpenAL.h"
#include "platform/files/KVFileLookup.h"
#include "platform/media/KVCheckALError.h"

namespace {

// Case-sensitive, as the loader has always chosen its decoder.
bool hasSuffix(const char* text, const char* suffix)
{
    const size_t textLength = strlen(text);
    const size_t suffixLength = strlen(suffix);
    return suffixLength <= textLength && memcmp(text + textLength - suffixLength, suffix, suffixLength) == 0;
}

}  // namespace

bool SGSound::loadFromFile(const char* path)
{
    buffers = nullptr;
    bufferCount = 0;
    const std::string found = KVFileLookup::shared().find(path);
    path = found.c_str();
    uint32_t* loaded = hasSuffix(path, ".ogg")   ? OggToOpenAL(path)
                       : hasSuffix(path, ".caf") ? CAFToOpenAL(path)
                                                 : ExtAudioFileToOpenAL(path);
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
