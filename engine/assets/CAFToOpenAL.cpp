#include "engine/assets/CAFToOpenAL.h"

#include <sndfile.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <vector>

#include "engine/assets/ExtAudioFileToOpenAL.h"
#include "engine/assets/KVOpenALBuffer.h"
#include "engine/assets/KVSoundLoadError.h"

namespace {

class SoundFile {
public:
    explicit SoundFile(const char* path) : file_(sf_open(path, SFM_READ, &info_)) {}
    ~SoundFile()
    {
        if (file_)
            sf_close(file_);
    }
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    SNDFILE* get() const { return file_; }
    const SF_INFO& info() const { return info_; }

private:
    SF_INFO info_{};
    SNDFILE* file_;
};

// Bits per sample of the linear PCM encodings; 0 for any other encoding.
int pcmBits(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8: return 8;
    case SF_FORMAT_PCM_16: return 16;
    case SF_FORMAT_PCM_24: return 24;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT: return 32;
    case SF_FORMAT_DOUBLE: return 64;
    default: return 0;
    }
}

uint32_t* refuse(const char* path, const char* why)
{
    fprintf(stderr, "%s: %s; the sound stays empty\n", path, why);
    return nullptr;
}

}  // namespace

uint32_t* CAFToOpenAL(const char* path)
{
    const SoundFile file(path);
    // What the platform's audio files open but this reader does not (a
    // compressed CAF) is left to the converter.
    if (!file.get())
        return ExtAudioFileToOpenAL(path);
    const SF_INFO& info = file.info();
    const int bits = pcmBits(info.format);
    if (bits == 0)
        return ExtAudioFileToOpenAL(path);

    if (info.channels != 1 && info.channels != 2)
        return refuse(path, "OpenAL takes only mono or stereo samples");
    const ALenum format16 = info.channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
    const bool asStored =
        bits == 8 || (bits == 16 && sf_command(file.get(), SFC_RAW_DATA_NEEDS_ENDSWAP, nullptr, 0) != SF_TRUE);
    const sf_count_t bytes = info.frames * info.channels * (asStored ? bits / 8 : 2);
    if (info.frames < 0 || bytes > INT_MAX)
        return refuse(path, "too long for one OpenAL buffer");
    if (!asStored) {
        // Big-endian, wider or floating-point samples, as Mac tools write
        // them by default: read as floats (-1 to 1), made 16-bit here.
        std::vector<float> samples(static_cast<size_t>(info.frames * info.channels));
        if (sf_readf_float(file.get(), samples.data(), info.frames) != info.frames)
            return refuse(path, "its samples cannot be read");
        std::vector<int16_t> converted(samples.size());
        for (size_t i = 0; i < samples.size(); ++i)
            converted[i] = static_cast<int16_t>(std::lround(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f));
        return KVMakeOpenALBuffer(format16, converted.data(), converted.size() * sizeof(int16_t), info.samplerate,
                                  "CAFToOpenAL: alBufferData");
    }
    std::vector<unsigned char> data(static_cast<size_t>(bytes));
    if (sf_read_raw(file.get(), data.data(), bytes) != bytes)
        return refuse(path, "its sample bytes cannot be read");

    // OpenAL's 8-bit samples are unsigned.
    if ((info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_S8)
        for (unsigned char& sample : data)
            sample ^= 0x80;
    const ALenum format = bits == 16 ? format16 : (info.channels == 1 ? AL_FORMAT_MONO8 : AL_FORMAT_STEREO8);
    return KVMakeOpenALBuffer(format, data.data(), data.size(), info.samplerate, "CAFToOpenAL: alBufferData");
}
