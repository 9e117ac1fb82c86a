// Films a run (--video): every frame the game draws, with the sound of that
// frame mixed by OpenAL Soft's loopback device, encoded on a thread of its
// own. The drawing thread only starts each frame's read-back, picks up the
// one before (KVFrameReadback) and mixes the frame's sound; pictures wait in
// a bounded queue for the encoder. When the queue is full a window drops
// pictures (the game keeps its pace; the sound is kept whole) and a headless
// run waits, so it never drops one. In a window the mix is also played to
// the speakers through SDL, since the loopback device plays to nothing.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/gl/KVFrameReadback.h"
#include "player/standalone/KVFrameStats.h"

class KVVideoEncoder;

class KVVideoRecorder {
public:
    static constexpr int SampleRate = 48000;
    static constexpr int Channels = 2;
    // Pictures waiting for the encoder at most: about a second of a small
    // game, less of a large one.
    static constexpr size_t QueueBytes = 64u << 20;
    static constexpr size_t MostQueued = 60;
    static constexpr size_t LeastQueued = 4;

    struct Options {
        bool dropWhenBehind = false;  // a window: drop pictures rather than wait
        bool playSound = false;       // a window: the mix to the speakers too
    };

    // Makes the film's file and turns the sound output into the loopback
    // device, before any OpenAL call. Null, with a one-line reason, when the
    // file cannot be made.
    static std::unique_ptr<KVVideoRecorder> create(const std::string& path, Options options, std::string* error);
    ~KVVideoRecorder();
    KVVideoRecorder(const KVVideoRecorder&) = delete;
    KVVideoRecorder& operator=(const KVVideoRecorder&) = delete;

    // On the drawing thread after frame `frame` was drawn, with the context
    // current: its pixels (width x height) and the sound of one frame of
    // `frameInterval` sixtieths of a second (the first frame sets the film's
    // rate).
    void captureFrame(long frame, int width, int height, long frameInterval);
    // On the drawing thread, with the context current: the last frame out
    // and the read-back's buffers freed. Nothing is captured after it.
    void endCapture();
    // Waits for the encoder and completes the file. False, with a line
    // naming the file, when the film could not be made; *note says how many
    // pictures were dropped, when any were.
    bool finish(std::string* error, std::string* note);
    // After finish: "video frames N (D dropped), drawing thread median X ms,
    // p95 Y ms, encoder Z ms a frame", what filming cost each frame.
    std::string statsSummary() const;

private:
    struct Item {
        long index = -1;
        int width = 0;
        int height = 0;
        std::vector<uint8_t> pixels;  // empty: no picture (dropped, or sound only)
        std::vector<float> sound;
    };

    KVVideoRecorder() = default;
    void push(Item item);
    void takePicture(const KVFrameReadback::Frame& frame);
    void encodeAll();
    void encodeItem(Item& item);
    void fail(const std::string& error);

    std::unique_ptr<KVVideoEncoder> encoder_;
    Options options_;
    bool withSound_ = false;
    unsigned soundDevice_ = 0;  // SDL's, when the speakers get the mix
    long frameInterval_ = 1;    // set by the first frame, before the encoder reads it

    // Drawing thread.
    KVFrameReadback readback_;
    bool capturing_ = true;
    long firstFrame_ = -1;
    int64_t soundFramesMixed_ = 0;

    KVFrameStats captureTimes_;

    // Encoding thread.
    bool encoderStarted_ = false;
    double encodingMilliseconds_ = 0;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Item> queue_;
    size_t picturesQueued_ = 0;
    size_t mostPictures_ = MostQueued;
    std::vector<std::vector<uint8_t>> spare_;  // pixel buffers to use again
    bool ending_ = false;
    bool failed_ = false;
    std::string error_;
    long pictures_ = 0;
    long dropped_ = 0;
    std::thread thread_;
};
