#include "platform/text/StringTexture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <vector>

#include <EGL/egl.h>
#include <GL/gl.h>
#include <GL/glx.h>
#include <pango/pangocairo.h>

#include "platform/gl/CheckGLError.h"
#include "platform/gl/KVQuadBatch.h"
#include "platform/text/KVTextTypesetter.h"

namespace {

constexpr KVTextColor kWhite{1.0, 1.0, 1.0, 1.0};
constexpr KVTextColor kClear{0.0, 0.0, 0.0, 0.0};
constexpr KVTextColor kClearWhite{1.0, 1.0, 1.0, 0.0};

// Pango wants valid UTF-8; a game's text may not be. Bad bytes become
// U+FFFD rather than losing the whole string.
std::string validUTF8(const std::string& text)
{
    gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    std::string result(valid);
    g_free(valid);
    return result;
}

// The context current on this thread, whichever API made it current: EGL
// (headless runs, SDL on Wayland) or GLX (SDL on X11). Null when none.
void* currentGLContext()
{
    if (EGLContext egl = eglGetCurrentContext(); egl != EGL_NO_CONTEXT)
        return egl;
    return glXGetCurrentContext();
}

// Pango's width for a wrapping width in points.
int pangoWidth(double points)
{
    return static_cast<int>(points * PANGO_SCALE);
}

// Where a layout `layoutWidth` Pango units wide puts a line `lineWidth`
// wide, as Pango aligns it (a centred line of whole pixels keeps to whole
// pixels).
int alignedLineX(KVTextAlignment alignment, int layoutWidth, int lineWidth)
{
    switch (alignment) {
    case KVTextAlignmentLeft: return 0;
    case KVTextAlignmentRight: return layoutWidth - lineWidth;
    default: {
        const int x = (layoutWidth - lineWidth) / 2;
        return ((layoutWidth | lineWidth) & (PANGO_SCALE - 1)) == 0 ? PANGO_UNITS_ROUND(x) : x;
    }
    }
}

// Whether the unwrapped layout's lines can be drawn one by one where a
// layout `layoutWidth` wide would put them: every line fits with room to
// spare, so that width wraps nothing, and no glyph is drawn as a box
// (boxes are drawn as paths, whose points would round differently).
bool linesFit(PangoLayout* layout, int layoutWidth)
{
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    if (logical.width + PANGO_SCALE > layoutWidth)
        return false;
    for (GSList* l = pango_layout_get_lines_readonly(layout); l; l = l->next)
        for (GSList* run = static_cast<PangoLayoutLine*>(l->data)->runs; run; run = run->next) {
            const PangoGlyphString* glyphs = static_cast<PangoGlyphItem*>(run->data)->glyphs;
            for (int g = 0; g < glyphs->num_glyphs; ++g)
                if (glyphs->glyphs[g].glyph & PANGO_GLYPH_UNKNOWN_FLAG)
                    return false;
        }
    return true;
}

// Draws the lines of an unwrapped layout with the top left at (x, y) where
// a layout `layoutWidth` wide would align them. Each line is shifted by the
// transformation, not by the current point, which cairo keeps in coarser
// fixed point: the glyphs land on exactly the same positions.
void showAlignedLines(cairo_t* cr, PangoLayout* layout, KVTextAlignment alignment, int layoutWidth, double x,
                      double y)
{
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    do {
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(iter, nullptr, &logical);
        const int lineX = alignedLineX(alignment, layoutWidth, logical.width);
        const int baseline = pango_layout_iter_get_baseline(iter);
        cairo_save(cr);
        cairo_translate(cr, x + static_cast<double>(lineX) / PANGO_SCALE,
                        y + static_cast<double>(baseline) / PANGO_SCALE);
        cairo_new_path(cr);
        pango_cairo_show_layout_line(cr, pango_layout_iter_get_line_readonly(iter));
        cairo_restore(cr);
    } while (pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);
}

// Height, from the top of the layout, down to which its lines fit whole in
// `height` points.
double heightOfWholeLines(PangoLayout* layout, double height)
{
    double fits = 0.0;
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    do {
        int top = 0;
        int bottom = 0;
        pango_layout_iter_get_line_yrange(iter, &top, &bottom);
        const double lineBottom = static_cast<double>(bottom) / PANGO_SCALE;
        if (lineBottom > height)
            break;
        fits = lineBottom;
    } while (pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);
    return fits;
}

// Row a, column c: the premultiplied component c at alpha a made straight,
// rounded (0 where nothing shows).
const unsigned char* unpremultiplyTable()
{
    static const std::vector<unsigned char> table = [] {
        std::vector<unsigned char> rows(256 * 256, 0);
        for (uint32_t a = 1; a < 256; ++a)
            for (uint32_t c = 0; c < 256; ++c)
                rows[a * 256 + c] = static_cast<unsigned char>(std::min<uint32_t>((c * 255 + a / 2) / a, 255));
        return rows;
    }();
    return table.data();
}

bool isEmptyFrame(double width, double height)
{
    return !(width >= 1.0 && height >= 1.0);
}

}  // namespace

StringTexture::StringTexture(const std::string& text, const std::string& fontName, double size,
                             KVTextAlignment alignment)
    : StringTexture(text, KVTextAttributes{fontName, size, alignment}, kWhite, kClear, kClear)
{
}

StringTexture::StringTexture(const std::string& text, const KVTextAttributes& attributes)
    : StringTexture(text, attributes, kWhite, kClearWhite, kClearWhite)
{
}

StringTexture::StringTexture(const std::string& text, const KVTextAttributes& attributes,
                             const KVTextColor& textColor, const KVTextColor& boxColor,
                             const KVTextColor& borderColor)
    : text_(validUTF8(text)),
      attributes_(attributes),
      textColor_(textColor),
      boxColor_(boxColor),
      borderColor_(borderColor)
{
}

const char* StringTexture::fontNameForDisplayName(const std::string& displayName)
{
    static const std::unordered_map<std::string, const char*> table = {
        {"Arial", "ArialMT"},
        {"Courier New", "CourierNewPSMT"},
        {"Georgia", "Georgia"},
        {"Times New Roman", "TimesNewRomanPSMT"},
        {"Trebuchet MS", "TrebuchetMS"},
        {"Verdana", "Verdana"},
        {"Zapfino", "Zapfino"},
        {"Helvetica", "Helvetica"},
        {"Helvetica Neue", "Helvetica Neue"},
        {"American Typewriter", "American Typewriter"},
        {"Baskerville", "Baskerville"},
        {"Cochin", "Cochin"},
        {"Futura", "Futura"},
        {"Gill Sans", "Gill Sans"},
    };
    const auto entry = table.find(displayName);
    return entry == table.end() ? nullptr : entry->second;
}

bool StringTexture::hasUsableFontSize() const
{
    return std::isfinite(attributes_.size) && attributes_.size > 0.0 && attributes_.size <= kMaxSide;
}

KVTextSize StringTexture::measureText() const
{
    if (!hasUsableFontSize())
        return KVTextSize{};
    int width = 0;
    int height = 0;
    pango_layout_get_pixel_size(KVTextTypesetter::shared().layout(text_, attributes_, -1), &width, &height);
    return KVTextSize{static_cast<double>(width), static_cast<double>(height)};
}

KVTextSize StringTexture::frameSize()
{
    if (!staticFrame_ && frameSize_.width == 0.0 && frameSize_.height == 0.0) {
        const KVTextSize text = measureText();
        frameSize_ = KVTextSize{text.width + 2.0 * marginSize_.width, text.height + 2.0 * marginSize_.height};
    }
    return frameSize_;
}

void StringTexture::setMargins(KVTextSize margins)
{
    deleteTexture();
    marginSize_ = margins;
    if (!staticFrame_)
        frameSize_ = KVTextSize{};
}

void StringTexture::useStaticFrame(KVTextSize frame)
{
    deleteTexture();
    frameSize_ = frame;
    staticFrame_ = true;
}

void StringTexture::useDynamicFrame()
{
    if (!staticFrame_)
        return;
    deleteTexture();
    staticFrame_ = false;
    frameSize_ = KVTextSize{};
}

bool StringTexture::genTexture()
{
    texSize_ = KVTextSize{};
    if (!hasUsableFontSize()) {
        deleteTexture();
        fprintf(stderr, "StringTexture -genTexture: the font size %g is not a usable size; no texture made\n",
                attributes_.size);
        return false;
    }
    const KVTextSize frame = frameSize();
    if (isEmptyFrame(frame.width, frame.height)) {
        deleteTexture();
        fprintf(stderr, "StringTexture -genTexture: the frame %g x %g is empty; no texture made\n", frame.width,
                frame.height);
        return false;
    }
    if (frame.width > kMaxSide || frame.height > kMaxSide) {
        deleteTexture();
        fprintf(stderr, "StringTexture -genTexture: the frame %g x %g is larger than %d pixels a side; no texture made\n",
                frame.width, frame.height, kMaxSide);
        return false;
    }
    const int width = static_cast<int>(std::ceil(frame.width));
    const int height = static_cast<int>(std::ceil(frame.height));

    // Text that changes at every frame is drawn into one buffer again and again.
    static std::vector<unsigned char> rgba;
    if (!drawBitmap(width, height, rgba)) {
        deleteTexture();
        return false;
    }
    texSize_ = KVTextSize{static_cast<double>(width), static_cast<double>(height)};

    void* context = currentGLContext();
    if (!context) {
        deleteTexture();
        fprintf(stderr, "StringTexture -genTexture: Failure to get current OpenGL context\n");
        return false;
    }
    // A texture of this size in this context takes the new pixels in place.
    bool made = true;
    if (texName_ != 0 && context == glContext_ && width == texWidth_ && height == texHeight_) {
        replacePixels(rgba.data(), width, height);
    } else {
        deleteTexture();
        glContext_ = context;
        made = upload(rgba.data(), width, height);
    }
    if (rgba.capacity() > static_cast<size_t>(KVTextTypesetter::kKeptPixels) * 4)
        std::vector<unsigned char>().swap(rgba);  // a huge bitmap is not kept for the next string
    return made;
}

bool StringTexture::drawBitmap(int width, int height, std::vector<unsigned char>& rgba)
{
    KVTextTypesetter& typesetter = KVTextTypesetter::shared();
    cairo_surface_t* surface = typesetter.clearSurface(width, height);
    if (!surface) {
        fprintf(stderr, "StringTexture -genTexture: no %d x %d bitmap could be made; no texture made\n", width,
                height);
        return false;
    }
    cairo_t* cr = cairo_create(surface);

    if (boxColor_.a != 0.0) {
        cairo_set_source_rgba(cr, boxColor_.r, boxColor_.g, boxColor_.b, boxColor_.a);
        cairo_paint(cr);
    }
    if (borderColor_.a != 0.0) {
        cairo_set_source_rgba(cr, borderColor_.r, borderColor_.g, borderColor_.b, borderColor_.a);
        cairo_set_line_width(cr, 1.0);
        cairo_rectangle(cr, 0.5, 0.5, width - 1.0, height - 1.0);
        cairo_stroke(cr);
    }

    // The text rectangle starts after the left and top margins and runs to
    // the frame's right and bottom edges: lines wrap and align within it,
    // and the lines that do not fit whole in it are cut off. A measured
    // frame is a margin wider than the text's rectangle needs, so nothing
    // wraps there, but alignment still places the lines: the text measured
    // unwrapped is drawn as it is, line by line, rather than typeset again.
    const KVTextSize frame = frameSize_;
    const double textWidth = frame.width - marginSize_.width;
    const double textHeight = frame.height - marginSize_.height;
    if (textWidth >= 1.0 && textHeight > 0.0) {
        const int wrapWidth = pangoWidth(textWidth);
        PangoLayout* layout = nullptr;
        bool unwrapped = false;
        if (!staticFrame_) {
            layout = typesetter.layout(text_, attributes_, -1);
            unwrapped = linesFit(layout, wrapWidth);
        }
        if (!unwrapped)
            layout = typesetter.layout(text_, attributes_, wrapWidth);
        cairo_rectangle(cr, 0, 0, width, marginSize_.height + heightOfWholeLines(layout, textHeight));
        cairo_clip(cr);
        cairo_set_source_rgba(cr, textColor_.r, textColor_.g, textColor_.b, textColor_.a);
        if (unwrapped) {
            showAlignedLines(cr, layout, attributes_.alignment, wrapWidth, marginSize_.width, marginSize_.height);
        } else {
            cairo_move_to(cr, marginSize_.width, marginSize_.height);
            pango_cairo_show_layout(cr, layout);
        }
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);

    // Cairo keeps premultiplied native-endian ARGB, top row first; OpenGL
    // gets straight RGBA, bottom row first.
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    rgba.resize(static_cast<size_t>(width) * height * 4);
    const unsigned char* unpremultiplied = unpremultiplyTable();
    for (int row = 0; row < height; ++row) {
        const auto* in = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(height - 1 - row) * stride);
        unsigned char* out = &rgba[static_cast<size_t>(row) * width * 4];
        for (int x = 0; x < width; ++x, out += 4) {
            const uint32_t pixel = in[x];
            if (pixel == 0) {  // most of a text's bitmap
                std::memset(out, 0, 4);
                continue;
            }
            const unsigned char* straight = unpremultiplied + (pixel >> 24) * 256;
            out[0] = straight[(pixel >> 16) & 0xff];
            out[1] = straight[(pixel >> 8) & 0xff];
            out[2] = straight[pixel & 0xff];
            out[3] = static_cast<unsigned char>(pixel >> 24);
        }
    }
    cairo_surface_destroy(surface);
    return true;
}

// Sets the unpack state an upload of tightly packed rows needs and puts
// back what it found (later uploads that set only some of it must not be
// skewed), and the binding too.
class StringTexture::UnpackScope {
public:
    UnpackScope(uint32_t texture)
    {
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture_);
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment_);
        glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength_);
        glBindTexture(GL_TEXTURE_2D, texture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        CheckGLError("glPixelStorei");
    }
    ~UnpackScope()
    {
        glPixelStorei(GL_UNPACK_ALIGNMENT, alignment_);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength_);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture_));
    }

private:
    GLint texture_ = 0;
    GLint alignment_ = 4;
    GLint rowLength_ = 0;
};

bool StringTexture::upload(const unsigned char* rgba, int width, int height)
{
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (width > maxSize || height > maxSize) {
        fprintf(stderr, "StringTexture -genTexture: %d x %d is larger than this OpenGL's %d pixel textures; no texture made\n",
                width, height, maxSize);
        return false;
    }

    GLuint name = 0;
    glGenTextures(1, &name);
    UnpackScope scope(name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    CheckGLError("glTexParameteri");
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    texName_ = name;
    texWidth_ = width;
    texHeight_ = height;
    return true;
}

void StringTexture::replacePixels(const unsigned char* rgba, int width, int height)
{
    // Quads collected but not yet drawn must show the old pixels.
    if (KVQuadBatch::current().shows(texName_))
        KVQuadBatch::current().flush();
    UnpackScope scope(texName_);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

void StringTexture::deleteTexture()
{
    if (texName_ != 0 && glContext_) {
        // Texture names belong to the context that made them; deleting in
        // another would free someone else's texture.
        if (currentGLContext() == glContext_) {
            KVDeleteTexture(texName_);
        } else {
            fprintf(stderr, "StringTexture -deleteTexture: texture %u belongs to a context that is not current; not deleted\n",
                    texName_);
        }
    }
    texName_ = 0;
    texWidth_ = 0;
    texHeight_ = 0;
    glContext_ = nullptr;
}

void StringTexture::adoptTexture(uint32_t name, int width, int height)
{
    deleteTexture();
    if (name == 0)
        return;
    texName_ = name;
    texWidth_ = width;
    texHeight_ = height;
    glContext_ = currentGLContext();
}

void StringTexture::drawWithBounds(double x, double y, double width, double height)
{
    if (texName_ == 0 && !genTexture())
        return;
    KVFlushQuads();
    GLint previousTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTexture);
    glBindTexture(GL_TEXTURE_2D, texName_);
    glBegin(GL_QUADS);
    glTexCoord2d(0, 0);
    glVertex2d(x, y);
    glTexCoord2d(0, 1);
    glVertex2d(x, y + height);
    glTexCoord2d(1, 1);
    glVertex2d(x + width, y + height);
    glTexCoord2d(1, 0);
    glVertex2d(x + width, y);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previousTexture));
}

void StringTexture::drawAtPoint(double x, double y)
{
    if (texName_ == 0 && !genTexture())
        return;
    drawWithBounds(x, y, texSize_.width, texSize_.height);
}
