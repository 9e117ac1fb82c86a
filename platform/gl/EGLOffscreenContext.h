// Offscreen OpenGL 2.1 (compatibility) drawing without a window: EGL's
// surfaceless Mesa platform with a pbuffer surface. Used by headless runs
// and by the drawing tests.
#pragma once

#include <memory>
#include <string>

#include "platform/gl/GLContext.h"

class EGLOffscreenContext : public GLContext {
public:
    // Null on failure, with the reason in *error when error is given.
    static std::unique_ptr<EGLOffscreenContext> create(int width, int height, std::string* error = nullptr);

    ~EGLOffscreenContext() override;
    EGLOffscreenContext(const EGLOffscreenContext&) = delete;
    EGLOffscreenContext& operator=(const EGLOffscreenContext&) = delete;

    bool makeCurrent() override;
    void releaseCurrent() override;
    void swap() override;
    int width() const override { return width_; }
    int height() const override { return height_; }

    // Replaces the pbuffer with one of the new size (its pixels are lost).
    // When the context was current on this thread it stays current on the
    // new surface. On failure the old surface and size are kept.
    bool resize(int width, int height, std::string* error = nullptr);

private:
    EGLOffscreenContext() = default;

    void* display_ = nullptr;  // EGLDisplay
    void* config_ = nullptr;   // EGLConfig
    void* context_ = nullptr;  // EGLContext
    void* surface_ = nullptr;  // EGLSurface
    int width_ = 0;
    int height_ = 0;
};
