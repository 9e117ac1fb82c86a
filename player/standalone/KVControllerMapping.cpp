#include "player/standalone/KVControllerMapping.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "player/common/KVKeyNames.h"

namespace {

using Action = KVControllerMapping::Action;

enum class InputKind { Button, Trigger, Stick, Direction };

struct Input {
    const char* name;
    InputKind kind;
};

// Buttons first, in SDL's order, so a button's number is its slot.
constexpr Input kInputs[] = {
    {"a", InputKind::Button},           {"b", InputKind::Button},
    {"x", InputKind::Button},           {"y", InputKind::Button},
    {"back", InputKind::Button},        {"guide", InputKind::Button},
    {"start", InputKind::Button},       {"leftstickclick", InputKind::Button},
    {"rightstickclick", InputKind::Button}, {"leftshoulder", InputKind::Button},
    {"rightshoulder", InputKind::Button}, {"dpup", InputKind::Button},
    {"dpdown", InputKind::Button},      {"dpleft", InputKind::Button},
    {"dpright", InputKind::Button},     {"misc1", InputKind::Button},
    {"paddle1", InputKind::Button},     {"paddle2", InputKind::Button},
    {"paddle3", InputKind::Button},     {"paddle4", InputKind::Button},
    {"touchpad", InputKind::Button},
    {"lefttrigger", InputKind::Trigger}, {"righttrigger", InputKind::Trigger},
    {"leftstick", InputKind::Stick},    {"rightstick", InputKind::Stick},
    {"leftstickup", InputKind::Direction}, {"leftstickdown", InputKind::Direction},
    {"leftstickleft", InputKind::Direction}, {"leftstickright", InputKind::Direction},
    {"rightstickup", InputKind::Direction}, {"rightstickdown", InputKind::Direction},
    {"rightstickleft", InputKind::Direction}, {"rightstickright", InputKind::Direction},
};
static_assert(SDL_CONTROLLER_BUTTON_MAX == 21, "the input table lists SDL's buttons in order");
constexpr int kCount = sizeof(kInputs) / sizeof(kInputs[0]);
constexpr int kTriggerSlot = SDL_CONTROLLER_BUTTON_MAX;
constexpr int kStickSlot = kTriggerSlot + 2;
constexpr int kDirectionSlot = kStickSlot + 2;

// Keys with a name of more than one character; the rest are single
// printable characters, named by themselves.
struct NamedKey {
    const char* name;
    SDL_Keycode key;
    uint64_t modifierMask;
    uint16_t sdlModifier;
};
constexpr NamedKey kNamedKeys[] = {
    {"space", SDLK_SPACE, 0, 0},
    {"return", SDLK_RETURN, 0, 0},
    {"esc", SDLK_ESCAPE, 0, 0},
    {"tab", SDLK_TAB, 0, 0},
    {"delete", SDLK_BACKSPACE, 0, 0},
    {"up", SDLK_UP, 0, 0},
    {"down", SDLK_DOWN, 0, 0},
    {"left", SDLK_LEFT, 0, 0},
    {"right", SDLK_RIGHT, 0, 0},
    {"left shift", 0, KVShiftModifierMask | KVLeftShiftModifierKeyMask, KMOD_LSHIFT},
    {"right shift", 0, KVShiftModifierMask | KVRightShiftModifierKeyMask, KMOD_RSHIFT},
    {"ctrl", 0, KVControlModifierMask, KMOD_LCTRL},
    {"alt", 0, KVAlternateModifierMask, KMOD_LALT},
    {"cmd", 0, KVCommandModifierMask, KMOD_LGUI},
};

std::string trim(const std::string& s)
{
    const size_t begin = s.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return "";
    return s.substr(begin, s.find_last_not_of(" \t") - begin + 1);
}

std::string lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

int slotNamed(const std::string& name)
{
    for (int i = 0; i < kCount; ++i)
        if (name == kInputs[i].name)
            return i;
    return -1;
}

bool keyAction(const std::string& name, Action* action)
{
    if (name.size() == 1 && name[0] > ' ' && name[0] < 0x7F) {
        action->kind = Action::Kind::Key;
        action->key = static_cast<unsigned char>(name[0]);
        return true;
    }
    for (const NamedKey& k : kNamedKeys) {
        if (lower(name) != k.name)
            continue;
        action->kind = k.modifierMask ? Action::Kind::Modifier : Action::Kind::Key;
        action->key = k.key;
        action->modifierMask = k.modifierMask;
        action->sdlModifier = k.sdlModifier;
        return true;
    }
    return false;
}

// The action of a line's right side for an input of that kind; "" when it
// is one, else why not.
std::string parseAction(const std::string& text, InputKind kind, Action* action)
{
    const size_t space = text.find_first_of(" \t");
    const std::string verb = lower(text.substr(0, space));
    const std::string rest = space == std::string::npos ? "" : trim(text.substr(space));
    const bool stick = kind == InputKind::Stick;
    if (verb == "none" && rest.empty())
        return "";
    if (stick) {
        if (verb == "mouse" && rest.empty())
            action->kind = Action::Kind::Pointer;
        else if (verb == "keys" && rest.empty())
            action->kind = Action::Kind::DirectionKeys;
        else
            return "a stick takes \"mouse\", \"keys\" or \"none\"";
        return "";
    }
    if (verb == "key") {
        if (!keyAction(rest, action))
            return "unknown key \"" + rest + "\" (kelvane-player --controller-help lists them)";
        return "";
    }
    if (verb == "mousebutton") {
        if (lower(rest) != "left" && lower(rest) != "right")
            return "a mouse button is \"left\" or \"right\"";
        action->kind = Action::Kind::MouseButton;
        action->mouseButton = lower(rest) == "left" ? SDL_BUTTON_LEFT : SDL_BUTTON_RIGHT;
        return "";
    }
    if (verb == "mouse" || verb == "keys")
        return "\"" + verb + "\" is for a whole stick (leftstick or rightstick)";
    return "unknown action \"" + text + "\" (key NAME, mousebutton left|right, mouse, keys or none)";
}

Action key(SDL_Keycode keycode)
{
    Action a;
    a.kind = Action::Kind::Key;
    a.key = keycode;
    return a;
}

}  // namespace

KVControllerMapping::KVControllerMapping() : actions_(kCount)
{
    actions_[SDL_CONTROLLER_BUTTON_A] = key(SDLK_SPACE);
    actions_[SDL_CONTROLLER_BUTTON_B] = key(SDLK_ESCAPE);
    actions_[SDL_CONTROLLER_BUTTON_X] = key(SDLK_RETURN);
    actions_[SDL_CONTROLLER_BUTTON_Y] = key(SDLK_TAB);
    actions_[SDL_CONTROLLER_BUTTON_START] = key(SDLK_RETURN);
    actions_[SDL_CONTROLLER_BUTTON_BACK] = key(SDLK_ESCAPE);
    const SDL_Keycode arrows[] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT};
    for (int d = 0; d < 4; ++d) {
        actions_[SDL_CONTROLLER_BUTTON_DPAD_UP + d] = key(arrows[d]);
        actions_[kDirectionSlot + d] = key(arrows[d]);
        actions_[kDirectionSlot + 4 + d] = key(arrows[d]);
    }
    actions_[kStickSlot].kind = Action::Kind::DirectionKeys;
    actions_[kStickSlot + 1].kind = Action::Kind::Pointer;
    actions_[kTriggerSlot].kind = actions_[kTriggerSlot + 1].kind = Action::Kind::MouseButton;
    actions_[kTriggerSlot].mouseButton = SDL_BUTTON_RIGHT;
    actions_[kTriggerSlot + 1].mouseButton = SDL_BUTTON_LEFT;
}

const KVControllerMapping::Action& KVControllerMapping::button(SDL_GameControllerButton button) const
{
    static const Action none;
    return button >= 0 && button < SDL_CONTROLLER_BUTTON_MAX ? actions_[button] : none;
}

const KVControllerMapping::Action& KVControllerMapping::trigger(SDL_GameControllerAxis axis) const
{
    return actions_[kTriggerSlot + (axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT ? 1 : 0)];
}

const KVControllerMapping::Action& KVControllerMapping::stick(int stick) const
{
    return actions_[kStickSlot + (stick ? 1 : 0)];
}

const KVControllerMapping::Action& KVControllerMapping::stickDirection(int stick, Direction direction) const
{
    return actions_[kDirectionSlot + (stick ? 4 : 0) + direction];
}

int KVControllerMapping::apply(const std::string& text, const std::string& source)
{
    int bad = 0;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0)
            line.erase(0, 3);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string content = trim(line);
        if (content.empty() || content[0] == '#')
            continue;
        std::string error;
        const size_t equals = content.find('=');
        const std::string name = lower(trim(content.substr(0, equals)));
        const int slot = equals == std::string::npos ? -1 : slotNamed(name);
        Action action;
        if (equals == std::string::npos)
            error = "expected \"input = action\"";
        else if (slot < 0)
            error = "unknown input \"" + name + "\" (kelvane-player --controller-help lists them)";
        else
            error = parseAction(trim(content.substr(equals + 1)), kInputs[slot].kind, &action);
        if (!error.empty()) {
            std::fprintf(stderr, "kelvane-player: %s:%d: %s; line skipped\n", source.c_str(), number, error.c_str());
            ++bad;
            continue;
        }
        actions_[slot] = action;
        if (kInputs[slot].kind == InputKind::Direction)
            actions_[kStickSlot + (slot - kDirectionSlot) / 4].kind = Action::Kind::DirectionKeys;
    }
    return bad;
}

void KVControllerMapping::applyFile(const std::string& path)
{
    auto refuse = [&](const char* why) {
        std::fprintf(stderr, "kelvane-player: %s: %s; the controller mapping in it is ignored\n", path.c_str(), why);
    };
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        if (errno != ENOENT && errno != ENOTDIR)
            refuse(std::strerror(errno));
        return;
    }
    // A mapping is a few dozen lines; anything far larger is not one.
    constexpr off_t kLargest = 1 << 16;
    if (!S_ISREG(info.st_mode) || info.st_size > kLargest)
        return refuse(S_ISREG(info.st_mode) ? "too large" : "not a file");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return refuse(std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    apply(text.str(), path);
}

KVControllerMapping KVControllerMapping::load(const std::string& folder, const std::string& gameName)
{
    KVControllerMapping mapping;
    mapping.applyFile(folder + "/" + DefaultFileName);
    mapping.applyFile(folder + "/" + gameName + FileExtension);
    return mapping;
}

std::string KVControllerMapping::help()
{
    // Word lists wrapped at 78 columns, continued under their first word.
    auto list = [](const std::string& label, const std::vector<std::string>& words) {
        std::string text = "  " + label;
        size_t column = text.size();
        const std::string indent(text.size(), ' ');
        for (size_t i = 0; i < words.size(); ++i) {
            const std::string word = words[i] + (i + 1 < words.size() ? "," : "");
            if (column + 1 + word.size() > 78 && column > indent.size()) {
                text += "\n" + indent;
                column = indent.size();
            } else if (i > 0) {
                text += " ";
                ++column;
            }
            text += word;
            column += word.size();
        }
        return text + "\n";
    };
    std::vector<std::string> inputs[4];
    for (const Input& input : kInputs)
        inputs[static_cast<int>(input.kind)].push_back(input.name);
    std::vector<std::string> keys;
    for (const NamedKey& k : kNamedKeys)
        keys.push_back(k.name);
    std::string characters;
    for (char c = '!'; c < 0x7F; ++c)
        characters += c;
    return "A controller mapping file has one line per input, \"input = action\"; lines\n"
           "starting with # are comments. Read at start: the defaults, then\n"
           "$XDG_CONFIG_HOME/kelvane-player/default.controller (all games), then\n"
           "$XDG_CONFIG_HOME/kelvane-player/<CFBundleName>.controller (one game).\n"
           "\n"
           "Inputs:\n" +
           list("buttons: ", inputs[0]) + list("triggers: ", inputs[1]) + list("sticks: ", inputs[2]) +
           list("stick directions: ", inputs[3]) +
           "\n"
           "Actions:\n"
           "  key NAME                a keyboard key (buttons, triggers, stick directions)\n"
           "  mousebutton left|right  a mouse button at the pointer\n"
           "  mouse                   a stick moves the mouse pointer\n"
           "  keys                    a stick sends its directions' keys\n"
           "  none                    nothing\n"
           "\n"
           "Key names:\n" +
           list("", keys) + "  or one character of " + characters.substr(0, 47) + "\n                     " +
           characters.substr(47) +
           "\n\n"
           "Defaults: dpup, dpdown, dpleft, dpright and the left stick = key up, down,\n"
           "left, right; a = key space; b = key esc; x = key return; y = key tab;\n"
           "start = key return; back = key esc; rightstick = mouse;\n"
           "righttrigger = mousebutton left; lefttrigger = mousebutton right.\n";
}
