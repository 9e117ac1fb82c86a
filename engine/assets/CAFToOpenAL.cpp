#include "engine/assets/CAFToOpenAL.h"

#include <sndfile.h>

#include <climits>
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

    if (bits > 8 && sf_command(file.get(), SFC_RAW_DATA_NEEDS_ENDSWAP, nullptr, 0) == SF_TRUE)
        return refuse(path, "big-endian samples are not supported");
    if ((bits != 8 && bits != 16) || (info.channels != 1 && info.channels != 2))
        return refuse(path, "OpenAL takes only 8- or 16-bit mono or stereo samples");
    const sf_count_t bytes = info.frames * info.channels * (bits / 8);
    if (info.frames < 0 || bytes > INT_MAX)
        return refuse(path, "too long for one OpenAL buffer");
    std::vector<unsigned char> data(static_cast<size_t>(bytes));
    if (sf_read_raw(file.get(), data.data(), bytes) != bytes)
        return refuse(path, "its sample bytes cannot be read");

    // OpenAL's 8-bit samples are unsigned.
    if ((info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_S8)
        for (unsigned char& sample : data)
            sample ^= 0x80;
    const ALenum format = bits == 16 ? (info.channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16)
                                     : (info.channels == 1 ? AL_FORMAT_MONO8 : AL_FORMAT_STEREO8);
    return KVMakeOpenALBuffer(format, data.data(), data.size(), info.samplerate, "CAFToOpenAL: alBufferData");
}
