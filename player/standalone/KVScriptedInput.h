// Scripted input for automated runs: one event a line, "FRAME keydown NAME",
// "FRAME keyup NAME", "FRAME text STRING", "FRAME mousedown X Y",
// "FRAME mouseup X Y", "FRAME mousemove X Y". Blank lines and lines starting
// with "#" are skipped. Frames count from 0; the events of a frame reach the
// script before that frame's update. Key names are those the script
// receives; text types each character as a key press and release; X Y are
// window points from the top left, mapped as real mouse positions are.
//
// While a keyboard prompt is shown the game is paused and draws no frames:
// the events that follow in the file then go to the prompt, whatever their
// frame. Text is typed into it, "keydown delete" erases a character and
// "keydown return" confirms it; other events are used up without effect.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class KVGameView;
class KVKeyboardInputViewController;

class KVScriptedInput {
public:
    enum class Kind { KeyDown, KeyUp, Text, MouseDown, MouseUp, MouseMove };
    struct Event {
        Kind kind;
        std::string text;  // key name or typed text
        double x = 0;
        double y = 0;
    };

    // Nothing, with a one-line reason naming the file and line, when the
    // file cannot be read or a line is malformed.
    static std::optional<KVScriptedInput> load(const std::string& path, std::string* error);
    static std::optional<KVScriptedInput> parse(const std::string& text, const std::string& name, std::string* error);

    size_t eventCount() const { return events_.size(); }

    // Hands the events of this frame and of earlier ones not yet delivered
    // to the script through the view, in order; on the drawing thread.
    void deliver(long frame, KVGameView& view);
    // While hold answers true, deliver leaves the events queued.
    void setHold(std::function<bool()> hold) { hold_ = std::move(hold); }
    // Hands the next events to the prompt until one confirms it; false when
    // the events ran out first. On the main thread.
    bool answerPrompt(KVKeyboardInputViewController& prompt);

private:
    struct Timed {
        long frame;
        Event event;
    };
    // The next event (taken from the queue) when it is due by the frame.
    std::optional<Event> take(long frame);

    std::vector<Timed> events_;  // by frame, in file order within a frame
    size_t next_ = 0;
    std::unique_ptr<std::mutex> mutex_ = std::make_unique<std::mutex>();
    std::function<bool()> hold_;
};
