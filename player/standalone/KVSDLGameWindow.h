// The player's window: an SDL window with its OpenGL context, full screen
// as SDL_WINDOW_FULLSCREEN_DESKTOP, white behind whatever is not drawn.
#pragma once

#include <memory>
#include <string>

#include "platform/gl/SDLWindowContext.h"
#include "player/common/KVGameWindow.h"

class KVSDLGameWindow : public KVGameWindow {
public:
    // Opens a centred window of the given content size; null on failure
    // with the reason in *error. The context is left current on this thread.
    static std::unique_ptr<KVSDLGameWindow> create(const std::string& title, KVSize size, std::string* error);

    GLContext& context() override { return *context_; }
    SDL_Window* window() const { return context_->window(); }
    uint32_t windowID() const;

    KVSize contentSize() const override;
    KVSize drawableSize() const override;
    void setCenteredContentSize(KVSize size) override;
    void setFullScreen(bool fullScreen) override;
    bool isFullScreen() const override;
    void show() override;
    void startTextInput() override;
    void setTextInputArea(KVPoint origin, KVSize size) override;
    void showError(const std::string& title, const std::string& text) override;
    // 1 (the default) waits for the screen's refresh at each swap; 0 does
    // not. Applies from the next prepareDrawingThread.
    void setSwapInterval(int interval) { swapInterval_ = interval; }
    void prepareDrawingThread() override;

private:
    explicit KVSDLGameWindow(std::unique_ptr<SDLWindowContext> context) : context_(std::move(context)) {}

    std::unique_ptr<SDLWindowContext> context_;
    int swapInterval_ = 1;
};
