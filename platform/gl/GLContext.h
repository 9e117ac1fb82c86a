// An OpenGL context with its drawing surface, as the player sees it: the SDL
// window's context or the offscreen one of headless runs.
#pragma once

class GLContext {
public:
    virtual ~GLContext() = default;

    // Makes the context and its surface current on the calling thread.
    virtual bool makeCurrent() = 0;
    // Leaves no context current on the calling thread.
    virtual void releaseCurrent() = 0;
    // Presents what was drawn (offscreen: only finishes the drawing).
    virtual void swap() = 0;

    // Size of the drawing surface in pixels.
    virtual int width() const = 0;
    virtual int height() const = 0;
};
