#include "engine/assets/KVOpenALBuffer.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/media/KVCheckALError.h"

namespace {

std::mutex waitingMutex;
std::vector<ALuint> waiting;  // buffers a source still used when their sound was freed

// False while a source uses the buffer: OpenAL then refuses to delete it.
bool deleteUnlessUsed(ALuint buffer)
{
    if (!alIsBuffer(buffer))
        return true;
    alDeleteBuffers(1, &buffer);
    return alGetError() == AL_NO_ERROR;
}

}  // namespace

uint32_t* KVMakeOpenALBuffer(ALenum format, const void* data, size_t bytes, int frequency, const char* label)
{
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    alBufferData(buffer, format, data, static_cast<ALsizei>(bytes), frequency);
    KVCheckALError(label);
    return new uint32_t[1]{buffer};
}

void KVDeleteOpenALBuffers(const uint32_t* buffers, int count)
{
    std::lock_guard<std::mutex> lock(waitingMutex);
    for (int i = 0; i < count; ++i)
        if (!deleteUnlessUsed(buffers[i]))
            waiting.push_back(buffers[i]);
}

void KVDeleteUnusedOpenALBuffers()
{
    std::lock_guard<std::mutex> lock(waitingMutex);
    if (waiting.empty())
        return;
    KVCheckALError("KVDeleteUnusedOpenALBuffers");
    waiting.erase(std::remove_if(waiting.begin(), waiting.end(), deleteUnlessUsed), waiting.end());
}
