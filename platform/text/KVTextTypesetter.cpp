#include "platform/text/KVTextTypesetter.h"

#include <cstring>

#include <pango/pangocairo.h>

#include "platform/text/KVTextFontMap.h"

KVTextTypesetter& KVTextTypesetter::shared()
{
    static KVTextTypesetter* typesetter = new KVTextTypesetter;
    return *typesetter;
}

KVTextTypesetter::KVTextTypesetter()
{
    PangoContext* context = pango_font_map_create_context(KVTextFontMap::shared());
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    // Every bitmap is an image surface drawn without a transformation, so
    // the context takes that target's settings once, for measuring too.
    cairo_surface_t* probe = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(probe);
    pango_cairo_update_context(cr, context);
    cairo_destroy(cr);
    cairo_surface_destroy(probe);

    layout_ = pango_layout_new(context);
    g_object_unref(context);  // the layout holds it
    // Left means left even in right-to-left text, as the alignment codes do.
    pango_layout_set_auto_dir(layout_, FALSE);
    pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);  // used only with a width
}

PangoLayout* KVTextTypesetter::layout(const std::string& text, const KVTextAttributes& attributes, int wrapWidth)
{
    if (attributes.fontName != fontName_ || attributes.size != fontSize_) {
        PangoFontDescription* font = pango_font_description_new();
        pango_font_description_set_family(font, attributes.fontName.c_str());
        pango_font_description_set_absolute_size(font, attributes.size * PANGO_SCALE);
        pango_layout_set_font_description(layout_, font);
        pango_font_description_free(font);
        fontName_ = attributes.fontName;
        fontSize_ = attributes.size;
    }
    if (attributes.alignment != alignment_) {
        switch (attributes.alignment) {
        case KVTextAlignmentLeft: pango_layout_set_alignment(layout_, PANGO_ALIGN_LEFT); break;
        case KVTextAlignmentRight: pango_layout_set_alignment(layout_, PANGO_ALIGN_RIGHT); break;
        default: pango_layout_set_alignment(layout_, PANGO_ALIGN_CENTER); break;
        }
        alignment_ = attributes.alignment;
    }
    if (wrapWidth != wrapWidth_) {
        pango_layout_set_width(layout_, wrapWidth);
        wrapWidth_ = wrapWidth;
    }
    if (text != text_) {
        pango_layout_set_text(layout_, text.data(), static_cast<int>(text.size()));
        text_ = text;
    }
    return layout_;
}

cairo_surface_t* KVTextTypesetter::clearSurface(int width, int height)
{
    if (surface_ && cairo_image_surface_get_width(surface_) == width &&
        cairo_image_surface_get_height(surface_) == height) {
        cairo_surface_flush(surface_);
        memset(cairo_image_surface_get_data(surface_), 0,
               static_cast<size_t>(cairo_image_surface_get_stride(surface_)) * height);
        cairo_surface_mark_dirty(surface_);
        return cairo_surface_reference(surface_);
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    if (static_cast<long>(width) * height <= kKeptPixels) {
        if (surface_)
            cairo_surface_destroy(surface_);
        surface_ = cairo_surface_reference(surface);
    }
    return surface;
}
