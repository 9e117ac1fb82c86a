#include "player/standalone/KVControllerRouter.h"

#include <algorithm>
#include <cmath>

#include "platform/objects/KVLogLine.h"
#include "player/common/KVGameView.h"
#include "player/common/KVKeyboardInputViewController.h"
#include "player/standalone/KVSDLInputTranslator.h"

namespace {

using Action = KVControllerMapping::Action;

// Press identities besides the buttons (which are their own numbers).
constexpr int kTriggerInput = 100;
constexpr int kDirectionInput = 200;
constexpr Sint16 kAxisMax = 32767;
// At most this many moves of the system pointer wait for their echo.
constexpr size_t kPendingWarps = 8;

bool isTrigger(SDL_GameControllerAxis axis)
{
    return axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT || axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
}

}  // namespace

KVControllerRouter::~KVControllerRouter()
{
    for (auto& [id, pad] : pads_)
        SDL_GameControllerClose(pad.controller);
}

bool KVControllerRouter::handleEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
        deviceAdded(event.cdevice.which);
        return true;
    case SDL_CONTROLLERDEVICEREMOVED:
        deviceRemoved(event.cdevice.which);
        return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        const auto button = static_cast<SDL_GameControllerButton>(event.cbutton.button);
        if (!pads_.count(event.cbutton.which))
            return true;
        if (event.type == SDL_CONTROLLERBUTTONDOWN)
            press(event.cbutton.which, button, mapping_.button(button), button);
        else
            release(event.cbutton.which, button);
        return true;
    }
    case SDL_CONTROLLERAXISMOTION:
        axisMoved(event.caxis.which, static_cast<SDL_GameControllerAxis>(event.caxis.axis), event.caxis.value);
        return true;
    case SDL_CONTROLLERDEVICEREMAPPED:
    case SDL_CONTROLLERTOUCHPADDOWN:
    case SDL_CONTROLLERTOUCHPADMOTION:
    case SDL_CONTROLLERTOUCHPADUP:
    case SDL_CONTROLLERSENSORUPDATE:
        return true;
    case SDL_MOUSEMOTION: {
        // Moving the system pointer comes back as motion; the game has
        // had that move already.
        const std::pair<int, int> at{event.motion.x, event.motion.y};
        auto echo = std::find(pendingWarps_.begin(), pendingWarps_.end(), at);
        if (echo != pendingWarps_.end()) {
            pendingWarps_.erase(pendingWarps_.begin(), echo + 1);
            return true;
        }
        pendingWarps_.clear();
        pointer_ = {static_cast<double>(at.first), static_cast<double>(at.second)};
        pointerPlaced_ = true;
        return false;
    }
    default:
        return false;
    }
}

void KVControllerRouter::deviceAdded(int deviceIndex)
{
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (id < 0 || pads_.count(id) || !SDL_IsGameController(deviceIndex))
        return;
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (!controller) {
        KVLogLine("Game controller %d: cannot open it: %s", deviceIndex, SDL_GetError());
        return;
    }
    Pad& pad = pads_[id];
    pad.controller = controller;
    // Where the axes rest now is no press: a trigger or stick held while the
    // controller is plugged in presses once it moves.
    for (int axis = 0; axis < SDL_CONTROLLER_AXIS_MAX; ++axis)
        pad.axes[axis] = SDL_GameControllerGetAxis(controller, static_cast<SDL_GameControllerAxis>(axis));
    const char* name = SDL_GameControllerName(controller);
    KVLogLine("Game controller connected: %s", name ? name : "(no name)");
}

void KVControllerRouter::deviceRemoved(SDL_JoystickID id)
{
    auto pad = pads_.find(id);
    if (pad == pads_.end())
        return;
    // Whatever it held is let go, so the game sees no key stuck down.
    std::vector<int> held;
    for (const auto& [key, press] : presses_)
        if (key.first == id)
            held.push_back(key.second);
    for (int input : held)
        release(id, input);
    SDL_GameControllerClose(pad->second.controller);
    pads_.erase(pad);
    KVLogLine("Game controller disconnected");
}

void KVControllerRouter::axisMoved(SDL_JoystickID id, SDL_GameControllerAxis axis, Sint16 value)
{
    auto pad = pads_.find(id);
    if (pad == pads_.end() || axis < 0 || axis >= SDL_CONTROLLER_AXIS_MAX)
        return;
    pad->second.axes[axis] = value;
    // A press needs the threshold, a release the dead zone: no chatter
    // from a stick resting near the threshold.
    auto track = [&](int input, int deflection, const Action& action) {
        const bool pressed = presses_.count({id, input}) != 0;
        if (!pressed && deflection > PressThreshold)
            press(id, input, action, std::nullopt);
        else if (pressed && deflection < DeadZone)
            release(id, input);
    };
    if (isTrigger(axis)) {
        track(kTriggerInput + axis, value, mapping_.trigger(axis));
        return;
    }
    const int stick = axis >= SDL_CONTROLLER_AXIS_RIGHTX ? 1 : 0;
    if (mapping_.stick(stick).kind != Action::Kind::DirectionKeys)
        return;
    const bool horizontal = axis == SDL_CONTROLLER_AXIS_LEFTX || axis == SDL_CONTROLLER_AXIS_RIGHTX;
    using Direction = KVControllerMapping::Direction;
    const Direction negative = horizontal ? KVControllerMapping::Left : KVControllerMapping::Up;
    const Direction positive = horizontal ? KVControllerMapping::Right : KVControllerMapping::Down;
    // The direction let go first, then the one pressed, as fingers do.
    const Direction order[2] = {value > 0 ? negative : positive, value > 0 ? positive : negative};
    for (Direction d : order) {
        const int deflection = d == positive ? value : -static_cast<int>(value);
        track(kDirectionInput + stick * 4 + d, deflection, mapping_.stickDirection(stick, d));
    }
}

KVKeyboardInputViewController* KVControllerRouter::shownPrompt() const
{
    return prompt_ ? prompt_() : nullptr;
}

KVPoint KVControllerRouter::pointer()
{
    if (!pointerPlaced_ && view_) {
        const KVSize content = view_->window().contentSize();
        pointer_ = {content.width / 2, content.height / 2};
        pointerPlaced_ = true;
    }
    return {std::floor(pointer_.x), std::floor(pointer_.y)};
}

bool KVControllerRouter::hold(const std::string& target, bool down, uint32_t* character)
{
    Held& held = held_[target];
    if (down) {
        if (held.count++ == 0) {
            held.character = *character;
            return true;
        }
        return false;
    }
    *character = held.character;
    if (--held.count > 0)
        return false;
    held_.erase(target);
    return true;
}

void KVControllerRouter::press(SDL_JoystickID id, int input, const Action& action,
                               std::optional<SDL_GameControllerButton> button)
{
    Press& p = presses_[{id, input}];
    p = Press{action, false};
    if (KVKeyboardInputViewController* prompt = shownPrompt()) {
        if (button)
            promptButton(*prompt, *button);
        return;
    }
    if (!view_)
        return;
    p.toGame = true;
    uint32_t character = 0;
    switch (action.kind) {
    case Action::Kind::Key:
        // Shift and caps lock, from the keyboard or a controller, apply as
        // they do to the key itself.
        character = KVSDLInputTranslator::characterForKey(action.key, SDL_GetModState() | sdlModifiers());
        if (hold("key " + std::to_string(action.key), true, &character)) {
            KVKeyEvent event;
            event.character = character;
            view_->keyDown(event);
        }
        break;
    case Action::Kind::Modifier:
        postModifiers();
        break;
    case Action::Kind::MouseButton:
        // As from the mouse: only the left button reaches the game.
        if (hold("button " + std::to_string(action.mouseButton), true, &character) &&
            action.mouseButton == SDL_BUTTON_LEFT)
            view_->mouseDown(pointer());
        break;
    default:
        p.toGame = false;
        break;
    }
}

void KVControllerRouter::release(SDL_JoystickID id, int input)
{
    auto it = presses_.find({id, input});
    if (it == presses_.end())
        return;
    const Press p = it->second;
    presses_.erase(it);
    if (!p.toGame || !view_)
        return;
    uint32_t character = 0;
    switch (p.action.kind) {
    case Action::Kind::Key:
        if (hold("key " + std::to_string(p.action.key), false, &character)) {
            KVKeyEvent event;
            event.character = character;  // what the press gave
            view_->keyUp(event);
        }
        break;
    case Action::Kind::Modifier:
        postModifiers();
        break;
    case Action::Kind::MouseButton:
        if (hold("button " + std::to_string(p.action.mouseButton), false, &character) &&
            p.action.mouseButton == SDL_BUTTON_LEFT)
            view_->mouseUp(pointer());
        break;
    default:
        break;
    }
}

void KVControllerRouter::promptButton(KVKeyboardInputViewController& prompt, SDL_GameControllerButton button)
{
    switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP: prompt.moveGridSelection(0, -1); break;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: prompt.moveGridSelection(0, 1); break;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: prompt.moveGridSelection(-1, 0); break;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: prompt.moveGridSelection(1, 0); break;
    case SDL_CONTROLLER_BUTTON_A: prompt.typeGridSelection(); break;
    case SDL_CONTROLLER_BUTTON_X: prompt.deleteBackward(); break;
    case SDL_CONTROLLER_BUTTON_START: prompt.finishedEnteringText(); break;
    case SDL_CONTROLLER_BUTTON_B: prompt.cancel(); break;
    default: break;
    }
}

uint64_t KVControllerRouter::modifierFlags() const
{
    uint64_t flags = 0;
    for (const auto& [key, press] : presses_)
        if (press.toGame && press.action.kind == Action::Kind::Modifier)
            flags |= press.action.modifierMask;
    return flags;
}

uint16_t KVControllerRouter::sdlModifiers() const
{
    uint16_t modifiers = 0;
    for (const auto& [key, press] : presses_)
        if (press.toGame && press.action.kind == Action::Kind::Modifier)
            modifiers |= press.action.sdlModifier;
    return modifiers;
}

void KVControllerRouter::postModifiers()
{
    view_->flagsChanged(KVSDLInputTranslator::modifierFlags(SDL_GetModState()) | modifierFlags());
}

void KVControllerRouter::update(double now)
{
    const double elapsed = lastUpdate_ < 0 ? 0 : std::min(now - lastUpdate_, 0.1);
    lastUpdate_ = now;
    KVKeyboardInputViewController* prompt = shownPrompt();
    if (prompt)
        prompt->setShowsCharacterGrid(!pads_.empty());
    if (!view_ || prompt || elapsed <= 0)
        return;
    // Past the dead zone, speed grows from nothing to full deflection.
    double vx = 0, vy = 0;
    for (const auto& [id, pad] : pads_)
        for (int stick = 0; stick < 2; ++stick) {
            if (mapping_.stick(stick).kind != Action::Kind::Pointer)
                continue;
            const double x = pad.axes[stick * 2], y = pad.axes[stick * 2 + 1];
            const double length = std::hypot(x, y);
            if (length <= DeadZone)
                continue;
            const double deflection = (std::min(length, double(kAxisMax)) - DeadZone) / (kAxisMax - DeadZone);
            vx += x / length * deflection;
            vy += y / length * deflection;
        }
    if (vx == 0 && vy == 0)
        return;
    const KVSize content = view_->window().contentSize();
    const double step = PointerSpeed * content.width * elapsed;
    pointer();
    const KVPoint from = pointer_;
    const KVPoint to{std::clamp(from.x + vx * step, 0.0, std::max(0.0, content.width - 1)),
                     std::clamp(from.y + vy * step, 0.0, std::max(0.0, content.height - 1))};
    pointer_ = to;
    // Posted when it moves by a whole point, as a mouse moves.
    if (std::floor(to.x) == std::floor(from.x) && std::floor(to.y) == std::floor(from.y))
        return;
    const KVPoint whole = pointer();
    view_->mouseMoved(whole);
    if (window_) {
        if (pendingWarps_.size() >= kPendingWarps)
            pendingWarps_.erase(pendingWarps_.begin());
        pendingWarps_.push_back({static_cast<int>(whole.x), static_cast<int>(whole.y)});
        SDL_WarpMouseInWindow(window_, pendingWarps_.back().first, pendingWarps_.back().second);
    }
}
