#include "engine/assets/OggToOpenAL.h"

#include <vorbis/vorbisfile.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/assets/KVOpenALBuffer.h"
#include "engine/assets/KVSoundLoadError.h"

namespace {

constexpr size_t kChunkBytes = 0x20000;
// A read error that keeps coming back at the same place would otherwise be
// retried for ever.
constexpr int kRetriesAtOnePlace = 4;

struct Chunk {
    std::unique_ptr<char[]> data{new char[kChunkBytes]};
    size_t filled = 0;
};

class OggFile {
public:
    explicit OggFile(const char* path)
    {
        const int status = ov_fopen(path, &file_);
        if (status != 0)
            throw KVSoundLoadError(path, status == OV_ENOTVORBIS ? "not an Ogg Vorbis file" : "cannot open it as Ogg Vorbis");
    }
    ~OggFile() { ov_clear(&file_); }
    OggFile(const OggFile&) = delete;
    OggFile& operator=(const OggFile&) = delete;

    OggVorbis_File* get() { return &file_; }

private:
    OggVorbis_File file_;
};

// Decodes into chunks until the stream ends (or keeps failing at one
// place); answers the bytes decoded.
size_t decode(OggVorbis_File* file, const char* path, std::vector<Chunk>* chunks)
{
    size_t total = 0;
    int failures = 0;
    int bitstream = 0;
    for (;;) {
        chunks->emplace_back();
        Chunk& chunk = chunks->back();
        while (chunk.filled < kChunkBytes) {
            const long got = ov_read(file, chunk.data.get() + chunk.filled, static_cast<int>(kChunkBytes - chunk.filled),
                                     0, 2, 1, &bitstream);
            if (got == 0)
                return total;
            if (got < 0) {
                printf("Ogg read had an error\n");
                if (++failures < kRetriesAtOnePlace)
                    continue;
                fprintf(stderr, "%s: Ogg read failed %d times at one place; keeping the %zu bytes decoded before it\n",
                        path, failures, total);
                return total;
            }
            failures = 0;
            chunk.filled += static_cast<size_t>(got);
            total += static_cast<size_t>(got);
            if (total > INT_MAX)
                throw KVSoundLoadError(path, "more decoded sound than one OpenAL buffer holds");
        }
    }
}

}  // namespace

uint32_t* OggToOpenAL(const char* path)
{
    OggFile file(path);
    const vorbis_info* info = ov_info(file.get(), -1);
    if (!info)
        throw KVSoundLoadError(path, "no stream information");
    // Uploading them as stereo would play the channels' samples in turn.
    if (info->channels > 2)
        throw KVSoundLoadError(path, std::to_string(info->channels) + " channels; only mono and stereo can be played");

    std::vector<Chunk> chunks;
    const size_t total = decode(file.get(), path, &chunks);
    info = ov_info(file.get(), -1);

    std::vector<char> block(total);
    size_t offset = 0;
    for (const Chunk& chunk : chunks) {
        std::copy(chunk.data.get(), chunk.data.get() + chunk.filled, block.data() + offset);
        offset += chunk.filled;
    }
    return KVMakeOpenALBuffer(info->channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, block.data(), total,
                              static_cast<int>(info->rate), "makeOpenALBuffers: alBufferData");
}
