#include "player/standalone/KVSDLEventRouter.h"

#include "platform/paths/XdgPaths.h"
#include "player/common/KVGameWindow.h"
#include "player/common/KVKeyboardInputSupport.h"
#include "player/common/KVKeyboardInputViewController.h"
#include "player/common/KVThreadedGameView.h"
#include "player/standalone/KVSDLGameWindow.h"

void KVSDLEventRouter::startControllers(const std::string& bundleName, KVSDLGameWindow* window)
{
    if (!SDL_WasInit(SDL_INIT_GAMECONTROLLER))
        return;
    controllers_.setMapping(KVControllerMapping::load(XdgPaths::configHome() + "/kelvane-player", bundleName));
    controllers_.setPromptSource([this] { return shownPrompt(); });
    controllers_.setWindow(window ? window->window() : nullptr);
}

KVKeyboardInputViewController* KVSDLEventRouter::shownPrompt() const
{
    KVKeyboardInputSupport* support = client_.keyboardInputSupport();
    return support && support->isShowingPrompt() ? &support->keyboardInputViewController() : nullptr;
}

void KVSDLEventRouter::update(double now)
{
    controllers_.update(now);
    if (!shownPrompt()) {
        promptAreaPlaced_ = false;
        return;
    }
    if (promptAreaPlaced_)
        return;
    promptAreaPlaced_ = true;
    // Input methods put their candidates by the field.
    KVGameWindow& window = *client_.window();
    const KVPromptRect field = KVKeyboardInputViewController::layout(window.contentSize()).field;
    window.setTextInputArea({field.x, field.y}, {field.width, field.height});
}

bool KVSDLEventRouter::promptEvent(const SDL_Event& event)
{
    KVKeyboardInputViewController* shown = shownPrompt();
    if (!shown)
        return false;
    KVKeyboardInputViewController& prompt = *shown;
    switch (event.type) {
    case SDL_TEXTINPUT:
        prompt.insertText(event.text.text);
        return true;
    case SDL_TEXTEDITING:
        prompt.setMarkedText(event.edit.text);
        return true;
    case SDL_KEYDOWN: {
        const SDL_Keycode key = event.key.keysym.sym;
        const bool paste = (key == SDLK_v && (event.key.keysym.mod & KMOD_CTRL)) ||
                           (key == SDLK_INSERT && (event.key.keysym.mod & KMOD_SHIFT));
        if (key == SDLK_RETURN || key == SDLK_KP_ENTER) {
            if (!event.key.repeat)
                prompt.finishedEnteringText();
        } else if (key == SDLK_ESCAPE) {
            if (!event.key.repeat)
                prompt.cancel();
        } else if (key == SDLK_BACKSPACE) {
            if (prompt.markedText().empty())
                prompt.deleteBackward();
        } else if (paste && SDL_HasClipboardText()) {
            char* text = SDL_GetClipboardText();
            prompt.insertText(text ? text : "");
            SDL_free(text);
        }
        return true;
    }
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT)
            prompt.clickAt(
                {static_cast<double>(event.button.x), client_.window()->contentSize().height - event.button.y});
        return true;
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEMOTION:
        return true;
    default:
        return false;
    }
}

void KVSDLEventRouter::keyEvent(const SDL_Event& event)
{
    KVThreadedGameView& view = *client_.gameView();
    const SDL_KeyboardEvent& key = event.key;
    const bool down = event.type == SDL_KEYDOWN;
    if (KVSDLInputTranslator::isModifierKey(key.keysym.scancode)) {
        // Modifiers typed into the prompt stay there; the game sees the
        // change with its next modifier event.
        if (!key.repeat && !shownPrompt())
            view.flagsChanged(KVSDLInputTranslator::modifierFlags(key.keysym.mod) | controllers_.modifierFlags());
        return;
    }
    // F11 and Alt+Enter belong to the player, not the game.
    // Their releases stay with the player too, even once Alt is up.
    const int scancode = key.keysym.scancode;
    if (!down && playerKeysDown_.erase(scancode))
        return;
    const bool toggle = key.keysym.sym == SDLK_F11 ||
                        ((key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER) && (key.keysym.mod & KMOD_ALT));
    if (toggle) {
        if (down && !key.repeat) {
            playerKeysDown_.insert(scancode);
            client_.toggleFullScreen();
        }
        return;
    }
    // The prompt takes the keys pressed while it is shown, releases too.
    if (down && shownPrompt()) {
        playerKeysDown_.insert(scancode);
        promptEvent(event);
        return;
    }
    if (!down) {
        view.keyUp(translator_.keyUp(key));
        return;
    }
    // The text this very press typed is the next event, when there is one.
    std::string typed;
    SDL_Event next;
    SDL_PumpEvents();
    if (SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1 && next.type == SDL_TEXTINPUT) {
        SDL_PeepEvents(&next, 1, SDL_GETEVENT, SDL_TEXTINPUT, SDL_TEXTINPUT);
        typed = next.text.text;
    }
    view.keyDown(translator_.keyDown(key, typed.empty() ? nullptr : typed.c_str()));
}

void KVSDLEventRouter::windowEvent(const SDL_WindowEvent& event)
{
    KVThreadedGameView* view = client_.gameView();
    const bool playing = view && client_.isPlaying();
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        client_.windowWillClose();
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        if (playing)
            view->reshape();
        if (KVKeyboardInputViewController* prompt = shownPrompt()) {
            prompt->updateViewSize();
            promptAreaPlaced_ = false;
        }
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        // Under the keyboard prompt the game is paused already, and the
        // prompt's answer resumes it, not the window's restoring.
        if (playing && !pausedByMinimise_ && !shownPrompt()) {
            pausedByMinimise_ = true;
            view->pauseWaitUntilDone(false, true);
        }
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        if (view && pausedByMinimise_) {
            pausedByMinimise_ = false;
            view->playWaitUntilDone(false);
        }
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        if (playing)
            view->drawRect();
        if (shownPrompt())
            view->setNeedsOverlayDisplay();
        break;
    default:
        break;
    }
}

void KVSDLEventRouter::handleEvent(const SDL_Event& event)
{
    if (event.type == SDL_QUIT) {
        client_.windowWillClose();
        return;
    }
    if (event.type == SDL_WINDOWEVENT) {
        windowEvent(event.window);
        return;
    }
    if (controllers_.handleEvent(event))
        return;
    // Input reaches the game once it plays.
    KVThreadedGameView* view = client_.gameView();
    if (!view || !client_.isPlaying())
        return;
    if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP && promptEvent(event))
        return;
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        keyEvent(event);
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT)
            view->mouseDown({static_cast<double>(event.button.x), static_cast<double>(event.button.y)});
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT)
            view->mouseUp({static_cast<double>(event.button.x), static_cast<double>(event.button.y)});
        break;
    case SDL_MOUSEMOTION:
        if (event.motion.state & SDL_BUTTON_LMASK)
            view->mouseDragged({static_cast<double>(event.motion.x), static_cast<double>(event.motion.y)});
        else
            view->mouseMoved({static_cast<double>(event.motion.x), static_cast<double>(event.motion.y)});
        break;
    default:
        break;
    }
}
