#include "player/standalone/KVScriptedInput.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>

#include "platform/objects/KVNumber.h"
#include "platform/objects/KVString.h"
#include "player/common/KVGameView.h"
#include "player/common/KVKeyNames.h"
#include "player/common/KVKeyboardInputViewController.h"

namespace {

bool parseNumber(const std::string& word, double* value)
{
    if (word.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    *value = std::strtod(word.c_str(), &end);
    return !errno && *end == '\0' && std::isfinite(*value);
}

std::string trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::optional<KVScriptedInput> KVScriptedInput::load(const std::string& path, std::string* error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = path + ": cannot read the input script";
        return std::nullopt;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return parse(text.str(), path, error);
}

std::optional<KVScriptedInput> KVScriptedInput::parse(const std::string& text, const std::string& name,
                                                      std::string* error)
{
    std::map<long, std::vector<Event>> frames;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        const std::string content = trimmed(line);
        if (content.empty() || content[0] == '#')
            continue;
        auto fail = [&](const std::string& why) {
            *error = name + ":" + std::to_string(number) + ": " + why;
            return std::nullopt;
        };
        std::istringstream words(content);
        std::string frameWord, kindWord;
        words >> frameWord >> kindWord;
        double frameValue = 0;
        if (!parseNumber(frameWord, &frameValue) || frameValue < 0 || frameValue != std::floor(frameValue) ||
            frameValue > 1e12)
            return fail("not a frame number: " + frameWord);
        Event event{Kind::KeyDown, {}, 0, 0};
        std::string rest;
        std::getline(words, rest);
        rest = trimmed(rest);
        if (kindWord == "keydown" || kindWord == "keyup" || kindWord == "text") {
            event.kind = kindWord == "keydown" ? Kind::KeyDown : kindWord == "keyup" ? Kind::KeyUp : Kind::Text;
            // Text keeps its spaces; only the one separating it is dropped.
            if (kindWord == "text") {
                std::string raw = line;
                if (!raw.empty() && raw.back() == '\r')
                    raw.pop_back();
                const auto at = raw.find("text") + 4;
                event.text = at < raw.size() ? raw.substr(at + 1) : "";
            } else {
                event.text = rest;
            }
            if (event.text.empty())
                return fail(kindWord + " needs " + (kindWord == "text" ? "a string" : "a key name"));
        } else if (kindWord == "mousedown" || kindWord == "mouseup" || kindWord == "mousemove") {
            event.kind = kindWord == "mousedown" ? Kind::MouseDown
                         : kindWord == "mouseup" ? Kind::MouseUp
                                                 : Kind::MouseMove;
            std::istringstream coords(rest);
            std::string xs, ys, extra;
            coords >> xs >> ys >> extra;
            if (!parseNumber(xs, &event.x) || !parseNumber(ys, &event.y) || !extra.empty())
                return fail(kindWord + " needs two numbers X Y: " + rest);
        } else {
            return fail("unknown event: " + kindWord);
        }
        frames[static_cast<long>(frameValue)].push_back(event);
    }
    KVScriptedInput input;
    for (auto& frame : frames)
        for (Event& event : frame.second)
            input.events_.push_back(Timed{frame.first, std::move(event)});
    return input;
}

std::optional<KVScriptedInput::Event> KVScriptedInput::take(long frame)
{
    std::lock_guard<std::mutex> lock(*mutex_);
    if (next_ >= events_.size() || events_[next_].frame > frame)
        return std::nullopt;
    return events_[next_++].event;
}

bool KVScriptedInput::answerPrompt(KVKeyboardInputViewController& prompt)
{
    while (std::optional<Event> e = take(std::numeric_limits<long>::max())) {
        if (e->kind == Kind::Text) {
            prompt.insertText(e->text);
        } else if (e->kind == Kind::KeyDown && e->text == "delete") {
            prompt.deleteBackward();
        } else if (e->kind == Kind::KeyDown && e->text == "return") {
            prompt.finishedEnteringText();
            return true;
        } else if (e->kind == Kind::KeyDown && e->text == "esc") {
            prompt.cancel();
            return true;
        }
    }
    return false;
}

void KVScriptedInput::deliver(long frame, KVGameView& view)
{
    // One event at a time, with no lock held while the script runs: an
    // event may bring up a prompt, which then takes the ones after it.
    while (!(hold_ && hold_())) {
        const std::optional<Event> next = take(frame);
        if (!next)
            return;
        const Event& e = *next;
        switch (e.kind) {
        case Kind::KeyDown:
        case Kind::KeyUp:
            view.deliverEvent(e.kind == Kind::KeyDown ? KVKeyDownFunction : KVKeyUpFunction,
                              {KVString::withString(e.text)});
            break;
        case Kind::Text:
            for (uint32_t c : KVKeyNames::typedCharacters(e.text)) {
                const std::string key = KVKeyNames::nameForCharacter(c);
                view.deliverEvent(KVKeyDownFunction, {KVString::withString(key)});
                view.deliverEvent(KVKeyUpFunction, {KVString::withString(key)});
            }
            break;
        case Kind::MouseDown:
        case Kind::MouseUp:
        case Kind::MouseMove: {
            const KVPoint p = view.convertWindowPoint({e.x, e.y});
            const char* function = e.kind == Kind::MouseDown ? "mouseDown" : e.kind == Kind::MouseUp ? "mouseUp" : "mouseMoved";
            view.deliverEvent(function, {KVNumber::withFloat(static_cast<float>(p.x)),
                                         KVNumber::withFloat(static_cast<float>(p.y))});
            break;
        }
        }
    }
}
