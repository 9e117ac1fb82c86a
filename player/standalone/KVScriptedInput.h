// Scripted input for automated runs: one event a line, "FRAME keydown NAME",
// "FRAME keyup NAME", "FRAME text STRING", "FRAME mousedown X Y",
// "FRAME mouseup X Y", "FRAME mousemove X Y". Blank lines and lines starting
// with "#" are skipped. Frames count from 0; the events of a frame reach the
// script before that frame's update. Key names are those the script
// receives; text types each character as a key press and release; X Y are
// window points from the top left, mapped as real mouse positions are.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

class KVGameView;

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

    const std::vector<Event>& eventsForFrame(long frame) const;
    size_t eventCount() const;

    // Hands the frame's events to the script through the view.
    void deliver(long frame, KVGameView& view) const;

private:
    std::map<long, std::vector<Event>> frames_;
};
