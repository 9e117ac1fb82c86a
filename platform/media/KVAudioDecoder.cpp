#include "platform/media/KVAudioDecoder.h"

#include <algorithm>
#include <cstring>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libswresample/swresample.h>
}

namespace {

// Beyond any real file; a larger value is a corrupt header.
constexpr int kHighestRate = 1000000;
constexpr long kReadAllChunk = 4096;

std::string reason(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// FFmpeg reports every damaged packet on its own lines; our callers report
// what matters once, naming the file.
void quietFFmpegLog()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_FATAL); });
}

// A frame's layout, or the default one for its channel count when the file
// does not say which speakers its channels are for.
AVChannelLayout usableLayout(const AVChannelLayout& layout)
{
    AVChannelLayout result{};
    if (layout.order == AV_CHANNEL_ORDER_UNSPEC || layout.nb_channels < 1)
        av_channel_layout_default(&result, layout.nb_channels);
    else
        av_channel_layout_copy(&result, &layout);
    return result;
}

}  // namespace

std::unique_ptr<KVAudioDecoder> KVAudioDecoder::open(const std::string& path, int channels, std::string* error)
{
    if (channels != 1 && channels != 2) {
        *error = path + ": cannot decode to " + std::to_string(channels) + " channels (1 or 2)";
        return nullptr;
    }
    quietFFmpegLog();
    std::unique_ptr<KVAudioDecoder> decoder(new KVAudioDecoder(path, channels));
    if (!decoder->openFile(error))
        return nullptr;
    return decoder;
}

KVAudioDecoder::~KVAudioDecoder()
{
    closeFile();
}

bool KVAudioDecoder::openFile(std::string* error)
{
    int status = avformat_open_input(&format_, path_.c_str(), nullptr, nullptr);
    if (status < 0) {
        *error = path_ + ": cannot open the sound file (" + reason(status) + ")";
        return false;
    }
    status = avformat_find_stream_info(format_, nullptr);
    if (status < 0) {
        *error = path_ + ": cannot read the sound file's streams (" + reason(status) + ")";
        return false;
    }
    const AVCodec* decoder = nullptr;
    stream_ = av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (stream_ < 0 || !decoder) {
        *error = path_ + ": the file has no audio that can be decoded";
        return false;
    }
    AVStream* stream = format_->streams[stream_];
    codec_ = avcodec_alloc_context3(decoder);
    if (!codec_ || avcodec_parameters_to_context(codec_, stream->codecpar) < 0) {
        *error = path_ + ": cannot decode the audio";
        return false;
    }
    // Sound decoding shares the machine with the game: one thread is plenty.
    codec_->thread_count = 1;
    status = avcodec_open2(codec_, decoder, nullptr);
    if (status < 0) {
        *error = path_ + ": cannot decode the audio (" + reason(status) + ")";
        return false;
    }
    const int rate = codec_->sample_rate;
    const int sourceChannels = codec_->ch_layout.nb_channels;
    if (rate < 1 || rate > kHighestRate) {
        *error = path_ + ": unusable sample rate " + std::to_string(rate);
        return false;
    }
    if (sourceChannels < 1) {
        *error = path_ + ": the audio has no channels";
        return false;
    }
    sampleRate_ = rate;
    sourceChannels_ = sourceChannels;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        duration_ = static_cast<double>(stream->duration) * av_q2d(stream->time_base);
    else if (format_->duration != AV_NOPTS_VALUE && format_->duration > 0)
        duration_ = static_cast<double>(format_->duration) / AV_TIME_BASE;
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (!frame_ || !packet_) {
        *error = path_ + ": out of memory";
        return false;
    }
    return true;
}

void KVAudioDecoder::closeFile()
{
    swr_free(&resampler_);
    av_packet_free(&packet_);
    av_frame_free(&frame_);
    avcodec_free_context(&codec_);
    avformat_close_input(&format_);
    stream_ = -1;
    resamplerRate_ = 0;
    resamplerFormat_ = -1;
    resamplerChannels_ = 0;
    resamplerMask_ = 0;
    draining_ = false;
    ended_ = false;
    pending_.clear();
    pendingOffset_ = 0;
}

void KVAudioDecoder::fail(const std::string& what)
{
    if (error_.empty())
        error_ = path_ + ": " + what;
    ended_ = true;
}

bool KVAudioDecoder::configureResampler(const AVFrame* frame)
{
    AVChannelLayout in = usableLayout(frame->ch_layout.nb_channels > 0 ? frame->ch_layout : codec_->ch_layout);
    const uint64_t mask = in.order == AV_CHANNEL_ORDER_NATIVE ? in.u.mask : 0;
    if (resampler_ && frame->sample_rate == resamplerRate_ && frame->format == resamplerFormat_ &&
        in.nb_channels == resamplerChannels_ && mask == resamplerMask_) {
        av_channel_layout_uninit(&in);
        return true;
    }
    swr_free(&resampler_);
    // Mono is spread to two channels by copying, at its own level (the
    // resampler would lower it by 3 dB).
    resamplerOutChannels_ = in.nb_channels == 1 ? 1 : channels_;
    AVChannelLayout out{};
    av_channel_layout_default(&out, resamplerOutChannels_);
    // A stream that changes its rate mid-way is brought back to the first
    // one, so the caller sees one rate throughout.
    int status = swr_alloc_set_opts2(&resampler_, &out, AV_SAMPLE_FMT_S16, sampleRate_, &in,
                                     static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr);
    if (status >= 0)
        status = swr_init(resampler_);
    av_channel_layout_uninit(&out);
    resamplerRate_ = frame->sample_rate;
    resamplerFormat_ = frame->format;
    resamplerChannels_ = in.nb_channels;
    resamplerMask_ = mask;
    av_channel_layout_uninit(&in);
    if (status < 0) {
        swr_free(&resampler_);
        fail("cannot convert the audio (" + reason(status) + ")");
        return false;
    }
    return true;
}

bool KVAudioDecoder::convert(const AVFrame* frame)
{
    if (frame && frame->sample_rate < 1)
        return true;  // nothing usable in it
    if (frame && !configureResampler(frame))
        return false;
    if (!resampler_)
        return true;
    const int inSamples = frame ? frame->nb_samples : 0;
    const int room = swr_get_out_samples(resampler_, inSamples);
    if (room <= 0)
        return true;
    if (pendingOffset_ == pending_.size()) {
        pending_.clear();
        pendingOffset_ = 0;
    }
    const size_t start = pending_.size();
    const size_t madeChannels = static_cast<size_t>(resamplerOutChannels_);
    pending_.resize(start + static_cast<size_t>(room) * static_cast<size_t>(channels_));
    auto* out = reinterpret_cast<uint8_t*>(pending_.data() + start);
    const int made = swr_convert(resampler_, &out, room, frame ? const_cast<const uint8_t**>(frame->extended_data) : nullptr,
                                 inSamples);
    if (made < 0) {
        pending_.resize(start);
        fail("cannot convert the audio (" + reason(made) + ")");
        return false;
    }
    const size_t frames = static_cast<size_t>(made);
    if (madeChannels < static_cast<size_t>(channels_)) {
        // Spread in place from the last frame back.
        int16_t* samples = pending_.data() + start;
        for (size_t f = frames; f-- > 0;) {
            samples[2 * f + 1] = samples[f];
            samples[2 * f] = samples[f];
        }
    }
    pending_.resize(start + frames * static_cast<size_t>(channels_));
    return true;
}

bool KVAudioDecoder::decodeMore()
{
    if (ended_ || !codec_)
        return false;
    for (;;) {
        int status = avcodec_receive_frame(codec_, frame_);
        if (status == 0) {
            const bool converted = convert(frame_);
            av_frame_unref(frame_);
            if (!converted)
                return false;
            return true;
        }
        if (status == AVERROR_EOF || (draining_ && status != AVERROR(EAGAIN))) {
            convert(nullptr);  // what the resampler still holds
            ended_ = true;
            return pendingOffset_ < pending_.size();
        }
        // Any other decoding error concerns one damaged packet: go on with
        // the next, as players do.
        if (draining_) {
            ended_ = true;
            return false;
        }
        status = av_read_frame(format_, packet_);
        if (status == AVERROR_EOF) {
            draining_ = true;
            avcodec_send_packet(codec_, nullptr);
            continue;
        }
        if (status < 0) {
            fail("cannot read the sound file (" + reason(status) + ")");
            return false;
        }
        if (packet_->stream_index == stream_)
            avcodec_send_packet(codec_, packet_);  // a damaged packet is skipped
        av_packet_unref(packet_);
    }
}

long KVAudioDecoder::read(int16_t* frames, long maxFrames)
{
    long written = 0;
    while (written < maxFrames) {
        const size_t available = (pending_.size() - pendingOffset_) / static_cast<size_t>(channels_);
        if (available == 0) {
            pending_.clear();
            pendingOffset_ = 0;
            if (!decodeMore() && pending_.empty())
                break;
            continue;
        }
        const size_t take = std::min(available, static_cast<size_t>(maxFrames - written));
        const size_t samples = take * static_cast<size_t>(channels_);
        std::memcpy(frames + written * channels_, pending_.data() + pendingOffset_, samples * sizeof(int16_t));
        pendingOffset_ += samples;
        written += static_cast<long>(take);
    }
    return written;
}

bool KVAudioDecoder::readAll(std::vector<int16_t>* samples, int64_t maxBytes)
{
    const size_t frameSamples = static_cast<size_t>(channels_);
    int64_t bytes = 0;
    for (;;) {
        const size_t start = samples->size();
        samples->resize(start + kReadAllChunk * frameSamples);
        const long got = read(samples->data() + start, kReadAllChunk);
        samples->resize(start + static_cast<size_t>(got) * frameSamples);
        bytes += static_cast<int64_t>(got) * static_cast<int64_t>(frameSamples * sizeof(int16_t));
        if (bytes > maxBytes) {
            fail("the sound is too long to decode whole");
            return false;
        }
        if (got < kReadAllChunk)
            return !failed();
    }
}

bool KVAudioDecoder::rewind()
{
    closeFile();
    error_.clear();
    std::string error;
    if (!openFile(&error)) {
        closeFile();
        error_ = error;
        ended_ = true;
        return false;
    }
    return true;
}
