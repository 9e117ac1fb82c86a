// Decodes the video stream of a movie file into RGBA frames with FFmpeg.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

class KVMovieDecoder {
public:
    // Null, with a one-line reason, when the file has no decodable video.
    static std::unique_ptr<KVMovieDecoder> open(const std::string& path, std::string* error);
    ~KVMovieDecoder();
    KVMovieDecoder(const KVMovieDecoder&) = delete;
    KVMovieDecoder& operator=(const KVMovieDecoder&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }

    // The next frame: false at the end of the movie or on a decoding error.
    // The pixels are RGBA, top row first, width x 4 bytes a row; the time
    // is its presentation time in seconds from the start.
    bool nextFrame(std::vector<uint8_t>* rgba, double* seconds);

private:
    KVMovieDecoder() = default;
    bool receive(std::vector<uint8_t>* rgba, double* seconds);

    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    SwsContext* scale_ = nullptr;
    int stream_ = -1;
    int width_ = 0;
    int height_ = 0;
    double timeBase_ = 0;
    bool draining_ = false;
    long decoded_ = 0;
    double frameDuration_ = 1.0 / 30.0;
};
