// An SDL window with an OpenGL 2.1 compatibility context. The window is
// created and managed on the main thread; the context may be made current
// on one thread at a time (the player releases it on the main thread before
// the render thread takes it). SDL's video subsystem must be initialised.
#pragma once

#include <memory>
#include <string>

#include "platform/gl/GLContext.h"

struct SDL_Window;

class SDLWindowContext : public GLContext {
public:
    // A centred window with the given content size in points; null on
    // failure with the reason in *error. The context is left current on the
    // calling thread.
    static std::unique_ptr<SDLWindowContext> create(const std::string& title, int width, int height,
                                                    std::string* error = nullptr);

    ~SDLWindowContext() override;
    SDLWindowContext(const SDLWindowContext&) = delete;
    SDLWindowContext& operator=(const SDLWindowContext&) = delete;

    SDL_Window* window() const { return window_; }

    bool makeCurrent() override;
    void releaseCurrent() override;
    void swap() override;
    // The drawable size in pixels (larger than the window on HiDPI screens).
    int width() const override;
    int height() const override;

    // Applies to the context current on the calling thread.
    static bool setSwapInterval(int interval);

    // Full screen over the window's display (SDL's desktop full screen), or
    // back to the window. Where nothing honours that request, an X server
    // without a window manager (a kiosk, an arcade cabinet), SDL reports the
    // display's size all the same while the window stays as it was; there
    // the window itself is moved over the display, and back when full
    // screen ends. False with the reason in *error when SDL refuses.
    bool setFullScreen(bool fullScreen, std::string* error = nullptr);
    bool isFullScreen() const;

private:
    SDLWindowContext() = default;

    SDL_Window* window_ = nullptr;
    void* context_ = nullptr;  // SDL_GLContext
    bool placedByHand_ = false;  // moved over the display without a window manager
    int windowed_[4] = {};       // x, y, width, height to return to
};
