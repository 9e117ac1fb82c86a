#include "player/standalone/KVInputRecorder.h"

#include <charconv>

#include "platform/objects/KVLogLine.h"
#include "platform/objects/KVNumber.h"
#include "platform/objects/KVString.h"
#include "platform/paths/KVReplacingFile.h"
#include "player/common/KVGameView.h"
#include "player/common/KVKeyNames.h"

namespace {

// The shortest text that reads back as the same number.
std::string number(double value)
{
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

}  // namespace

std::unique_ptr<KVInputRecorder> KVInputRecorder::create(const std::string& path, std::string* error)
{
    std::unique_ptr<KVInputRecorder> recorder(new KVInputRecorder);
    recorder->file_ = KVReplacingFile::create(path, error);
    if (!recorder->file_)
        return nullptr;
    recorder->write(-1, "# input recorded by kelvane-player: FRAME EVENT, as --input reads it");
    return recorder;
}

KVInputRecorder::~KVInputRecorder() = default;

void KVInputRecorder::write(long frame, const std::string& event)
{
    // A line break would end the event early; nothing the game is given
    // holds one, and what does cannot be written in this format.
    if (event.find_first_of("\r\n") != std::string::npos)
        return;
    const std::string line = (frame < 0 ? event : std::to_string(frame) + " " + event) + "\n";
    std::lock_guard<std::mutex> lock(mutex_);
    if (finished_ || !error_.empty())
        return;
    if (!file_->write(line, &error_))
        KVLogLine("%s; the rest of the input is not recorded", error_.c_str());
}

void KVInputRecorder::scriptInput(long frame, const std::string& function, const LuaArguments& args,
                                  const KVGameView& view)
{
    const bool key = function == KVKeyDownFunction || function == KVKeyUpFunction;
    const char* mouse = function == "mouseDown" ? "mousedown"
                        : function == "mouseUp"  ? "mouseup"
                        : function == "mouseMoved" ? "mousemove"
                                                   : nullptr;
    if (key && args.size() == 1) {
        if (auto* name = dynamic_cast<const KVString*>(args[0].get()); name && !name->utf8().empty())
            write(frame, std::string(function == KVKeyDownFunction ? "keydown " : "keyup ") + name->utf8());
    } else if (mouse && args.size() == 2) {
        auto* x = dynamic_cast<const KVNumber*>(args[0].get());
        auto* y = dynamic_cast<const KVNumber*>(args[1].get());
        if (x && y) {
            const KVPoint p = view.windowPointForGamePoint({x->doubleValue(), y->doubleValue()});
            write(frame, std::string(mouse) + " " + number(p.x) + " " + number(p.y));
        }
    }
}

void KVInputRecorder::promptEdit(long frame, KVKeyboardInputViewController::Edit edit, const std::string& text)
{
    using Edit = KVKeyboardInputViewController::Edit;
    if (edit == Edit::insert && !text.empty())
        write(frame, "text " + text);
    else if (edit == Edit::deleteBackward)
        write(frame, "keydown delete");
    else if (edit == Edit::confirm)
        write(frame, "keydown return");
    else if (edit == Edit::cancel)
        write(frame, "keydown esc");
}

bool KVInputRecorder::finish(std::string* error)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!finished_ && error_.empty())
        file_->commit(&error_);
    finished_ = true;
    *error = error_;
    return error_.empty();
}
