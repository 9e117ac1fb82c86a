#include "player/standalone/KVMovieDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace {
constexpr int kLargestSide = 8192;
}  // namespace

std::unique_ptr<KVMovieDecoder> KVMovieDecoder::open(const std::string& path, std::string* error)
{
    std::unique_ptr<KVMovieDecoder> d(new KVMovieDecoder);
    if (avformat_open_input(&d->format_, path.c_str(), nullptr, nullptr) < 0) {
        *error = path + ": cannot open the movie";
        return nullptr;
    }
    if (avformat_find_stream_info(d->format_, nullptr) < 0) {
        *error = path + ": cannot read the movie's streams";
        return nullptr;
    }
    const AVCodec* codec = nullptr;
    d->stream_ = av_find_best_stream(d->format_, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (d->stream_ < 0 || !codec) {
        *error = path + ": the movie has no video that can be decoded";
        return nullptr;
    }
    AVStream* stream = d->format_->streams[d->stream_];
    d->codec_ = avcodec_alloc_context3(codec);
    if (!d->codec_ || avcodec_parameters_to_context(d->codec_, stream->codecpar) < 0 ||
        avcodec_open2(d->codec_, codec, nullptr) < 0) {
        *error = path + ": cannot decode the movie's video";
        return nullptr;
    }
    d->width_ = d->codec_->width;
    d->height_ = d->codec_->height;
    if (d->width_ < 1 || d->height_ < 1 || d->width_ > kLargestSide || d->height_ > kLargestSide) {
        *error = path + ": the movie has an unusable size";
        return nullptr;
    }
    d->timeBase_ = av_q2d(stream->time_base);
    const double rate = av_q2d(stream->avg_frame_rate);
    if (rate > 0)
        d->frameDuration_ = 1.0 / rate;
    d->frame_ = av_frame_alloc();
    d->packet_ = av_packet_alloc();
    if (!d->frame_ || !d->packet_) {
        *error = path + ": out of memory";
        return nullptr;
    }
    return d;
}

KVMovieDecoder::~KVMovieDecoder()
{
    sws_freeContext(scale_);
    av_packet_free(&packet_);
    av_frame_free(&frame_);
    avcodec_free_context(&codec_);
    avformat_close_input(&format_);
}

bool KVMovieDecoder::receive(std::vector<uint8_t>* rgba, double* seconds)
{
    if (avcodec_receive_frame(codec_, frame_) != 0)
        return false;
    if (frame_->width != width_ || frame_->height != height_) {
        av_frame_unref(frame_);
        return false;
    }
    scale_ = sws_getCachedContext(scale_, width_, height_, static_cast<AVPixelFormat>(frame_->format), width_,
                                  height_, AV_PIX_FMT_RGBA, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!scale_) {
        av_frame_unref(frame_);
        return false;
    }
    rgba->resize(static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4);
    uint8_t* planes[4] = {rgba->data(), nullptr, nullptr, nullptr};
    int strides[4] = {width_ * 4, 0, 0, 0};
    sws_scale(scale_, frame_->data, frame_->linesize, 0, height_, planes, strides);
    const int64_t pts = frame_->best_effort_timestamp;
    *seconds = pts != AV_NOPTS_VALUE ? static_cast<double>(pts) * timeBase_ : static_cast<double>(decoded_) * frameDuration_;
    ++decoded_;
    av_frame_unref(frame_);
    return true;
}

bool KVMovieDecoder::nextFrame(std::vector<uint8_t>* rgba, double* seconds)
{
    for (;;) {
        if (receive(rgba, seconds))
            return true;
        if (draining_)
            return false;
        const int read = av_read_frame(format_, packet_);
        if (read < 0) {
            draining_ = true;
            avcodec_send_packet(codec_, nullptr);
            continue;
        }
        if (packet_->stream_index == stream_ && avcodec_send_packet(codec_, packet_) < 0) {
            av_packet_unref(packet_);
            return false;
        }
        av_packet_unref(packet_);
    }
}
