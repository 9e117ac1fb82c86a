#include "player/standalone/KVVideoRecorder.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/media/KVMusicStream.h"
#include "platform/media/KVSoundOutput.h"
#include "platform/media/KVVideoEncoder.h"
#include "platform/objects/KVLogLine.h"

namespace {

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The speakers get the mix this far ahead at most (a late frame leaves a
// gap rather than a growing delay), and start once they have a little.
constexpr double kMostSoundAhead = 0.25;
constexpr double kSoundBeforeStart = 0.05;

}  // namespace

std::unique_ptr<KVVideoRecorder> KVVideoRecorder::create(const std::string& path, Options options,
                                                         std::string* error)
{
    std::unique_ptr<KVVideoRecorder> r(new KVVideoRecorder);
    r->encoder_ = KVVideoEncoder::create(path, error);
    if (!r->encoder_)
        return nullptr;
    r->options_ = options;
    r->withSound_ = KVSoundOutput::useManualLoopback(SampleRate, Channels);
    if (!r->withSound_)
        KVLogLine("%s: OpenAL has no loopback device; the film has no sound", path.c_str());
    if (r->withSound_ && options.playSound) {
        SDL_AudioSpec wanted{};
        wanted.freq = SampleRate;
        wanted.format = AUDIO_F32SYS;
        wanted.channels = Channels;
        wanted.samples = 1024;
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0)
            r->soundDevice_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
        if (!r->soundDevice_)
            KVLogLine("No sound device can be opened (%s); the game is filmed with its sound but plays silently",
                      SDL_GetError());
    }
    r->thread_ = std::thread([rec = r.get()] { rec->encodeAll(); });
    return r;
}

KVVideoRecorder::~KVVideoRecorder()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
        failed_ = true;  // nothing more is encoded; the unfinished file goes
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
    if (soundDevice_)
        SDL_CloseAudioDevice(soundDevice_);
}

void KVVideoRecorder::captureFrame(long frame, int width, int height, long frameInterval)
{
    if (!capturing_ || width < 1 || height < 1)
        return;
    const auto started = std::chrono::steady_clock::now();
    if (firstFrame_ < 0) {
        firstFrame_ = frame;
        frameInterval_ = std::max(1L, frameInterval);
        const size_t bytes = static_cast<size_t>(width) * height * 4;
        std::lock_guard<std::mutex> lock(mutex_);
        mostPictures_ = std::clamp(QueueBytes / bytes, LeastQueued, MostQueued);
    }
    const long index = frame - firstFrame_;
    readback_.read(index, width, height, [this](const KVFrameReadback::Frame& f) { takePicture(f); });

    // The frame's sound: from its start to the next frame's, so that the
    // sounds its update started begin with its picture.
    Item sound;
    sound.index = index;
    sound.width = width;
    sound.height = height;
    if (withSound_) {
        const int64_t end = (static_cast<int64_t>(index) + 1) * SampleRate * frameInterval_ / 60;
        const int count = static_cast<int>(end - soundFramesMixed_);
        soundFramesMixed_ = end;
        // The music's buffers are topped up first, so it never runs dry
        // however fast frames come.
        KVMusicStream::refillAll();
        sound.sound.resize(static_cast<size_t>(count) * Channels);
        KVSoundOutput::render(sound.sound.data(), count);
        if (soundDevice_) {
            const Uint32 bytes = static_cast<Uint32>(sound.sound.size() * sizeof(float));
            const Uint32 queued = SDL_GetQueuedAudioSize(soundDevice_);
            const double second = SampleRate * Channels * sizeof(float);
            if (queued < kMostSoundAhead * second)
                SDL_QueueAudio(soundDevice_, sound.sound.data(), bytes);
            if (queued + bytes >= kSoundBeforeStart * second)
                SDL_PauseAudioDevice(soundDevice_, 0);
        }
    }
    push(std::move(sound));
    captureTimes_.record(millisecondsSince(started));
}

void KVVideoRecorder::takePicture(const KVFrameReadback::Frame& frame)
{
    Item item;
    item.index = frame.index;
    item.width = frame.width;
    item.height = frame.height;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++pictures_;
        // A window keeps its pace: a picture the encoder has no room for goes.
        if (options_.dropWhenBehind && picturesQueued_ >= mostPictures_) {
            ++dropped_;
            return;
        }
        if (!spare_.empty()) {
            item.pixels = std::move(spare_.back());
            spare_.pop_back();
        }
    }
    item.pixels.assign(frame.pixels, frame.pixels + static_cast<size_t>(frame.width) * frame.height * 4);
    push(std::move(item));
}

void KVVideoRecorder::push(Item item)
{
    std::unique_lock<std::mutex> lock(mutex_);
    // Headless runs wait for room for a picture instead of dropping it.
    if (!item.pixels.empty())
        changed_.wait(lock, [this] { return picturesQueued_ < mostPictures_ || failed_; });
    if (failed_)
        return;
    if (!item.pixels.empty())
        ++picturesQueued_;
    queue_.push_back(std::move(item));
    changed_.notify_all();
}

void KVVideoRecorder::endCapture()
{
    if (!capturing_)
        return;
    readback_.flush([this](const KVFrameReadback::Frame& f) { takePicture(f); });
    readback_.releaseBuffers();
    capturing_ = false;
}

void KVVideoRecorder::encodeAll()
{
    for (;;) {
        Item item;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return !queue_.empty() || ending_; });
            if (queue_.empty())
                return;
            item = std::move(queue_.front());
            queue_.pop_front();
        }
        const auto started = std::chrono::steady_clock::now();
        encodeItem(item);
        encodingMilliseconds_ += millisecondsSince(started);
        std::lock_guard<std::mutex> lock(mutex_);
        if (!item.pixels.empty()) {
            --picturesQueued_;
            if (spare_.size() < LeastQueued)
                spare_.push_back(std::move(item.pixels));
        }
        changed_.notify_all();
    }
}

void KVVideoRecorder::encodeItem(Item& item)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (failed_)
            return;
    }
    std::string error;
    if (!encoderStarted_) {
        KVVideoEncoder::Settings settings;
        settings.width = item.width;
        settings.height = item.height;
        settings.rateNumerator = 60;
        settings.rateDenominator = static_cast<int>(frameInterval_);
        settings.sampleRate = SampleRate;
        settings.channels = withSound_ ? Channels : 0;
        encoderStarted_ = encoder_->start(settings, &error);
        if (!encoderStarted_)
            return fail(error);
    }
    if (!item.pixels.empty() &&
        !encoder_->addFrame(item.pixels.data(), item.width, item.height, item.width * 4, item.index, &error))
        return fail(error);
    if (!item.sound.empty() &&
        !encoder_->addSound(item.sound.data(), static_cast<int>(item.sound.size() / Channels), &error))
        return fail(error);
}

void KVVideoRecorder::fail(const std::string& error)
{
    KVLogLine("%s; the rest of the run is not filmed", error.c_str());
    std::lock_guard<std::mutex> lock(mutex_);
    failed_ = true;
    error_ = error;
    changed_.notify_all();
}

bool KVVideoRecorder::finish(std::string* error, std::string* note)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
    if (soundDevice_) {
        SDL_CloseAudioDevice(soundDevice_);
        soundDevice_ = 0;
    }
    std::string reason;
    if (!failed_ && !encoder_->finish(&reason)) {
        failed_ = true;
        error_ = reason;
    }
    if (dropped_ > 0)
        *note = encoder_->path() + ": " + std::to_string(dropped_) + " of " + std::to_string(pictures_) +
                " frames dropped: the encoder fell behind the game";
    if (failed_) {
        *error = error_;
        return false;
    }
    return true;
}

std::string KVVideoRecorder::statsSummary() const
{
    const long frames = static_cast<long>(captureTimes_.count());
    char line[256];
    std::snprintf(line, sizeof line,
                  "video frames %ld (%ld dropped), drawing thread median %.3f ms, p95 %.3f ms, encoder %.3f ms a frame",
                  frames, dropped_, captureTimes_.percentile(0.5), captureTimes_.percentile(0.95),
                  frames > 0 ? encodingMilliseconds_ / static_cast<double>(frames) : 0.0);
    return line;
}
