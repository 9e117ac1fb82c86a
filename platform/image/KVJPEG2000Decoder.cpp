#include "platform/image/KVJPEG2000Decoder.h"

#include <openjpeg.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/image/KVImageDecoder.h"

namespace {

struct Source {
    const uint8_t* data;
    OPJ_UINT64 size;
    OPJ_UINT64 offset;
};

OPJ_SIZE_T readSource(void* buffer, OPJ_SIZE_T bytes, void* user)
{
    Source* s = static_cast<Source*>(user);
    const OPJ_UINT64 n = std::min<OPJ_UINT64>(bytes, s->size - s->offset);
    if (n == 0)
        return static_cast<OPJ_SIZE_T>(-1);
    memcpy(buffer, s->data + s->offset, n);
    s->offset += n;
    return n;
}

OPJ_OFF_T skipSource(OPJ_OFF_T bytes, void* user)
{
    Source* s = static_cast<Source*>(user);
    const OPJ_UINT64 before = s->offset;
    s->offset = bytes < 0 ? s->offset - std::min<OPJ_UINT64>(s->offset, static_cast<OPJ_UINT64>(-bytes))
                          : std::min<OPJ_UINT64>(s->size, s->offset + static_cast<OPJ_UINT64>(bytes));
    return static_cast<OPJ_OFF_T>(s->offset) - static_cast<OPJ_OFF_T>(before);
}

OPJ_BOOL seekSource(OPJ_OFF_T to, void* user)
{
    Source* s = static_cast<Source*>(user);
    if (to < 0 || static_cast<OPJ_UINT64>(to) > s->size)
        return OPJ_FALSE;
    s->offset = static_cast<OPJ_UINT64>(to);
    return OPJ_TRUE;
}

void keepError(const char* message, void* user)
{
    std::string* error = static_cast<std::string*>(user);
    *error = message;
    while (!error->empty() && error->back() == '\n')
        error->pop_back();
}

void ignore(const char*, void*) {}

// Component c's sample under the pixel (x, y) of the picture, as 0..255.
uint8_t sampleAt(const opj_image_comp_t& c, int x, int y, uint32_t dx, uint32_t dy)
{
    const uint32_t cx = std::min<uint32_t>(c.w - 1, static_cast<uint32_t>(x) * dx / c.dx);
    const uint32_t cy = std::min<uint32_t>(c.h - 1, static_cast<uint32_t>(y) * dy / c.dy);
    long value = c.data[static_cast<size_t>(cy) * c.w + cx];
    if (c.sgnd)
        value += 1L << (c.prec - 1);
    const long top = (1L << c.prec) - 1;
    value = std::clamp(value, 0L, top);
    return static_cast<uint8_t>((value * 255 + top / 2) / top);
}

uint8_t clampByte(double v)
{
    return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

}  // namespace

KVBitmap KVDecodeJPEG2000(const uint8_t* data, size_t size, std::string* iccProfile, std::string* error)
{
    const bool jp2 = size >= 4 && memcmp(data, "\0\0\0\x0c", 4) == 0;
    opj_codec_t* codec = opj_create_decompress(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
    opj_stream_t* stream = opj_stream_create(64 * 1024, OPJ_STREAM_READ);
    if (!codec || !stream) {
        *error = "out of memory";
        if (codec)
            opj_destroy_codec(codec);
        if (stream)
            opj_stream_destroy(stream);
        return KVBitmap();
    }
    Source source{data, size, 0};
    opj_stream_set_user_data(stream, &source, nullptr);
    opj_stream_set_user_data_length(stream, size);
    opj_stream_set_read_function(stream, readSource);
    opj_stream_set_skip_function(stream, skipSource);
    opj_stream_set_seek_function(stream, seekSource);
    opj_set_info_handler(codec, ignore, nullptr);
    opj_set_warning_handler(codec, ignore, nullptr);
    opj_set_error_handler(codec, keepError, error);
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);

    KVBitmap bitmap;
    opj_image_t* image = nullptr;
    if (opj_setup_decoder(codec, &parameters) && opj_read_header(stream, codec, &image) && image &&
        image->numcomps > 0 && KVImageDecoder::sizeAllowed(static_cast<long>(image->x1) - image->x0,
                                                           static_cast<long>(image->y1) - image->y0) &&
        opj_decode(codec, stream, image) && opj_end_decompress(codec, stream)) {
        bool usable = true;
        for (uint32_t i = 0; i < image->numcomps; ++i) {
            const opj_image_comp_t& c = image->comps[i];
            usable = usable && c.data && c.w > 0 && c.h > 0 && c.dx > 0 && c.dy > 0 && c.prec >= 1 && c.prec <= 31;
        }
        const opj_image_comp_t& first = image->comps[0];
        if (usable && KVImageDecoder::sizeAllowed(first.w, first.h)) {
            const int width = static_cast<int>(first.w), height = static_cast<int>(first.h);
            const uint32_t n = image->numcomps;
            const bool colour = n >= 3;
            const bool ycc = colour && (image->color_space == OPJ_CLRSPC_SYCC ||
                                        (image->color_space != OPJ_CLRSPC_SRGB &&
                                         (image->comps[1].dx > first.dx || image->comps[1].dy > first.dy)));
            const int alphaIndex = n == 2 ? 1 : n >= 4 ? 3 : -1;
            bitmap = KVBitmap(width, height);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    uint8_t* p = bitmap.pixelAt(x, y);
                    const uint8_t a = sampleAt(first, x, y, first.dx, first.dy);
                    if (!colour) {
                        p[0] = p[1] = p[2] = a;
                    } else {
                        const uint8_t b = sampleAt(image->comps[1], x, y, first.dx, first.dy);
                        const uint8_t c = sampleAt(image->comps[2], x, y, first.dx, first.dy);
                        if (ycc) {
                            p[0] = clampByte(a + 1.402 * (c - 128));
                            p[1] = clampByte(a - 0.344136 * (b - 128) - 0.714136 * (c - 128));
                            p[2] = clampByte(a + 1.772 * (b - 128));
                        } else {
                            p[0] = a, p[1] = b, p[2] = c;
                        }
                    }
                    p[3] = alphaIndex < 0 ? 255 : sampleAt(image->comps[alphaIndex], x, y, first.dx, first.dy);
                }
            }
            if (image->icc_profile_buf && image->icc_profile_len)
                iccProfile->assign(reinterpret_cast<const char*>(image->icc_profile_buf), image->icc_profile_len);
        }
    }
    if (bitmap.empty() && error->empty())
        *error = "not a JPEG 2000 picture it can read, or of an unusable size";
    if (image)
        opj_image_destroy(image);
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    return bitmap;
}
