// What the game view needs from the window it draws in: its OpenGL context,
// its sizes, centred resizing and full screen. The SDL window and the
// offscreen surface of headless runs implement it.
#pragma once

#include "platform/gl/GLContext.h"
#include "player/common/KVViewGeometry.h"

class KVGameWindow {
public:
    virtual ~KVGameWindow() = default;

    virtual GLContext& context() = 0;

    // The content area in points, and the drawing area in backing pixels
    // (larger on HiDPI screens).
    virtual KVSize contentSize() const = 0;
    virtual KVSize drawableSize() const = 0;

    // Resizes the content area and centres the window on its screen.
    virtual void setCenteredContentSize(KVSize size) = 0;

    // The content fills the screen, or returns to a window.
    virtual void setFullScreen(bool fullScreen) = 0;
    virtual bool isFullScreen() const = 0;

    // Called on the drawing thread with the context current and locked,
    // before each frame: lets the surface catch up with size changes made
    // on the main thread.
    virtual void prepareForDrawing() {}
    // Called once on each thread that makes the context current to play.
    virtual void prepareDrawingThread() {}
};
