// Records the input a game receives (--record) in the format --input reads
// (KVScriptedInput), one line an event, stamped with the frame before which
// the event reached the game: keys by the names the script got, mouse
// events at the window points they came from, and what was typed into a
// keyboard prompt. Whatever the input came from (the keyboard, the mouse, a
// controller, scripted input) it is recorded as it reached the game.
//
// Lines are written as they come to a private file beside FILE, which takes
// FILE's place at finish(): an earlier recording is replaced only by a
// whole one. Any thread may record.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "engine/bridge/LuaState.h"
#include "player/common/KVKeyboardInputViewController.h"

class KVGameView;
class KVReplacingFile;

class KVInputRecorder {
public:
    // Null, with a one-line reason naming the file, when it cannot be made.
    static std::unique_ptr<KVInputRecorder> create(const std::string& path, std::string* error);
    // Without finish(), the unfinished recording is removed.
    ~KVInputRecorder();
    KVInputRecorder(const KVInputRecorder&) = delete;
    KVInputRecorder& operator=(const KVInputRecorder&) = delete;

    // The script's input function `function` called with `args` before
    // frame `frame`; mouse positions go back to window points through the view.
    void scriptInput(long frame, const std::string& function, const LuaArguments& args, const KVGameView& view);
    // An edit of the keyboard prompt shown before frame `frame`.
    void promptEdit(long frame, KVKeyboardInputViewController::Edit edit, const std::string& text);

    // Gives the recording its name. False, with a line naming the file,
    // when it could not be written.
    bool finish(std::string* error);

private:
    KVInputRecorder() = default;
    void write(long frame, const std::string& event);

    std::mutex mutex_;
    std::unique_ptr<KVReplacingFile> file_;
    std::string error_;  // the first write that failed
    bool finished_ = false;
};
