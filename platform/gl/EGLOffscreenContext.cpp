#include "platform/gl/EGLOffscreenContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <mutex>

#include "platform/gl/KVQuadBatch.h"

namespace {

// The surfaceless display is one per process and eglTerminate would end it
// for every user; it is initialised once and kept, so Mesa's driver stays
// loaded (and its allocations attributable) for the life of the process.
std::mutex displayMutex;
bool displayInitialised = false;

std::string eglErrorText(const char* what)
{
    char buf[96];
    snprintf(buf, sizeof buf, "%s failed (EGL error 0x%04x)", what, static_cast<unsigned>(eglGetError()));
    return buf;
}

void setError(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
}

EGLDisplay acquireDisplay(std::string* error)
{
    std::lock_guard<std::mutex> lock(displayMutex);
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        setError(error, "EGL has no eglGetPlatformDisplayEXT");
        return EGL_NO_DISPLAY;
    }
    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) {
        setError(error, eglErrorText("eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA)"));
        return EGL_NO_DISPLAY;
    }
    if (!displayInitialised) {
        EGLint major = 0, minor = 0;
        if (!eglInitialize(display, &major, &minor)) {
            setError(error, eglErrorText("eglInitialize"));
            return EGL_NO_DISPLAY;
        }
        displayInitialised = true;
    }
    return display;
}

EGLSurface createPbuffer(EGLDisplay display, EGLConfig config, int width, int height, std::string* error)
{
    const EGLint attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, attributes);
    if (surface == EGL_NO_SURFACE)
        setError(error, eglErrorText("eglCreatePbufferSurface"));
    return surface;
}

bool validSize(int width, int height, std::string* error)
{
    if (width > 0 && height > 0)
        return true;
    setError(error, "offscreen surface size " + std::to_string(width) + " x " + std::to_string(height) +
                        " refused: both must be positive");
    return false;
}

}  // namespace

std::unique_ptr<EGLOffscreenContext> EGLOffscreenContext::create(int width, int height, std::string* error)
{
    if (!validSize(width, height, error))
        return nullptr;

    EGLDisplay display = acquireDisplay(error);
    if (display == EGL_NO_DISPLAY)
        return nullptr;

    std::unique_ptr<EGLOffscreenContext> ctx(new EGLOffscreenContext());
    ctx->display_ = display;

    if (!eglBindAPI(EGL_OPENGL_API)) {
        setError(error, eglErrorText("eglBindAPI(EGL_OPENGL_API)"));
        return nullptr;
    }

    const EGLint configAttributes[] = {
        EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
        EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
        EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
        EGL_DEPTH_SIZE, 24,
        EGL_NONE,
    };
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &count) || count < 1) {
        setError(error, count < 1 ? std::string("no EGL config for an RGBA8 pbuffer with OpenGL")
                                  : eglErrorText("eglChooseConfig"));
        return nullptr;
    }
    ctx->config_ = config;

    // 2.1 is what the drawing code needs; Mesa answers with a newer
    // compatibility profile, which keeps the fixed-function pipeline.
    const EGLint contextAttributes[] = {
        EGL_CONTEXT_MAJOR_VERSION, 2,
        EGL_CONTEXT_MINOR_VERSION, 1,
        EGL_NONE,
    };
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) {
        setError(error, eglErrorText("eglCreateContext (OpenGL 2.1)"));
        return nullptr;
    }
    ctx->context_ = context;

    EGLSurface surface = createPbuffer(display, config, width, height, error);
    if (surface == EGL_NO_SURFACE)
        return nullptr;
    ctx->surface_ = surface;
    ctx->width_ = width;
    ctx->height_ = height;
    return ctx;
}

EGLOffscreenContext::~EGLOffscreenContext()
{
    if (!display_)
        return;
    if (context_ && eglGetCurrentContext() == context_) {
        KVFlushQuads();
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    if (surface_)
        eglDestroySurface(display_, surface_);
    if (context_)
        eglDestroyContext(display_, context_);
}

bool EGLOffscreenContext::makeCurrent()
{
    // Quads collected in another context are drawn there.
    if (EGLContext current = eglGetCurrentContext(); current != EGL_NO_CONTEXT && current != context_)
        KVFlushQuads();
    return eglMakeCurrent(display_, surface_, surface_, context_) == EGL_TRUE;
}

void EGLOffscreenContext::releaseCurrent()
{
    if (eglGetCurrentContext() == context_) {
        KVFlushQuads();
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
}

void EGLOffscreenContext::swap()
{
    // A pbuffer has no front buffer: finishing the drawing is all there is.
    if (eglGetCurrentContext() == context_)
        eglWaitClient();
}

bool EGLOffscreenContext::resize(int width, int height, std::string* error)
{
    if (!validSize(width, height, error))
        return false;
    if (width == width_ && height == height_)
        return true;
    EGLSurface surface = createPbuffer(display_, config_, width, height, error);
    if (surface == EGL_NO_SURFACE)
        return false;
    const bool wasCurrent = eglGetCurrentContext() == context_;
    if (wasCurrent && !eglMakeCurrent(display_, surface, surface, context_)) {
        setError(error, eglErrorText("eglMakeCurrent on the resized pbuffer"));
        eglDestroySurface(display_, surface);
        return false;
    }
    eglDestroySurface(display_, surface_);
    surface_ = surface;
    width_ = width;
    height_ = height;
    return true;
}
