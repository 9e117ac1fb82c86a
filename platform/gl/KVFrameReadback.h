// Reads finished frames back from the framebuffer without waiting for them:
// each frame is copied into one of two pixel-buffer objects, and its pixels
// are handed out one frame later, when the copy is done, so the drawing
// thread never stalls on the transfer. Needs the context current on the
// calling thread for every call; releaseBuffers() before the context goes.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

class KVFrameReadback {
public:
    // RGBA pixels, bottom row first, width x 4 bytes a row.
    struct Frame {
        long index = -1;
        int width = 0;
        int height = 0;
        const uint8_t* pixels = nullptr;
    };
    using Sink = std::function<void(const Frame&)>;

    KVFrameReadback() = default;
    ~KVFrameReadback();
    KVFrameReadback(const KVFrameReadback&) = delete;
    KVFrameReadback& operator=(const KVFrameReadback&) = delete;

    // Starts reading the framebuffer's width x height pixels as frame
    // `index`, and hands the frame started before it (if any) to `sink`.
    void read(long index, int width, int height, const Sink& sink);
    // Hands the frame still being read to `sink`.
    void flush(const Sink& sink);
    void releaseBuffers();

private:
    struct Slot {
        unsigned buffer = 0;
        size_t capacity = 0;
        Frame frame;
    };
    void deliver(Slot& slot, const Sink& sink);

    Slot slots_[2];
    int next_ = 0;
    std::vector<uint8_t> fallback_;  // when the buffer cannot be mapped
};
