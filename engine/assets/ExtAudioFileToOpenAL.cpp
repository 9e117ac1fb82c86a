#include "engine/assets/ExtAudioFileToOpenAL.h"

#include <memory>
#include <string>
#include <vector>

#include "engine/assets/KVOpenALBuffer.h"
#include "engine/assets/KVSoundLoadError.h"
#include "platform/media/KVAudioDecoder.h"

uint32_t* ExtAudioFileToOpenAL(const char* path)
{
    std::string error;
    std::unique_ptr<KVAudioDecoder> decoder = KVAudioDecoder::open(path, 1, &error);
    if (!decoder)
        throw KVSoundLoadError(error);
    if (decoder->sourceChannels() > 2)
        throw KVSoundLoadError(path, std::to_string(decoder->sourceChannels()) + " channels; only mono and stereo are mixed down");
    std::vector<int16_t> samples;
    if (!decoder->readAll(&samples))
        throw KVSoundLoadError(decoder->error());
    return KVMakeOpenALBuffer(AL_FORMAT_MONO16, samples.data(), samples.size() * sizeof(int16_t),
                              decoder->sampleRate(), "ExtAudioFileToOpenAL: alBufferData");
}
