#include "platform/image/KVPDFDecoder.h"

#include <cairo.h>
#include <poppler.h>

#include <cmath>

#include "platform/image/KVImageDecoder.h"

KVBitmap KVDecodePDF(const uint8_t* data, size_t size, std::string* error)
{
    GBytes* bytes = g_bytes_new(data, size);
    GError* failure = nullptr;
    PopplerDocument* document = poppler_document_new_from_bytes(bytes, nullptr, &failure);
    g_bytes_unref(bytes);
    if (!document) {
        *error = failure ? failure->message : "not a PDF document it can read";
        if (failure)
            g_error_free(failure);
        return KVBitmap();
    }
    KVBitmap bitmap;
    PopplerPage* page = poppler_document_get_n_pages(document) > 0 ? poppler_document_get_page(document, 0) : nullptr;
    if (page) {
        double points[2] = {0, 0};
        poppler_page_get_size(page, &points[0], &points[1]);
        const long width = std::isfinite(points[0]) ? std::lround(std::ceil(points[0] - 1e-6)) : 0;
        const long height = std::isfinite(points[1]) ? std::lround(std::ceil(points[1] - 1e-6)) : 0;
        if (KVImageDecoder::sizeAllowed(width, height)) {
            cairo_surface_t* surface =
                cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(height));
            if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
                cairo_t* cr = cairo_create(surface);
                poppler_page_render(page, cr);
                cairo_destroy(cr);
                bitmap = KVBitmap::fromCairo(surface);
            }
            cairo_surface_destroy(surface);
        } else {
            *error = "its first page is empty or too large";
        }
        g_object_unref(page);
    } else {
        *error = "it has no page";
    }
    g_object_unref(document);
    return bitmap;
}
