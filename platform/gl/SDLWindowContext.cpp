#include "platform/gl/SDLWindowContext.h"

#include <SDL2/SDL.h>

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
