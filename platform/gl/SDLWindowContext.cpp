#include "platform/gl/SDLWindowContext.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// The X display and window of an SDL window on an X server that has no
// window manager (its root window names none); false elsewhere.
bool bareX11Window(SDL_Window* window, Display** display, Window* xwindow)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return false;
    Display* d = info.info.x11.display;
    const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", True);
    bool managed = false;
    if (check != None) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        managed = XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, XA_WINDOW, &type, &format, &count,
                                     &after, &data) == Success &&
                  type == XA_WINDOW && count == 1;
        if (data)
            XFree(data);
    }
    *display = d;
    *xwindow = info.info.x11.window;
    return !managed;
}

}  // namespace

#include "platform/gl/KVQuadBatch.h"

std::unique_ptr<SDLWindowContext> SDLWindowContext::create(const std::string& title, int width, int height,
                                                           std::string* error)
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);

    std::unique_ptr<SDLWindowContext> result(new SDLWindowContext);
    result->window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                       SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!result->window_) {
        if (error)
            *error = std::string("cannot open a window: ") + SDL_GetError();
        return nullptr;
    }
    result->context_ = SDL_GL_CreateContext(result->window_);
    if (!result->context_) {
        if (error)
            *error = std::string("cannot create an OpenGL 2.1 context: ") + SDL_GetError();
        return nullptr;
    }
    return result;
}

SDLWindowContext::~SDLWindowContext()
{
    if (context_) {
        if (SDL_GL_GetCurrentContext() == context_) {
            KVFlushQuads();
            SDL_GL_MakeCurrent(window_, nullptr);
        }
        SDL_GL_DeleteContext(context_);
    }
    if (window_)
        SDL_DestroyWindow(window_);
}

bool SDLWindowContext::makeCurrent()
{
    if (SDL_GL_GetCurrentContext() == context_ && SDL_GL_GetCurrentWindow() == window_)
        return true;
    // Quads collected in another context are drawn there.
    if (SDL_GL_GetCurrentContext())
        KVFlushQuads();
    return SDL_GL_MakeCurrent(window_, context_) == 0;
}

void SDLWindowContext::releaseCurrent()
{
    if (SDL_GL_GetCurrentContext() == context_) {
        KVFlushQuads();
        SDL_GL_MakeCurrent(window_, nullptr);
    }
}

void SDLWindowContext::swap()
{
    SDL_GL_SwapWindow(window_);
}

int SDLWindowContext::width() const
{
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window_, &w, &h);
    return w;
}

int SDLWindowContext::height() const
{
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window_, &w, &h);
    return h;
}

bool SDLWindowContext::setSwapInterval(int interval)
{
    return SDL_GL_SetSwapInterval(interval) == 0;
}

bool SDLWindowContext::setFullScreen(bool fullScreen, std::string* error)
{
    Display* display = nullptr;
    Window xwindow = 0;
    const bool bare = bareX11Window(window_, &display, &xwindow);
    if (fullScreen && bare && !placedByHand_) {
        SDL_GetWindowPosition(window_, &windowed_[0], &windowed_[1]);
        SDL_GetWindowSize(window_, &windowed_[2], &windowed_[3]);
    }
    if (SDL_SetWindowFullscreen(window_, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
        if (error)
            *error = SDL_GetError();
        return false;
    }
    if (!bare)
        return true;
    SDL_Rect bounds{windowed_[0], windowed_[1], windowed_[2], windowed_[3]};
    if (fullScreen && SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window_), &bounds) != 0)
        return true;
    if (!fullScreen && !placedByHand_)
        return true;
    placedByHand_ = fullScreen;
    XMoveResizeWindow(display, xwindow, bounds.x, bounds.y, static_cast<unsigned>(bounds.w),
                      static_cast<unsigned>(bounds.h));
    if (fullScreen)
        XRaiseWindow(display, xwindow);
    XFlush(display);
    return true;
}

bool SDLWindowContext::isFullScreen() const
{
    return (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP;
}
