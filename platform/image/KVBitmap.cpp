#include "platform/image/KVBitmap.h"

#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <cairo.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/gl/KVQuadBatch.h"
#include "platform/image/KVImageDecoder.h"

namespace {

bool fail(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
    return false;
}

// Larger files are no picture a game ships.
constexpr long kMaxFileBytes = 512L * 1024 * 1024;

// Cairo keeps premultiplied ARGB in native-endian 32-bit words.
cairo_surface_t* toCairo(const KVBitmap& bitmap)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, bitmap.width(), bitmap.height());
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
        return surface;
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < bitmap.height(); ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < bitmap.width(); ++x) {
            const uint8_t* p = bitmap.pixelAt(x, y);
            const uint32_t a = p[3];
            auto pre = [a](uint32_t c) { return (c * a + 127) / 255; };
            row[x] = (a << 24) | (pre(p[0]) << 16) | (pre(p[1]) << 8) | pre(p[2]);
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

KVBitmap fromCairo(cairo_surface_t* surface, bool hasAlpha)
{
    KVBitmap bitmap = KVBitmap::fromCairo(surface);
    // A picture without alpha keeps none, except where the drawing left
    // corners empty (a turned picture).
    if (!hasAlpha) {
        bool opaque = true;
        for (size_t i = 3; i < bitmap.pixels().size() && opaque; i += 4)
            opaque = bitmap.pixels()[i] == 255;
        if (opaque)
            bitmap.dropAlpha();
    }
    return bitmap;
}

// Draws the source into a new width x height bitmap through the matrix,
// replacing what is there (copy compositing), at full opacity.
KVBitmap drawTransformed(const KVBitmap& source, int width, int height, const cairo_matrix_t& matrix,
                         cairo_filter_t filter, cairo_extend_t edges = CAIRO_EXTEND_NONE)
{
    if (source.empty() || width <= 0 || height <= 0)
        return KVBitmap();
    cairo_surface_t* src = toCairo(source);
    cairo_surface_t* dst = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    KVBitmap result;
    if (cairo_surface_status(src) == CAIRO_STATUS_SUCCESS && cairo_surface_status(dst) == CAIRO_STATUS_SUCCESS) {
        cairo_t* cr = cairo_create(dst);
        cairo_set_matrix(cr, &matrix);
        cairo_set_source_surface(cr, src, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), filter);
        cairo_pattern_set_extend(cairo_get_source(cr), edges);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_rectangle(cr, 0, 0, source.width(), source.height());
        cairo_fill(cr);
        cairo_destroy(cr);
        result = fromCairo(dst, source.hasAlpha());
    }
    cairo_surface_destroy(src);
    cairo_surface_destroy(dst);
    return result;
}

}  // namespace

KVBitmap KVBitmap::fromCairo(cairo_surface_t* surface)
{
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    KVBitmap bitmap(width, height, true);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            const uint32_t word = row[x];
            const uint32_t a = word >> 24;
            auto straight = [a](uint32_t c) { return a ? std::min<uint32_t>(255, (c * 255 + a / 2) / a) : 0; };
            uint8_t* p = bitmap.pixelAt(x, y);
            p[0] = static_cast<uint8_t>(straight((word >> 16) & 0xff));
            p[1] = static_cast<uint8_t>(straight((word >> 8) & 0xff));
            p[2] = static_cast<uint8_t>(straight(word & 0xff));
            p[3] = static_cast<uint8_t>(a);
        }
    }
    return bitmap;
}

KVBitmap::KVBitmap(int width, int height, bool hasAlpha)
{
    if (width <= 0 || height <= 0)
        return;
    width_ = width;
    height_ = height;
    hasAlpha_ = hasAlpha;
    pixels_.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
    if (!hasAlpha)
        dropAlpha();
}

KVBitmap KVBitmap::loadFile(const std::string& path, std::string* error)
{
    if (path.empty()) {
        fail(error, "no file name given");
        return KVBitmap();
    }
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) {
        fail(error, "cannot open " + path + ": " + strerror(errno));
        return KVBitmap();
    }
    struct stat info;
    std::string why;
    std::vector<uint8_t> bytes;
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode))
        why = "not a file";
    else if (info.st_size > kMaxFileBytes)
        why = "too large for a picture";
    else {
        bytes.resize(static_cast<size_t>(info.st_size));
        bytes.resize(fread(bytes.data(), 1, bytes.size(), file));
        if (ferror(file))
            why = strerror(errno);
    }
    fclose(file);
    if (!why.empty()) {
        fail(error, "cannot read " + path + ": " + why);
        return KVBitmap();
    }
    return KVImageDecoder::decode(bytes.data(), bytes.size(), path, error);
}

KVBitmap KVBitmap::fromFramebuffer(int width, int height)
{
    KVBitmap bitmap(width, height, true);
    if (bitmap.empty())
        return bitmap;
    KVFlushQuads();  // what is still on its way
    std::vector<uint8_t> bottomUp(bitmap.pixels_.size());
    GLint oldAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &oldAlignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    glPixelStorei(GL_PACK_ALIGNMENT, oldAlignment);
    // OpenGL's row 0 is the bottom one.
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    for (int y = 0; y < height; ++y)
        memcpy(bitmap.pixelAt(0, y), &bottomUp[static_cast<size_t>(height - 1 - y) * rowBytes], rowBytes);
    return bitmap;
}

void KVBitmap::dropAlpha()
{
    hasAlpha_ = false;
    for (size_t i = 3; i < pixels_.size(); i += 4)
        pixels_[i] = 255;
}

void KVBitmap::premultiplyAlpha()
{
    for (size_t i = 0; i + 3 < pixels_.size(); i += 4) {
        const unsigned a = pixels_[i + 3];
        for (int c = 0; c < 3; ++c)
            pixels_[i + c] = static_cast<uint8_t>((pixels_[i + c] * a + 127) / 255);
    }
}

void KVBitmap::colorMultiply(float r, float g, float b, float a)
{
    // Factors outside 0..1 (or not numbers) would wrap the bytes.
    auto clamp = [](float f) { return std::isnan(f) ? 0.0f : std::min(1.0f, std::max(0.0f, f)); };
    const float factors[4] = {clamp(r), clamp(g), clamp(b), clamp(a)};
    const int channels = hasAlpha_ ? 4 : 3;
    for (size_t i = 0; i + 3 < pixels_.size(); i += 4)
        for (int c = 0; c < channels; ++c)
            pixels_[i + c] = static_cast<uint8_t>(static_cast<float>(pixels_[i + c]) * factors[c]);
}

bool KVBitmap::savePNG(const std::string& path, std::string* error) const
{
    if (path.empty())
        return fail(error, "PNG not saved: empty file name");
    if (empty())
        return fail(error, "PNG not saved to " + path + ": the picture is empty");

    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(pixels_.data()), width_, height_,
                                                              32, width_ * 4, SDL_PIXELFORMAT_RGBA32);
    if (surface && !hasAlpha_) {
        SDL_Surface* rgb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_RGB24, 0);
        SDL_FreeSurface(surface);
        surface = rgb;
    }
    if (!surface)
        return fail(error, "PNG not saved to " + path + ": " + SDL_GetError());

    const size_t slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = dir + "/." + base + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        SDL_FreeSurface(surface);
        return fail(error, "PNG not saved to " + path + ": " + strerror(errno));
    }
    fchmod(fd, 0644);  // mkstemp makes it private; a picture is an ordinary file
    FILE* file = fdopen(fd, "wb");
    if (!file) {
        const std::string reason = strerror(errno);
        close(fd);
        unlink(temp.c_str());
        SDL_FreeSurface(surface);
        return fail(error, "PNG not saved to " + path + ": " + reason);
    }
    SDL_RWops* rw = SDL_RWFromFP(file, SDL_FALSE);
    const bool encoded = rw && IMG_SavePNG_RW(surface, rw, 1) == 0;
    const std::string encodeError = encoded ? std::string() : std::string(IMG_GetError());
    SDL_FreeSurface(surface);
    const bool flushed = fflush(file) == 0 && fsync(fileno(file)) == 0;
    const bool closed = fclose(file) == 0;
    if (!encoded || !flushed || !closed) {
        const std::string reason = encoded ? std::string(strerror(errno)) : encodeError;
        unlink(temp.c_str());
        return fail(error, "PNG not saved to " + path + ": " + reason);
    }
    if (rename(temp.c_str(), path.c_str()) != 0) {
        const std::string reason = strerror(errno);
        unlink(temp.c_str());
        return fail(error, "PNG not saved to " + path + ": " + reason);
    }
    return true;
}

KVBitmap KVBitmap::rotatedBy(float degrees) const
{
    if (empty() || !std::isfinite(degrees))
        return KVBitmap();
    const double radians = degrees * M_PI / 180.0;
    const double c = std::cos(radians), s = std::sin(radians);
    // The corners (w, 0) and (0, h) turned give the extent of the result;
    // a hair is allowed for so that quarter turns keep exact sizes.
    const double newWidth = std::fabs(width_ * c) + std::fabs(height_ * s);
    const double newHeight = std::fabs(width_ * s) + std::fabs(height_ * c);
    const int w = static_cast<int>(std::ceil(newWidth - 1e-3));
    const int h = static_cast<int>(std::ceil(newHeight - 1e-3));
    cairo_matrix_t matrix;
    cairo_matrix_init_translate(&matrix, w * 0.5, h * 0.5);
    // Cairo's y axis points down: an anticlockwise turn as seen is negative.
    cairo_matrix_rotate(&matrix, -radians);
    cairo_matrix_translate(&matrix, -width_ * 0.5, -height_ * 0.5);
    const bool quarterTurn = std::fabs(std::remainder(degrees, 90.0f)) < 1e-4f;
    return drawTransformed(*this, w, h, matrix, quarterTurn ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
}

KVBitmap KVBitmap::flippedVertically() const
{
    cairo_matrix_t matrix;
    cairo_matrix_init_scale(&matrix, 1, -1);
    cairo_matrix_translate(&matrix, 0, -height_);
    return drawTransformed(*this, width_, height_, matrix, CAIRO_FILTER_NEAREST);
}

KVBitmap KVBitmap::scaledTo(int width, int height) const
{
    if (empty() || width <= 0 || height <= 0)
        return KVBitmap();
    cairo_matrix_t matrix;
    cairo_matrix_init_scale(&matrix, static_cast<double>(width) / width_, static_cast<double>(height) / height_);
    // Edges keep their own colour rather than fading out.
    return drawTransformed(*this, width, height, matrix, CAIRO_FILTER_GOOD, CAIRO_EXTEND_PAD);
}

KVBitmap KVBitmap::flippedHorizontally() const
{
    cairo_matrix_t matrix;
    cairo_matrix_init_scale(&matrix, -1, 1);
    cairo_matrix_translate(&matrix, -width_, 0);
    return drawTransformed(*this, width_, height_, matrix, CAIRO_FILTER_NEAREST);
}
