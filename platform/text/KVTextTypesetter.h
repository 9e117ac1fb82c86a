// The one Pango context, layout and bitmap every string is typeset with.
// Text that changes at every frame would otherwise pay for a new context,
// a new layout (typeset twice: once to measure, once to draw) and a new
// bitmap each time; here a string that changes only its text keeps the
// rest, and measuring and drawing share one typesetting.
//
// Built on first use; never freed. Use it from one thread at a time, like
// the font map it draws on.
#pragma once

#include <string>

#include "platform/text/KVTextTypes.h"

typedef struct _PangoLayout PangoLayout;
typedef struct _cairo_surface cairo_surface_t;

class KVTextTypesetter {
public:
    static KVTextTypesetter& shared();
    KVTextTypesetter(const KVTextTypesetter&) = delete;
    KVTextTypesetter& operator=(const KVTextTypesetter&) = delete;

    // The layout holding the text in those attributes, wrapped at wrapWidth
    // Pango units (-1 for no wrapping). Only what differs from the last
    // request is set again, so asking twice typesets once. Valid until the
    // next request.
    PangoLayout* layout(const std::string& text, const KVTextAttributes& attributes, int wrapWidth);

    // A clear ARGB32 bitmap of that size, for the caller to destroy; null
    // when none can be made. A small one is kept and handed out again,
    // cleared, while the size stays the same.
    cairo_surface_t* clearSurface(int width, int height);

    // Largest bitmap, in pixels, kept between strings.
    static constexpr long kKeptPixels = 1L << 20;

private:
    KVTextTypesetter();

    PangoLayout* layout_ = nullptr;
    // What the layout holds; fontSize_ < 0 until the first request.
    std::string text_;
    std::string fontName_;
    double fontSize_ = -1.0;
    KVTextAlignment alignment_ = KVTextAlignmentLeft;
    int wrapWidth_ = -1;

    cairo_surface_t* surface_ = nullptr;
};
