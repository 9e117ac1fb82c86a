// Writes a film with FFmpeg: pictures as OpenGL reads them back and the
// interleaved float samples of the sound, into MP4 (H.264 and AAC) or WebM
// (VP9 and Opus). The file is written beside its final name and takes that
// name only when finish() succeeds, so a failed or interrupted film never
// replaces an earlier one. Made in two steps: create() when the film is
// asked for, start() once the first picture's size is known. One thread at
// a time uses an encoder.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwsContext;
class KVReplacingFile;

class KVVideoEncoder {
public:
    enum class Container { mp4, webm };
    // From the name's extension (any case); nothing for other names.
    static std::optional<Container> containerForPath(const std::string& path);

    struct Settings {
        // The pictures' usual size; an odd side loses its last column or row.
        int width = 0;
        int height = 0;
        // Frames per second as a fraction: 60/1 for a game at full rate.
        int rateNumerator = 60;
        int rateDenominator = 1;
        // The sound: 1 or 2 channels of floats; 0 channels for none.
        int sampleRate = 48000;
        int channels = 2;
    };

    // Null, with a one-line reason naming the file, when it cannot be made.
    static std::unique_ptr<KVVideoEncoder> create(const std::string& path, std::string* error);
    // Opens the codecs and writes the header; false, with a one-line
    // reason, when they cannot be opened.
    bool start(const Settings& settings, std::string* error);
    // Without finish(), the unfinished file is removed.
    ~KVVideoEncoder();
    KVVideoEncoder(const KVVideoEncoder&) = delete;
    KVVideoEncoder& operator=(const KVVideoEncoder&) = delete;

    const std::string& path() const { return path_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // A picture of RGBA pixels, bottom row first (`stride` bytes a row),
    // shown from frame `index` on (counted in frames of the film's rate;
    // indices rise, gaps hold the previous picture). A picture of another
    // size is scaled to the film's.
    bool addFrame(const uint8_t* rgba, int width, int height, int stride, int64_t index, std::string* error);
    // Sound following the sound before it: `frames` frames of interleaved
    // floats, as many channels as the settings say.
    bool addSound(const float* samples, int frames, std::string* error);
    // Drains the encoders, completes the file and gives it its name.
    bool finish(std::string* error);

private:
    KVVideoEncoder() = default;
    bool openVideo(Container container, const Settings& settings, std::string* error);
    bool openAudio(Container container, const Settings& settings, std::string* error);
    bool encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame, std::string* error);
    bool encodeSound(int frames, std::string* error);
    std::string failure(const std::string& what, int code) const;

    std::string path_;
    std::unique_ptr<KVReplacingFile> file_;
    Container container_ = Container::mp4;
    AVFormatContext* format_ = nullptr;
    bool headerWritten_ = false;
    bool finished_ = false;
    AVPacket* packet_ = nullptr;

    AVCodecContext* video_ = nullptr;
    AVStream* videoStream_ = nullptr;
    AVFrame* picture_ = nullptr;
    SwsContext* scale_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int naturalWidth_ = 0;
    int naturalHeight_ = 0;
    int64_t lastIndex_ = -1;

    AVCodecContext* audio_ = nullptr;
    AVStream* audioStream_ = nullptr;
    AVFrame* sound_ = nullptr;
    int channels_ = 0;
    std::vector<float> pending_;  // interleaved, less than one codec frame
    int64_t soundFrames_ = 0;      // sent to the codec so far
};
