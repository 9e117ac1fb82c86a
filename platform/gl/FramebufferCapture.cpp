#include "platform/gl/FramebufferCapture.h"

#include <GL/gl.h>
#include <cairo.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

std::vector<uint8_t> KVReadFramebufferRGBA(int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    std::vector<uint8_t> bottomUp(rowBytes * static_cast<size_t>(height));

    GLint oldAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &oldAlignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    glPixelStorei(GL_PACK_ALIGNMENT, oldAlignment);

    // OpenGL's row 0 is the bottom one.
    std::vector<uint8_t> topDown(bottomUp.size());
    for (int y = 0; y < height; ++y)
        memcpy(&topDown[static_cast<size_t>(y) * rowBytes],
               &bottomUp[static_cast<size_t>(height - 1 - y) * rowBytes], rowBytes);
    return topDown;
}

namespace {

cairo_status_t writeToFile(void* closure, const unsigned char* data, unsigned int length)
{
    FILE* file = static_cast<FILE*>(closure);
    return fwrite(data, 1, length, file) == length ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

bool fail(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
    return false;
}

}  // namespace

bool KVWriteFramebufferPNG(const std::string& path, int width, int height, std::string* error)
{
    if (width <= 0 || height <= 0)
        return fail(error, "screenshot size " + std::to_string(width) + " x " + std::to_string(height) +
                               " refused: nothing to write to " + path);
    if (path.empty())
        return fail(error, "screenshot refused: empty file name");

    const std::vector<uint8_t> rgba = KVReadFramebufferRGBA(width, height);

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return fail(error, "no memory for a " + std::to_string(width) + " x " + std::to_string(height) +
                               " screenshot of " + path);
    }
    cairo_surface_flush(surface);
    unsigned char* pixels = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(pixels + static_cast<size_t>(y) * stride);
        const uint8_t* src = &rgba[static_cast<size_t>(y) * width * 4];
        for (int x = 0; x < width; ++x, src += 4)
            row[x] = 0xff000000u | (uint32_t(src[0]) << 16) | (uint32_t(src[1]) << 8) | uint32_t(src[2]);
    }
    cairo_surface_mark_dirty(surface);

    const size_t slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = dir + "/." + base + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        const std::string reason = strerror(errno);
        cairo_surface_destroy(surface);
        return fail(error, "cannot write screenshot " + path + ": " + reason);
    }
    fchmod(fd, 0644);  // mkstemp makes it private; a screenshot is an ordinary file
    FILE* file = fdopen(fd, "wb");
    if (!file) {
        const std::string reason = strerror(errno);
        close(fd);
        unlink(temp.c_str());
        cairo_surface_destroy(surface);
        return fail(error, "cannot write screenshot " + path + ": " + reason);
    }
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface, writeToFile, file);
    cairo_surface_destroy(surface);
    const bool flushed = fflush(file) == 0 && fsync(fileno(file)) == 0;
    const bool closed = fclose(file) == 0;
    if (status != CAIRO_STATUS_SUCCESS || !flushed || !closed) {
        unlink(temp.c_str());
        return fail(error, std::string("cannot write screenshot ") + path + ": " +
                               (status != CAIRO_STATUS_SUCCESS ? cairo_status_to_string(status) : strerror(errno)));
    }
    if (rename(temp.c_str(), path.c_str()) != 0) {
        const std::string reason = strerror(errno);
        unlink(temp.c_str());
        return fail(error, "cannot write screenshot " + path + ": " + reason);
    }
    return true;
}
