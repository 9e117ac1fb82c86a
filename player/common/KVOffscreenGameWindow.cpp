#include "player/common/KVOffscreenGameWindow.h"

#include <EGL/egl.h>

#include "platform/objects/KVLogLine.h"

namespace {
// Larger surfaces are refused rather than exhausting memory.
constexpr double kLargestSide = 8192;
}  // namespace

std::unique_ptr<KVOffscreenGameWindow> KVOffscreenGameWindow::create(int width, int height, std::string* error)
{
    auto context = EGLOffscreenContext::create(width, height, error);
    if (!context)
        return nullptr;
    return std::unique_ptr<KVOffscreenGameWindow>(new KVOffscreenGameWindow(std::move(context)));
}

KVOffscreenGameWindow::KVOffscreenGameWindow(std::unique_ptr<EGLOffscreenContext> context)
    : context_(std::move(context))
{
    size_ = windowed_ = {static_cast<double>(context_->width()), static_cast<double>(context_->height())};
}

KVSize KVOffscreenGameWindow::contentSize() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return size_;
}

void KVOffscreenGameWindow::requestSize(KVSize size)
{
    if (!(size.width >= 1 && size.height >= 1 && size.width <= kLargestSide && size.height <= kLargestSide)) {
        KVLogLine("Offscreen window: refusing the size %gx%g", size.width, size.height);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        size_ = size;
        resizePending_ = true;
    }
    // The surface can be replaced at once only on the thread where the
    // context is current; otherwise the drawing thread does it before its
    // next frame (making it current elsewhere would fail or steal it).
    if (eglGetCurrentContext() != EGL_NO_CONTEXT && context_->makeCurrent())
        prepareForDrawing();
}

void KVOffscreenGameWindow::setCenteredContentSize(KVSize size)
{
    windowed_ = size;
    requestSize(size);
}

void KVOffscreenGameWindow::setFullScreen(bool fullScreen)
{
    if (fullScreen == fullScreen_)
        return;
    fullScreen_ = fullScreen;
    requestSize(fullScreen ? screen_ : windowed_);
}

void KVOffscreenGameWindow::prepareForDrawing()
{
    KVSize size;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!resizePending_)
            return;
        resizePending_ = false;
        size = size_;
    }
    std::string error;
    if (!context_->resize(static_cast<int>(size.width), static_cast<int>(size.height), &error)) {
        KVLogLine("Offscreen window: keeping a %dx%d surface: %s", context_->width(), context_->height(),
                  error.c_str());
        std::lock_guard<std::mutex> lock(mutex_);
        size_ = {static_cast<double>(context_->width()), static_cast<double>(context_->height())};
    }
}
