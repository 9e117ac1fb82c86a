// What the game view and the application need from the window: its OpenGL
// context, its sizes, centred resizing, full screen, showing it and taking
// typed text. The SDL window and the offscreen surface of headless runs
// implement it; offscreen, showing and text input do nothing.
#pragma once

#include <string>

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

    // Shows the window in front of the others.
    virtual void show() = 0;
    // Takes typed text and an input method's composition from now on.
    virtual void startTextInput() = 0;
    // Where an input method puts its candidates: the text field, in points
    // from the content's bottom left.
    virtual void setTextInputArea(KVPoint origin, KVSize size) = 0;
    // A message the user must see before the run ends; offscreen, standard
    // error has already told it.
    virtual void showError(const std::string& title, const std::string& text) = 0;

    // Called on the drawing thread with the context current and locked,
    // before each frame: lets the surface catch up with size changes made
    // on the main thread.
    virtual void prepareForDrawing() {}
    // Called once on each thread that makes the context current to play.
    virtual void prepareDrawingThread() {}
};
