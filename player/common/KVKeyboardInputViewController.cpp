#include "player/common/KVKeyboardInputViewController.h"

#include <GL/gl.h>

#include <algorithm>

#include "platform/runloop/KVMainThreadQueue.h"
#include "platform/runloop/KVThreadWait.h"
#include "platform/text/StringTexture.h"
#include "player/common/KVGameWindow.h"
#include "player/common/KVKeyboardInputSupport.h"

namespace {

constexpr double kBarHeight = 44;
constexpr double kMargin = 16;
constexpr double kFieldHeight = 40;
constexpr double kFieldPadding = 8;
constexpr double kButtonWidth = 100;
constexpr double kButtonHeight = 36;
constexpr double kTitleSize = 17;
constexpr double kFieldTextSize = 18;
constexpr double kButtonTextSize = 16;
constexpr double kGridCellWidth = 40;   // at most
constexpr double kGridCellHeight = 32;  // at most
constexpr double kGridSmallestCell = 14;
constexpr const char* kFont = "LucidaGrande";

struct Color {
    double r, g, b;
};
constexpr Color kBackground{0.92, 0.92, 0.94};
constexpr Color kBar{0.98, 0.98, 0.98};
constexpr Color kRule{0.70, 0.70, 0.72};
constexpr Color kFieldBorder{0.62, 0.62, 0.66};
constexpr Color kWhite{1, 1, 1};
constexpr Color kAccent{0.16, 0.44, 0.90};
constexpr Color kTitleText{0.10, 0.10, 0.12};
constexpr Color kFieldText{0.05, 0.05, 0.05};
constexpr Color kMarkedText{0.35, 0.35, 0.40};

void fill(const KVPromptRect& r, Color c)
{
    if (r.width <= 0 || r.height <= 0)
        return;
    glColor4d(c.r, c.g, c.b, 1);
    glBegin(GL_QUADS);
    glVertex2d(r.x, r.y);
    glVertex2d(r.x + r.width, r.y);
    glVertex2d(r.x + r.width, r.y + r.height);
    glVertex2d(r.x, r.y + r.height);
    glEnd();
}

KVPromptRect inset(const KVPromptRect& r, double by)
{
    return {r.x + by, r.y + by, std::max(0.0, r.width - 2 * by), std::max(0.0, r.height - 2 * by)};
}

// Length of the last UTF-8 code point of the text.
size_t lastCharacterLength(const std::string& text)
{
    size_t n = 1;
    while (n < text.size() && n < 4 && (static_cast<unsigned char>(text[text.size() - n]) & 0xC0) == 0x80)
        ++n;
    return std::min(n, text.size());
}

}  // namespace

// One line of text with its texture, made again only when the text changes.
struct KVKeyboardInputViewController::Label {
    std::unique_ptr<StringTexture> texture;
    std::string text;
    bool made = false;

    void release()
    {
        if (texture)
            texture->deleteTexture();
        texture.reset();
        made = false;
    }
    // The texture's size for the text (0 x 0 when it has none).
    KVTextSize prepare(const std::string& newText, double fontSize, Color color)
    {
        if (made && newText == text)
            return texture && texture->texName() ? texture->texSize() : KVTextSize{};
        release();
        text = newText;
        made = true;
        if (text.empty())
            return {};
        KVTextAttributes attributes;
        attributes.fontName = kFont;
        attributes.size = fontSize;
        texture = std::make_unique<StringTexture>(text, attributes, KVTextColor{color.r, color.g, color.b, 1},
                                                  KVTextColor{}, KVTextColor{});
        return texture->genTexture() ? texture->texSize() : KVTextSize{};
    }
    void drawAt(double x, double y)
    {
        if (texture && texture->texName())
            texture->drawAtPoint(x, y);
    }
};

KVKeyboardInputViewController::Layout KVKeyboardInputViewController::layout(KVSize view)
{
    Layout l;
    l.bar = {0, view.height - kBarHeight, view.width, kBarHeight};
    l.field = {kMargin, l.bar.y - 24 - kFieldHeight, std::max(0.0, view.width - 2 * kMargin), kFieldHeight};
    l.button = {std::max(kMargin, view.width - kMargin - kButtonWidth), l.field.y - kMargin - kButtonHeight,
                kButtonWidth, kButtonHeight};
    const double gridTop = l.button.y - kMargin / 2;
    const double width = std::min(view.width - 2 * kMargin, kGridCellWidth * GridColumns);
    const double height = std::min(gridTop - kMargin, kGridCellHeight * GridRowCount);
    if (width >= kGridSmallestCell * GridColumns && height >= kGridSmallestCell * GridRowCount)
        l.grid = {(view.width - width) / 2, gridTop - height, width, height};
    return l;
}

KVPromptRect KVKeyboardInputViewController::gridCell(const Layout& layout, int column, int row)
{
    const double w = layout.grid.width / GridColumns, h = layout.grid.height / GridRowCount;
    return {layout.grid.x + column * w, layout.grid.y + layout.grid.height - (row + 1) * h, w, h};
}

KVKeyboardInputViewController::KVKeyboardInputViewController() = default;
KVKeyboardInputViewController::~KVKeyboardInputViewController() = default;

void KVKeyboardInputViewController::setDelegate(KVKeyboardInputSupport* delegate)
{
    std::lock_guard<std::mutex> lock(mutex_);
    delegate_ = delegate;
}

void KVKeyboardInputViewController::setDisplayView(KVGameWindow* displayView)
{
    std::lock_guard<std::mutex> lock(mutex_);
    displayView_ = displayView;
}

void KVKeyboardInputViewController::setOnChange(std::function<void()> onChange)
{
    std::lock_guard<std::mutex> lock(mutex_);
    onChange_ = std::move(onChange);
}

void KVKeyboardInputViewController::setOnEdit(std::function<void(Edit, const std::string&)> onEdit)
{
    std::lock_guard<std::mutex> lock(mutex_);
    onEdit_ = std::move(onEdit);
}

void KVKeyboardInputViewController::edited(Edit edit, const std::string& text)
{
    std::function<void(Edit, const std::string&)> onEdit;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        onEdit = onEdit_;
    }
    if (onEdit)
        onEdit(edit, text);
}

void KVKeyboardInputViewController::changed()
{
    std::function<void()> onChange;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        onChange = onChange_;
    }
    if (onChange)
        onChange();
}

void KVKeyboardInputViewController::setPrompt(const std::string& prompt)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        prompt_ = prompt;
    }
    changed();
}

std::string KVKeyboardInputViewController::prompt() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return prompt_;
}

void KVKeyboardInputViewController::setInitialValue(const std::string& value)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        text_ = initialValue_ = value;
    }
    changed();
}

std::string KVKeyboardInputViewController::text() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return text_;
}

void KVKeyboardInputViewController::addToDisplayView()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        shown_ = true;
        confirmed_ = false;
        marked_.clear();
        gridColumn_ = gridRow_ = 0;
    }
    changed();
}

void KVKeyboardInputViewController::removeFromDisplayView()
{
    // No redisplay: the game draws again once it plays, and the textures
    // go with the next frame.
    std::lock_guard<std::mutex> lock(mutex_);
    shown_ = false;
    marked_.clear();
}

bool KVKeyboardInputViewController::isShown() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return shown_;
}

KVSize KVKeyboardInputViewController::sizeFrame() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return sizeFrame_;
}

void KVKeyboardInputViewController::setSizeFrame(KVSize size)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        sizeFrame_ = size;
    }
    changed();
}

void KVKeyboardInputViewController::viewWillAppear()
{
    std::weak_ptr<KVKeyboardInputViewController> weak = weak_from_this();
    KVThreadWait::servedQueue().performAsync([weak] {
        if (auto self = weak.lock())
            self->updateViewSize();
    });
}

void KVKeyboardInputViewController::updateViewSize()
{
    KVGameWindow* display = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        display = displayView_;
    }
    if (display)
        setSizeFrame(display->contentSize());
}

void KVKeyboardInputViewController::insertText(const std::string& text)
{
    // One line: control characters (a pasted line break) are left out.
    std::string printable;
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
            printable += c;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!shown_ || printable.empty())
            return;
        text_ += printable;
        marked_.clear();
    }
    edited(Edit::insert, printable);
    changed();
}

void KVKeyboardInputViewController::deleteBackward()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!shown_ || text_.empty())
            return;
        text_.erase(text_.size() - lastCharacterLength(text_));
    }
    edited(Edit::deleteBackward, "");
    changed();
}

void KVKeyboardInputViewController::setMarkedText(const std::string& text)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!shown_ || marked_ == text)
            return;
        marked_ = text;
    }
    changed();
}

std::string KVKeyboardInputViewController::markedText() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return marked_;
}

void KVKeyboardInputViewController::finishedEnteringText()
{
    finish(false);
}

void KVKeyboardInputViewController::cancel()
{
    finish(true);
}

void KVKeyboardInputViewController::finish(bool cancelled)
{
    KVKeyboardInputSupport* delegate = nullptr;
    std::string text;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!shown_ || confirmed_)
            return;
        confirmed_ = true;
        delegate = delegate_;
        text = cancelled ? initialValue_ : text_;
    }
    // Recorded before the delegate answers: the answer restarts the game.
    edited(cancelled ? Edit::cancel : Edit::confirm, text);
    if (delegate)
        delegate->keyboardInputDidFinish(*this, text);
}

void KVKeyboardInputViewController::setShowsCharacterGrid(bool shows)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (showsGrid_ == shows)
            return;
        showsGrid_ = shows;
    }
    changed();
}

bool KVKeyboardInputViewController::showsCharacterGrid() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return showsGrid_;
}

void KVKeyboardInputViewController::moveGridSelection(int columns, int rows)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!shown_)
            return;
        gridColumn_ = ((gridColumn_ + columns) % GridColumns + GridColumns) % GridColumns;
        gridRow_ = ((gridRow_ + rows) % GridRowCount + GridRowCount) % GridRowCount;
    }
    changed();
}

void KVKeyboardInputViewController::typeGridSelection()
{
    char c;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        c = GridRows[gridRow_][gridColumn_];
    }
    insertText(std::string(1, c));
}

bool KVKeyboardInputViewController::clickAt(KVPoint viewPoint)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!shown_ || !layout(sizeFrame_).button.contains(viewPoint))
            return false;
    }
    finishedEnteringText();
    return true;
}

void KVKeyboardInputViewController::releaseTextures()
{
    for (std::unique_ptr<Label>* label : {&title_, &field_, &markedLabel_, &button_})
        if (*label)
            (*label)->release();
    for (auto& label : gridLabels_)
        label->release();
}

void KVKeyboardInputViewController::drawGrid(const Layout& l, int column, int row, double sx, double sy)
{
    if (l.grid.width <= 0)
        return;
    if (gridLabels_.empty())
        for (int i = 0; i < GridColumns * GridRowCount; ++i)
            gridLabels_.push_back(std::make_unique<Label>());
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_TEXTURE_2D);
    fill(l.grid, kFieldBorder);
    fill(inset(l.grid, 1), kWhite);
    // The selected cell is framed.
    const KVPromptRect selected = gridCell(l, column, row);
    fill(selected, kAccent);
    fill(inset(selected, 3), kWhite);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_SCISSOR_TEST);
    const double fontSize = std::min(kFieldTextSize, l.grid.height / GridRowCount * 0.6);
    for (int r = 0; r < GridRowCount; ++r)
        for (int c = 0; c < GridColumns; ++c) {
            const KVPromptRect cell = gridCell(l, c, r);
            // The space shows as an open box.
            const std::string character = GridRows[r][c] == ' ' ? "\xE2\x90\xA3" : std::string(1, GridRows[r][c]);
            Label& label = *gridLabels_[r * GridColumns + c];
            const KVTextSize size = label.prepare(character, fontSize, kFieldText);
            glScissor(static_cast<GLint>(cell.x * sx), static_cast<GLint>(cell.y * sy),
                      static_cast<GLsizei>(cell.width * sx), static_cast<GLsizei>(cell.height * sy));
            label.drawAt(cell.x + (cell.width - size.width) / 2, cell.y + (cell.height - size.height) / 2);
        }
}

bool KVKeyboardInputViewController::draw(KVSize drawable)
{
    std::string prompt, text, marked;
    KVSize view;
    bool shown, grid;
    int column, row;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        shown = shown_;
        grid = showsGrid_;
        column = gridColumn_;
        row = gridRow_;
        prompt = prompt_;
        text = text_;
        marked = marked_;
        view = sizeFrame_;
    }
    if (!shown) {
        releaseTextures();
        return false;
    }
    if (drawable.width < 1 || drawable.height < 1)
        return false;
    if (view.width <= 0 || view.height <= 0)
        view = drawable;
    for (std::unique_ptr<Label>* label : {&title_, &field_, &markedLabel_, &button_})
        if (!*label)
            *label = std::make_unique<Label>();

    const Layout l = layout(view);
    const double sx = drawable.width / view.width;
    const double sy = drawable.height / view.height;
    auto scissor = [&](const KVPromptRect& r) {
        glScissor(static_cast<GLint>(r.x * sx), static_cast<GLint>(r.y * sy), static_cast<GLsizei>(r.width * sx),
                  static_cast<GLsizei>(r.height * sy));
    };

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, view.width, 0, view.height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glViewport(0, 0, static_cast<GLsizei>(drawable.width), static_cast<GLsizei>(drawable.height));
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_ALPHA_TEST);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    // The panels.
    glDisable(GL_TEXTURE_2D);
    fill({0, 0, view.width, view.height}, kBackground);
    fill(l.bar, kBar);
    fill({0, l.bar.y - 1, view.width, 1}, kRule);
    fill(l.field, kFieldBorder);
    const KVPromptRect fieldInside = inset(l.field, 1);
    fill(fieldInside, kWhite);
    fill(l.button, kAccent);

    // The texts.
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4d(1, 1, 1, 1);
    glEnable(GL_SCISSOR_TEST);

    const KVTextSize title = title_->prepare(prompt, kTitleSize, kTitleText);
    scissor({kMargin, l.bar.y, std::max(0.0, view.width - 2 * kMargin), l.bar.height});
    title_->drawAt((view.width - title.width) / 2, l.bar.y + (l.bar.height - title.height) / 2);

    // The field shows the end of a text too long for it.
    const KVPromptRect textArea = inset(l.field, kFieldPadding);
    const KVTextSize typed = field_->prepare(text, kFieldTextSize, kFieldText);
    const KVTextSize composing = markedLabel_->prepare(marked, kFieldTextSize, kMarkedText);
    const double textWidth = typed.width + composing.width;
    const double textX = textArea.x + std::min(0.0, textArea.width - textWidth - 2);
    const double lineHeight = std::max({typed.height, composing.height, kFieldTextSize + 4});
    const double textY = l.field.y + (l.field.height - lineHeight) / 2;
    scissor(fieldInside);
    field_->drawAt(textX, textY);
    markedLabel_->drawAt(textX + typed.width, textY);

    const KVTextSize label = button_->prepare(ConfirmTitle, kButtonTextSize, kWhite);
    scissor(l.button);
    button_->drawAt(l.button.x + (l.button.width - label.width) / 2,
                    l.button.y + (l.button.height - label.height) / 2);

    // The caret after the text, and the composition underlined.
    glDisable(GL_TEXTURE_2D);
    scissor(fieldInside);
    const double caretX = textX + textWidth + (textWidth > 0 ? -2 : 2);
    fill({caretX, l.field.y + 8, 2, l.field.height - 16}, kAccent);
    if (composing.width > 0)
        fill({textX + typed.width + 4, l.field.y + 9, std::max(0.0, composing.width - 8), 1}, kMarkedText);

    if (grid)
        drawGrid(l, column, row, sx, sy);

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();
    return true;
}
