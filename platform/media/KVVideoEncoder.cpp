#include "platform/media/KVVideoEncoder.h"

#include <strings.h>

#include <algorithm>
#include <cstring>

#include "platform/paths/KVReplacingFile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

constexpr int kLargestSide = 16384;

bool endsWith(const std::string& text, const char* suffix)
{
    const size_t n = std::strlen(suffix);
    return text.size() >= n && strcasecmp(text.c_str() + text.size() - n, suffix) == 0;
}

// The codec's sample format this encoder can write, preferring planar floats.
AVSampleFormat sampleFormatFor(const AVCodec* codec)
{
    const AVSampleFormat wanted[] = {AV_SAMPLE_FMT_FLTP, AV_SAMPLE_FMT_FLT, AV_SAMPLE_FMT_S16};
    for (AVSampleFormat format : wanted)
        for (const AVSampleFormat* f = codec->sample_fmts; f && *f != AV_SAMPLE_FMT_NONE; ++f)
            if (*f == format)
                return format;
    return AV_SAMPLE_FMT_NONE;
}

const AVCodec* encoderFor(const char* name, AVCodecID fallback)
{
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    return codec ? codec : avcodec_find_encoder(fallback);
}

}  // namespace

std::optional<KVVideoEncoder::Container> KVVideoEncoder::containerForPath(const std::string& path)
{
    if (endsWith(path, ".mp4"))
        return Container::mp4;
    if (endsWith(path, ".webm"))
        return Container::webm;
    return std::nullopt;
}

std::string KVVideoEncoder::failure(const std::string& what, int code) const
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return path_ + ": " + what + ": " + text;
}

std::unique_ptr<KVVideoEncoder> KVVideoEncoder::create(const std::string& path, std::string* error)
{
    const std::optional<Container> container = containerForPath(path);
    if (!container) {
        *error = path + ": a film's name ends in .mp4 or .webm";
        return nullptr;
    }
    std::unique_ptr<KVReplacingFile> file = KVReplacingFile::create(path, error);
    if (!file)
        return nullptr;
    std::unique_ptr<KVVideoEncoder> e(new KVVideoEncoder);
    e->path_ = path;
    e->file_ = std::move(file);
    e->container_ = *container;
    return e;
}

bool KVVideoEncoder::start(const Settings& settings, std::string* error)
{
    if (format_) {
        *error = path_ + ": the film has started already";
        return false;
    }
    if (settings.width < 2 || settings.height < 2 || settings.width > kLargestSide ||
        settings.height > kLargestSide || settings.rateNumerator < 1 || settings.rateDenominator < 1 ||
        settings.channels < 0 || settings.channels > 2 || (settings.channels > 0 && settings.sampleRate < 1)) {
        *error = path_ + ": cannot film pictures of " + std::to_string(settings.width) + " x " +
                 std::to_string(settings.height);
        return false;
    }
    int code = avformat_alloc_output_context2(&format_, nullptr, container_ == Container::mp4 ? "mp4" : "webm",
                                              nullptr);
    if (code < 0) {
        *error = failure("cannot make the container", code);
        return false;
    }
    packet_ = av_packet_alloc();
    if (!packet_ || !openVideo(container_, settings, error) ||
        (settings.channels > 0 && !openAudio(container_, settings, error)))
        return false;
    // "file:" keeps a name with a colon from being read as another protocol.
    code = avio_open(&format_->pb, ("file:" + file_->temporaryPath()).c_str(), AVIO_FLAG_WRITE);
    if (code >= 0)
        code = avformat_write_header(format_, nullptr);
    if (code < 0) {
        *error = failure("cannot write the film", code);
        return false;
    }
    headerWritten_ = true;
    return true;
}

bool KVVideoEncoder::openVideo(Container container, const Settings& settings, std::string* error)
{
    const AVCodec* codec = container == Container::mp4 ? encoderFor("libx264", AV_CODEC_ID_H264)
                                                       : encoderFor("libvpx-vp9", AV_CODEC_ID_VP9);
    if (!codec) {
        *error = path_ + ": FFmpeg has no " + (container == Container::mp4 ? "H.264" : "VP9") + " encoder";
        return false;
    }
    naturalWidth_ = settings.width;
    naturalHeight_ = settings.height;
    // 4:2:0 pictures have even sides.
    width_ = settings.width & ~1;
    height_ = settings.height & ~1;
    video_ = avcodec_alloc_context3(codec);
    videoStream_ = avformat_new_stream(format_, nullptr);
    picture_ = av_frame_alloc();
    if (!video_ || !videoStream_ || !picture_) {
        *error = path_ + ": out of memory";
        return false;
    }
    video_->width = width_;
    video_->height = height_;
    video_->pix_fmt = AV_PIX_FMT_YUV420P;
    video_->time_base = AVRational{settings.rateDenominator, settings.rateNumerator};
    video_->framerate = AVRational{settings.rateNumerator, settings.rateDenominator};
    video_->gop_size = 2 * settings.rateNumerator / settings.rateDenominator;
    // sRGB pixels through the BT.601 matrix that the conversion uses, said
    // so, or players guess (and guess differently).
    video_->color_range = AVCOL_RANGE_MPEG;
    video_->colorspace = AVCOL_SPC_SMPTE170M;
    video_->color_primaries = AVCOL_PRI_BT709;
    video_->color_trc = AVCOL_TRC_IEC61966_2_1;
    if (format_->oformat->flags & AVFMT_GLOBALHEADER)
        video_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    // Quality held constant and high enough that a frame matches the game's
    // own picture closely, at a speed that keeps up with a game's frames.
    if (container == Container::mp4) {
        av_opt_set(video_->priv_data, "preset", "veryfast", 0);
        av_opt_set(video_->priv_data, "crf", "16", 0);
    } else {
        av_opt_set(video_->priv_data, "deadline", "realtime", 0);
        av_opt_set(video_->priv_data, "cpu-used", "8", 0);
        av_opt_set(video_->priv_data, "row-mt", "1", 0);
        av_opt_set(video_->priv_data, "crf", "20", 0);
        video_->bit_rate = 0;
    }
    int code = avcodec_open2(video_, codec, nullptr);
    if (code < 0) {
        *error = failure("cannot open the video encoder", code);
        return false;
    }
    videoStream_->time_base = video_->time_base;
    videoStream_->avg_frame_rate = video_->framerate;
    code = avcodec_parameters_from_context(videoStream_->codecpar, video_);
    if (code >= 0) {
        picture_->format = video_->pix_fmt;
        picture_->width = width_;
        picture_->height = height_;
        code = av_frame_get_buffer(picture_, 0);
    }
    if (code < 0) {
        *error = failure("cannot set up the video", code);
        return false;
    }
    return true;
}

bool KVVideoEncoder::openAudio(Container container, const Settings& settings, std::string* error)
{
    const AVCodec* codec = container == Container::mp4 ? encoderFor("aac", AV_CODEC_ID_AAC)
                                                       : encoderFor("libopus", AV_CODEC_ID_OPUS);
    const AVSampleFormat sampleFormat = codec ? sampleFormatFor(codec) : AV_SAMPLE_FMT_NONE;
    if (sampleFormat == AV_SAMPLE_FMT_NONE) {
        *error = path_ + ": FFmpeg has no " + (container == Container::mp4 ? "AAC" : "Opus") + " encoder";
        return false;
    }
    channels_ = settings.channels;
    audio_ = avcodec_alloc_context3(codec);
    audioStream_ = avformat_new_stream(format_, nullptr);
    sound_ = av_frame_alloc();
    if (!audio_ || !audioStream_ || !sound_) {
        *error = path_ + ": out of memory";
        return false;
    }
    audio_->sample_fmt = sampleFormat;
    audio_->sample_rate = settings.sampleRate;
    av_channel_layout_default(&audio_->ch_layout, channels_);
    audio_->bit_rate = 160000;
    audio_->time_base = AVRational{1, settings.sampleRate};
    if (format_->oformat->flags & AVFMT_GLOBALHEADER)
        audio_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int code = avcodec_open2(audio_, codec, nullptr);
    if (code < 0) {
        *error = failure("cannot open the sound encoder", code);
        return false;
    }
    audioStream_->time_base = audio_->time_base;
    code = avcodec_parameters_from_context(audioStream_->codecpar, audio_);
    if (code >= 0) {
        sound_->format = audio_->sample_fmt;
        sound_->sample_rate = audio_->sample_rate;
        sound_->nb_samples = audio_->frame_size > 0 ? audio_->frame_size : 1024;
        code = av_channel_layout_copy(&sound_->ch_layout, &audio_->ch_layout);
    }
    if (code >= 0)
        code = av_frame_get_buffer(sound_, 0);
    if (code < 0) {
        *error = failure("cannot set up the sound", code);
        return false;
    }
    return true;
}

KVVideoEncoder::~KVVideoEncoder()
{
    // The private file goes with file_ unless the film was finished.
    if (format_ && format_->pb)
        avio_closep(&format_->pb);
    sws_freeContext(scale_);
    av_frame_free(&picture_);
    av_frame_free(&sound_);
    av_packet_free(&packet_);
    avcodec_free_context(&video_);
    avcodec_free_context(&audio_);
    avformat_free_context(format_);
}

bool KVVideoEncoder::encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame, std::string* error)
{
    int code = avcodec_send_frame(codec, frame);
    while (code >= 0) {
        code = avcodec_receive_packet(codec, packet_);
        if (code == AVERROR(EAGAIN) || code == AVERROR_EOF)
            return true;
        if (code < 0)
            break;
        // A picture lasts one frame unless the next comes later (the last
        // one's length comes from here).
        if (codec == video_ && packet_->duration == 0)
            packet_->duration = 1;
        av_packet_rescale_ts(packet_, codec->time_base, stream->time_base);
        packet_->stream_index = stream->index;
        code = av_interleaved_write_frame(format_, packet_);
    }
    *error = failure(codec == video_ ? "cannot encode a frame" : "cannot encode the sound", code);
    return false;
}

bool KVVideoEncoder::addFrame(const uint8_t* rgba, int width, int height, int stride, int64_t index,
                              std::string* error)
{
    if (!headerWritten_ || finished_ || !rgba || width < 1 || height < 1 || stride < width * 4 || index <= lastIndex_) {
        *error = path_ + ": a frame out of order or without pixels";
        return false;
    }
    // The usual picture keeps its pixels (an odd side loses a column or
    // row); another size is scaled to the film's.
    const bool natural = width == naturalWidth_ && height == naturalHeight_;
    const int sourceWidth = natural ? width_ : width;
    const int sourceHeight = natural ? height_ : height;
    scale_ = sws_getCachedContext(scale_, sourceWidth, sourceHeight, AV_PIX_FMT_RGBA, width_, height_,
                                  AV_PIX_FMT_YUV420P, SWS_AREA | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    int code = scale_ ? av_frame_make_writable(picture_) : AVERROR(ENOMEM);
    if (code < 0) {
        *error = failure("cannot convert a frame", code);
        return false;
    }
    // Read from the top row down: OpenGL's rows run bottom-up.
    const uint8_t* top[1] = {rgba + static_cast<ptrdiff_t>(height - 1) * stride};
    const int strides[1] = {-stride};
    sws_scale(scale_, top, strides, 0, sourceHeight, picture_->data, picture_->linesize);
    picture_->pts = index;
    lastIndex_ = index;
    return encode(video_, videoStream_, picture_, error);
}

bool KVVideoEncoder::encodeSound(int frames, std::string* error)
{
    int code = av_frame_make_writable(sound_);
    if (code < 0) {
        *error = failure("cannot encode the sound", code);
        return false;
    }
    sound_->nb_samples = frames;
    const float* in = pending_.data();
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels_; ++c) {
            const float v = in[i * channels_ + c];
            switch (sound_->format) {
            case AV_SAMPLE_FMT_FLTP:
                reinterpret_cast<float*>(sound_->data[c])[i] = v;
                break;
            case AV_SAMPLE_FMT_FLT:
                reinterpret_cast<float*>(sound_->data[0])[i * channels_ + c] = v;
                break;
            default:
                reinterpret_cast<int16_t*>(sound_->data[0])[i * channels_ + c] =
                    static_cast<int16_t>(std::clamp(v, -1.0f, 1.0f) * 32767.0f);
                break;
            }
        }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(frames) * channels_);
    sound_->pts = soundFrames_;
    soundFrames_ += frames;
    return encode(audio_, audioStream_, sound_, error);
}

bool KVVideoEncoder::addSound(const float* samples, int frames, std::string* error)
{
    if (!audio_ || frames <= 0)
        return true;
    if (!headerWritten_ || finished_ || !samples) {
        *error = path_ + ": sound after the end";
        return false;
    }
    pending_.insert(pending_.end(), samples, samples + static_cast<ptrdiff_t>(frames) * channels_);
    const int size = audio_->frame_size > 0 ? audio_->frame_size : 1024;
    while (pending_.size() >= static_cast<size_t>(size) * channels_)
        if (!encodeSound(size, error))
            return false;
    return true;
}

bool KVVideoEncoder::finish(std::string* error)
{
    if (finished_)
        return true;
    if (!headerWritten_) {
        *error = path_ + ": no frame was filmed";
        return false;
    }
    if (audio_ && !pending_.empty() && !encodeSound(static_cast<int>(pending_.size() / channels_), error))
        return false;
    if (!encode(video_, videoStream_, nullptr, error) || (audio_ && !encode(audio_, audioStream_, nullptr, error)))
        return false;
    int code = av_write_trailer(format_);
    if (code >= 0)
        code = avio_closep(&format_->pb);
    if (code < 0) {
        *error = failure("cannot complete the film", code);
        return false;
    }
    if (!file_->commit(error))
        return false;
    finished_ = true;
    return true;
}
