#include "player/standalone/KVSDLGameWindow.h"

#include <SDL2/SDL.h>

#include "platform/objects/KVLogLine.h"

std::unique_ptr<KVSDLGameWindow> KVSDLGameWindow::create(const std::string& title, KVSize size, std::string* error)
{
    auto context = SDLWindowContext::create(title, static_cast<int>(size.width), static_cast<int>(size.height), error);
    if (!context)
        return nullptr;
    return std::unique_ptr<KVSDLGameWindow>(new KVSDLGameWindow(std::move(context)));
}

uint32_t KVSDLGameWindow::windowID() const
{
    return SDL_GetWindowID(window());
}

KVSize KVSDLGameWindow::contentSize() const
{
    int w = 0, h = 0;
    SDL_GetWindowSize(window(), &w, &h);
    return {static_cast<double>(w), static_cast<double>(h)};
}

KVSize KVSDLGameWindow::drawableSize() const
{
    return {static_cast<double>(context_->width()), static_cast<double>(context_->height())};
}

void KVSDLGameWindow::setCenteredContentSize(KVSize size)
{
    const int w = static_cast<int>(size.width), h = static_cast<int>(size.height);
    if (w < 1 || h < 1 || w > 16384 || h > 16384) {
        KVLogLine("Window: refusing the size %gx%g", size.width, size.height);
        return;
    }
    if (isFullScreen())
        return;  // applies when full screen ends
    SDL_SetWindowSize(window(), w, h);
    SDL_SetWindowPosition(window(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

void KVSDLGameWindow::setFullScreen(bool fullScreen)
{
    std::string error;
    if (!context_->setFullScreen(fullScreen, &error))
        KVLogLine("Window: cannot %s full screen: %s", fullScreen ? "enter" : "leave", error.c_str());
}

bool KVSDLGameWindow::isFullScreen() const
{
    return context_->isFullScreen();
}

void KVSDLGameWindow::prepareDrawingThread()
{
    if (!SDLWindowContext::setSwapInterval(swapInterval_))
        KVLogLine("Window: no swap interval %d: %s", swapInterval_, SDL_GetError());
}

void KVSDLGameWindow::show()
{
    SDL_ShowWindow(window());
    SDL_RaiseWindow(window());
}

void KVSDLGameWindow::startTextInput()
{
    SDL_StartTextInput();
}

void KVSDLGameWindow::setTextInputArea(KVPoint origin, KVSize size)
{
    // SDL counts from the top left.
    SDL_Rect area{static_cast<int>(origin.x), static_cast<int>(contentSize().height - origin.y - size.height),
                  static_cast<int>(size.width), static_cast<int>(size.height)};
    SDL_SetTextInputRect(&area);
}

void KVSDLGameWindow::showError(const std::string& title, const std::string& text)
{
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), text.c_str(), window());
}
