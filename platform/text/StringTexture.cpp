#include "platform/text/StringTexture.h"

#include <cmath>
#include <cstdio>
#include <unordered_map>

#include <EGL/egl.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glx.h>
#include <pango/pangocairo.h>

#include "platform/gl/KVQuadBatch.h"
#include "platform/text/KVTextFontMap.h"

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

void checkGLError(const char* label)
{
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR)
        fprintf(stderr, "OpenGL Error in %s : %s\n", label, reinterpret_cast<const char*>(gluErrorString(error)));
}

// The same settings for measuring and drawing, so the measured frame fits
// what is drawn.
PangoContext* newPangoContext()
{
    PangoContext* context = pango_font_map_create_context(KVTextFontMap::shared());
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    return context;
}

// wrapWidth in points, or a negative value for no wrapping.
PangoLayout* newLayout(PangoContext* context, const std::string& text, const KVTextAttributes& attributes,
                       double wrapWidth)
{
    PangoLayout* layout = pango_layout_new(context);
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, attributes.fontName.c_str());
    pango_font_description_set_absolute_size(font, attributes.size * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);

    // Left means left even in right-to-left text, as the alignment codes do.
    pango_layout_set_auto_dir(layout, FALSE);
    switch (attributes.alignment) {
    case KVTextAlignmentLeft: pango_layout_set_alignment(layout, PANGO_ALIGN_LEFT); break;
    case KVTextAlignmentRight: pango_layout_set_alignment(layout, PANGO_ALIGN_RIGHT); break;
    default: pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER); break;
    }
    if (wrapWidth >= 0.0) {
        pango_layout_set_width(layout, static_cast<int>(wrapWidth * PANGO_SCALE));
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    }
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
    return layout;
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
    PangoContext* context = newPangoContext();
    PangoLayout* layout = newLayout(context, text_, attributes_, -1.0);
    int width = 0;
    int height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
    g_object_unref(context);
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
    deleteTexture();
    texSize_ = KVTextSize{};
    if (!hasUsableFontSize()) {
        fprintf(stderr, "StringTexture -genTexture: the font size %g is not a usable size; no texture made\n",
                attributes_.size);
        return false;
    }
    const KVTextSize frame = frameSize();
    if (isEmptyFrame(frame.width, frame.height)) {
        fprintf(stderr, "StringTexture -genTexture: the frame %g x %g is empty; no texture made\n", frame.width,
                frame.height);
        return false;
    }
    if (frame.width > kMaxSide || frame.height > kMaxSide) {
        fprintf(stderr, "StringTexture -genTexture: the frame %g x %g is larger than %d pixels a side; no texture made\n",
                frame.width, frame.height, kMaxSide);
        return false;
    }
    const int width = static_cast<int>(std::ceil(frame.width));
    const int height = static_cast<int>(std::ceil(frame.height));

    std::string rgba;
    if (!drawBitmap(width, height, rgba))
        return false;
    texSize_ = KVTextSize{static_cast<double>(width), static_cast<double>(height)};

    glContext_ = currentGLContext();
    if (!glContext_) {
        fprintf(stderr, "StringTexture -genTexture: Failure to get current OpenGL context\n");
        return false;
    }
    return upload(rgba, width, height);
}

bool StringTexture::drawBitmap(int width, int height, std::string& rgba)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        fprintf(stderr, "StringTexture -genTexture: no %d x %d bitmap could be made; no texture made\n", width,
                height);
        cairo_surface_destroy(surface);
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
    // wraps there, but alignment still places the lines.
    const KVTextSize frame = frameSize_;
    const double textWidth = frame.width - marginSize_.width;
    const double textHeight = frame.height - marginSize_.height;
    if (textWidth >= 1.0 && textHeight > 0.0) {
        PangoContext* context = newPangoContext();
        pango_cairo_update_context(cr, context);
        PangoLayout* layout = newLayout(context, text_, attributes_, textWidth);
        cairo_rectangle(cr, 0, 0, width, marginSize_.height + heightOfWholeLines(layout, textHeight));
        cairo_clip(cr);
        cairo_set_source_rgba(cr, textColor_.r, textColor_.g, textColor_.b, textColor_.a);
        cairo_move_to(cr, marginSize_.width, marginSize_.height);
        pango_cairo_show_layout(cr, layout);
        g_object_unref(layout);
        g_object_unref(context);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);

    // Cairo keeps premultiplied native-endian ARGB, top row first; OpenGL
    // gets straight RGBA, bottom row first.
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    rgba.assign(static_cast<size_t>(width) * height * 4, '\0');
    for (int row = 0; row < height; ++row) {
        const auto* in = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(height - 1 - row) * stride);
        auto* out = reinterpret_cast<unsigned char*>(&rgba[static_cast<size_t>(row) * width * 4]);
        for (int x = 0; x < width; ++x, out += 4) {
            const uint32_t pixel = in[x];
            const uint32_t a = pixel >> 24;
            if (a == 0)
                continue;
            const uint32_t channels[3] = {(pixel >> 16) & 0xff, (pixel >> 8) & 0xff, pixel & 0xff};
            for (int c = 0; c < 3; ++c) {
                const uint32_t straight = (channels[c] * 255 + a / 2) / a;
                out[c] = static_cast<unsigned char>(straight > 255 ? 255 : straight);
            }
            out[3] = static_cast<unsigned char>(a);
        }
    }
    cairo_surface_destroy(surface);
    return true;
}

bool StringTexture::upload(const std::string& rgba, int width, int height)
{
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (width > maxSize || height > maxSize) {
        fprintf(stderr, "StringTexture -genTexture: %d x %d is larger than this OpenGL's %d pixel textures; no texture made\n",
                width, height, maxSize);
        return false;
    }

    GLint previousTexture = 0;
    GLint previousAlignment = 4;
    GLint previousRowLength = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTexture);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &previousRowLength);

    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    checkGLError("glTexParameteri");
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, width);  // bytes per row / 4 bytes a pixel
    checkGLError("glPixelStorei");
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());

    // Later uploads that set only some of these must not be skewed.
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, previousRowLength);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previousTexture));
    texName_ = name;
    return true;
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
    glContext_ = nullptr;
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
