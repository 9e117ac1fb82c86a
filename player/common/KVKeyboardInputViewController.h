// The text prompt a game asks for: a bar with the prompt as its title, a
// text field holding the answer, and a "Done" button; with a game
// controller, a grid of characters to type from. It covers its display
// view and is drawn with OpenGL over the game by the thread that draws.
//
// Edits and the confirmation come from the main thread; setPrompt and
// setInitialValue from the script's thread; draw from the drawing thread.
// All state is behind one mutex; the delegate is called with none held.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "player/common/KVViewGeometry.h"

class KVGameWindow;
class KVKeyboardInputSupport;
class StringTexture;

struct KVPromptRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    bool contains(KVPoint p) const { return p.x >= x && p.x < x + width && p.y >= y && p.y < y + height; }
};

class KVKeyboardInputViewController : public std::enable_shared_from_this<KVKeyboardInputViewController> {
public:
    static constexpr const char* ConfirmTitle = "Done";
    // The character grid, row by row (the first cell of the last row is a
    // space).
    static constexpr int GridColumns = 13;
    static constexpr const char* GridRows[] = {"ABCDEFGHIJKLM", "NOPQRSTUVWXYZ", "abcdefghijklm",
                                               "nopqrstuvwxyz", "0123456789.-_", " @!?,'&+#/:()"};
    static constexpr int GridRowCount = sizeof(GridRows) / sizeof(GridRows[0]);

    // Where the parts lie in a view of that size, in points from the
    // bottom left.
    struct Layout {
        KVPromptRect bar;
        KVPromptRect field;
        KVPromptRect button;
        KVPromptRect grid;  // below the button; empty when the view is too small
    };
    static Layout layout(KVSize view);
    // A cell of the character grid in the layout.
    static KVPromptRect gridCell(const Layout& layout, int column, int row);

    KVKeyboardInputViewController();
    ~KVKeyboardInputViewController();
    KVKeyboardInputViewController(const KVKeyboardInputViewController&) = delete;
    KVKeyboardInputViewController& operator=(const KVKeyboardInputViewController&) = delete;

    void setDelegate(KVKeyboardInputSupport* delegate);
    void setDisplayView(KVGameWindow* displayView);
    // Called after every visible change (any thread, no lock held).
    void setOnChange(std::function<void()> onChange);
    // What the field's user did, for recording input: text typed, the last
    // character taken away, the answer confirmed, or the prompt cancelled.
    // Called after each edit that changed something, no lock held.
    enum class Edit { insert, deleteBackward, confirm, cancel };
    void setOnEdit(std::function<void(Edit edit, const std::string& text)> onEdit);

    void setPrompt(const std::string& prompt);
    std::string prompt() const;
    void setInitialValue(const std::string& value);
    // What the field holds.
    std::string text() const;

    // The view is shown over its display view, or taken away.
    void addToDisplayView();
    void removeFromDisplayView();
    bool isShown() const;

    // The view's size in points; zero until first sized.
    KVSize sizeFrame() const;
    void setSizeFrame(KVSize size);
    // Schedules updateViewSize on the main thread.
    void viewWillAppear();
    // Takes the display view's size (main thread).
    void updateViewSize();

    // Typing, on the main thread. Text is UTF-8.
    void insertText(const std::string& text);
    // Removes the last character (a whole code point).
    void deleteBackward();
    // Text an input method is composing; shown after the field's text.
    void setMarkedText(const std::string& text);
    std::string markedText() const;
    // The confirm action: hands the field's text to the delegate, once per
    // showing.
    void finishedEnteringText();
    // Escape: hands the initial value back instead, as if nothing was typed.
    void cancel();

    // The character grid, for typing without a keyboard. Shown or not, it
    // starts each showing at its first cell; moves wrap around its edges.
    void setShowsCharacterGrid(bool shows);
    bool showsCharacterGrid() const;
    void moveGridSelection(int columns, int rows);
    // Types the selected character.
    void typeGridSelection();
    // A click at a point of the view (points from the bottom left); true
    // when it hit the confirm button (which then confirmed).
    bool clickAt(KVPoint viewPoint);

    // Draws the view over the drawable area (pixels) when shown, on the
    // drawing thread with the context current, and leaves the GL state as
    // it found it; true when it drew. When not shown it frees its textures.
    bool draw(KVSize drawable);

private:
    struct Label;
    void changed();
    void finish(bool cancelled);
    void edited(Edit edit, const std::string& text);
    void releaseTextures();
    void drawGrid(const Layout& layout, int column, int row, double scaleX, double scaleY);

    mutable std::mutex mutex_;
    KVKeyboardInputSupport* delegate_ = nullptr;
    KVGameWindow* displayView_ = nullptr;
    std::function<void()> onChange_;
    std::function<void(Edit, const std::string&)> onEdit_;
    std::string prompt_;
    std::string text_;
    std::string initialValue_;
    std::string marked_;
    KVSize sizeFrame_;
    bool shown_ = false;
    bool confirmed_ = false;
    bool showsGrid_ = false;
    int gridColumn_ = 0;
    int gridRow_ = 0;

    // Drawing thread only.
    std::unique_ptr<Label> title_;
    std::unique_ptr<Label> field_;
    std::unique_ptr<Label> markedLabel_;
    std::unique_ptr<Label> button_;
    std::vector<std::unique_ptr<Label>> gridLabels_;
};
