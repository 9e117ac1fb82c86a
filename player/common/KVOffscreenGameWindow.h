// The window of headless runs: an offscreen EGL surface. Full screen gives
// the surface the size of a pretend screen, so letterboxing and cropping
// work without a display.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "platform/gl/EGLOffscreenContext.h"
#include "player/common/KVGameWindow.h"

class KVOffscreenGameWindow : public KVGameWindow {
public:
    // Null on failure, with the reason in *error.
    static std::unique_ptr<KVOffscreenGameWindow> create(int width, int height, std::string* error = nullptr);

    GLContext& context() override { return *context_; }
    KVSize contentSize() const override;
    KVSize drawableSize() const override { return contentSize(); }
    void setCenteredContentSize(KVSize size) override;
    void setFullScreen(bool fullScreen) override;
    bool isFullScreen() const override { return fullScreen_; }
    void show() override {}
    void startTextInput() override {}
    void setTextInputArea(KVPoint, KVSize) override {}
    void showError(const std::string&, const std::string&) override {}
    void prepareForDrawing() override;

    void setScreenSize(KVSize size) { screen_ = size; }

private:
    explicit KVOffscreenGameWindow(std::unique_ptr<EGLOffscreenContext> context);
    void requestSize(KVSize size);

    std::unique_ptr<EGLOffscreenContext> context_;
    mutable std::mutex mutex_;
    KVSize size_;
    KVSize windowed_;
    KVSize screen_{1920, 1080};
    bool fullScreen_ = false;
    bool resizePending_ = false;
};
