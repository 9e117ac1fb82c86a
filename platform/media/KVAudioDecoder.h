// Decodes the first audio stream of a sound file (AAC/M4A, MP3, Ogg, WAV,
// FLAC, CAF, ...) with FFmpeg into interleaved signed 16-bit frames at the
// file's own sample rate, mixed to the channel count asked for (1 or 2).
// Bad files never crash: open answers null and reading stops, each with a
// one-line message that names the file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

class KVAudioDecoder {
public:
    // channels is 1 or 2. Null, with the reason in *error, when the file has
    // no audio that can be decoded.
    static std::unique_ptr<KVAudioDecoder> open(const std::string& path, int channels, std::string* error);
    ~KVAudioDecoder();
    KVAudioDecoder(const KVAudioDecoder&) = delete;
    KVAudioDecoder& operator=(const KVAudioDecoder&) = delete;

    const std::string& path() const { return path_; }
    int channels() const { return channels_; }              // of the frames read
    int sourceChannels() const { return sourceChannels_; }  // of the file
    int sampleRate() const { return sampleRate_; }
    // Seconds, from the container; 0 when it does not say.
    double duration() const { return duration_; }

    // Fills up to maxFrames frames (channels() samples each) and answers how
    // many were written: fewer only at the end of the file or on an error,
    // 0 once everything has been read. failed() tells the two apart.
    long read(int16_t* frames, long maxFrames);
    // Every frame left, appended to *samples. False on an error, or when the
    // whole sound would exceed maxBytes (what one OpenAL buffer can hold by
    // default).
    bool readAll(std::vector<int16_t>* samples, int64_t maxBytes = INT32_MAX);
    // Starts again from the first frame (by opening the file again, which
    // gives exactly the same frames in every container). False, with
    // error() set, when the file cannot be opened again.
    bool rewind();

    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }

private:
    KVAudioDecoder(std::string path, int channels) : path_(std::move(path)), channels_(channels) {}
    bool openFile(std::string* error);
    void closeFile();
    bool decodeMore();
    bool convert(const AVFrame* frame);
    bool configureResampler(const AVFrame* frame);
    void fail(const std::string& what);

    std::string path_;
    int channels_;
    int sourceChannels_ = 0;
    int sampleRate_ = 0;
    double duration_ = 0;
    std::string error_;

    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    SwrContext* resampler_ = nullptr;
    int stream_ = -1;
    // What the resampler was set up for: a stream may change mid-way.
    int resamplerRate_ = 0;
    int resamplerFormat_ = -1;
    int resamplerChannels_ = 0;
    int resamplerOutChannels_ = 0;
    uint64_t resamplerMask_ = 0;
    bool draining_ = false;
    bool ended_ = false;
    // Decoded frames not yet handed out.
    std::vector<int16_t> pending_;
    size_t pendingOffset_ = 0;  // in samples
};
