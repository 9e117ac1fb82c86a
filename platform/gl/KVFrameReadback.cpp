#define GL_GLEXT_PROTOTYPES 1
#include "platform/gl/KVFrameReadback.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "platform/gl/KVQuadBatch.h"

KVFrameReadback::~KVFrameReadback() = default;

void KVFrameReadback::deliver(Slot& slot, const Sink& sink)
{
    if (slot.frame.index < 0)
        return;
    const size_t bytes = static_cast<size_t>(slot.frame.width) * slot.frame.height * 4;
    glBindBuffer(GL_PIXEL_PACK_BUFFER, slot.buffer);
    auto* mapped = static_cast<const uint8_t*>(glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY));
    Frame frame = slot.frame;
    if (mapped) {
        frame.pixels = mapped;
    } else {
        fallback_.resize(bytes);
        glGetBufferSubData(GL_PIXEL_PACK_BUFFER, 0, static_cast<GLsizeiptr>(bytes), fallback_.data());
        frame.pixels = fallback_.data();
    }
    try {
        sink(frame);
    } catch (...) {
        if (mapped)
            glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
        throw;
    }
    if (mapped)
        glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    slot.frame.index = -1;
}

void KVFrameReadback::read(long index, int width, int height, const Sink& sink)
{
    if (width < 1 || height < 1)
        return;
    KVFlushQuads();  // the frame's last quads, if any wait in the batch
    Slot& slot = slots_[next_];
    next_ ^= 1;
    // The slot's previous frame goes out before the slot is used again.
    deliver(slot, sink);
    const size_t bytes = static_cast<size_t>(width) * height * 4;
    if (!slot.buffer)
        glGenBuffers(1, &slot.buffer);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, slot.buffer);
    if (slot.capacity != bytes) {
        glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_READ);
        slot.capacity = bytes;
    }
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // Into the buffer object: the call returns before the copy is done.
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    slot.frame = Frame{index, width, height, nullptr};
    // The other slot holds the frame before this one: it is ready now.
    deliver(slots_[next_], sink);
}

void KVFrameReadback::flush(const Sink& sink)
{
    // The older frame first.
    deliver(slots_[next_], sink);
    deliver(slots_[next_ ^ 1], sink);
}

void KVFrameReadback::releaseBuffers()
{
    for (Slot& slot : slots_) {
        if (slot.buffer)
            glDeleteBuffers(1, &slot.buffer);
        slot = Slot();
    }
}
