#include "platform/media/KVMusicStream.h"

#include <AL/alext.h>

#include <chrono>
#include <set>

#include "platform/media/KVAudioDecoder.h"
#include "platform/media/KVCheckALError.h"
#include "platform/media/KVSoundOutput.h"
#include "platform/objects/KVLogLine.h"

namespace {

// Four buffers of 8192 frames: about three quarters of a second ahead at
// 44.1 kHz, which rides out a busy machine; the thread looks every 20 ms.
constexpr int kBufferCount = 4;
constexpr long kBufferFrames = 8192;
constexpr auto kServiceInterval = std::chrono::milliseconds(20);

bool setThreadContext(ALCcontext* context)
{
    static auto set = reinterpret_cast<PFNALCSETTHREADCONTEXTPROC>(alcGetProcAddress(nullptr, "alcSetThreadContext"));
    return set && set(context);
}

// The streams alive, for refillAll.
std::mutex liveMutex;
std::set<KVMusicStream*> live;

}  // namespace

std::unique_ptr<KVMusicStream> KVMusicStream::open(const std::string& path, bool looping, std::string* error)
{
    // A mono output gets the channels' average, as a stereo source would
    // reach it as their sum.
    auto decoder = KVAudioDecoder::open(path, KVSoundOutput::isMonoOutput() ? 1 : 2, error);
    if (!decoder)
        return nullptr;
    ALCdevice* device = KVSoundOutput::device();
    if (!device || !alcIsExtensionPresent(device, "ALC_EXT_thread_local_context")) {
        *error = path + ": no sound output for the music";
        return nullptr;
    }
    ALCcontext* context = KVSoundOutput::createContext(device);
    if (!context) {
        *error = path + ": cannot create an OpenAL context for the music (error " +
                 std::to_string(alcGetError(device)) + ")";
        return nullptr;
    }
    std::unique_ptr<KVMusicStream> stream(new KVMusicStream(std::move(decoder), looping, context));
    if (!stream->start()) {
        *error = path + ": cannot make the music's OpenAL context current";
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(liveMutex);
    live.insert(stream.get());
    return stream;
}

KVMusicStream::KVMusicStream(std::unique_ptr<KVAudioDecoder> decoder, bool looping, ALCcontext* context)
    : decoder_(std::move(decoder)), looping_(looping), context_(context)
{
    scratch_.resize(static_cast<size_t>(kBufferFrames) * 2);
}

bool KVMusicStream::start()
{
    // The source and buffers are made on the thread, where the context is.
    std::unique_lock<std::mutex> lock(mutex_);
    thread_ = std::thread([this] { run(); });
    done_.wait(lock, [this] { return started_ || command_ == Command::quit; });
    return started_;
}

KVMusicStream::~KVMusicStream()
{
    {
        std::lock_guard<std::mutex> lock(liveMutex);
        live.erase(this);
    }
    send(Command::quit);
    if (thread_.joinable())
        thread_.join();
    alcDestroyContext(context_);
}

void KVMusicStream::send(Command command)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (command_ == Command::quit)
        return;
    command_ = command;
    wake_.notify_all();
    done_.wait(lock, [this] { return command_ == Command::none || command_ == Command::quit; });
}

void KVMusicStream::play()
{
    send(Command::play);
}

void KVMusicStream::pause()
{
    send(Command::pause);
}

void KVMusicStream::resume()
{
    send(Command::resume);
}

void KVMusicStream::stop()
{
    send(Command::stop);
}

void KVMusicStream::setVolume(float volume)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        volume_ = volume;
    }
    send(Command::volume);
}

void KVMusicStream::refill()
{
    send(Command::refill);
}

void KVMusicStream::refillAll()
{
    std::lock_guard<std::mutex> lock(liveMutex);
    for (KVMusicStream* stream : live)
        if (stream->isPlaying())
            stream->refill();
}

void KVMusicStream::run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (!setThreadContext(context_)) {
        command_ = Command::quit;
        done_.notify_all();
        return;
    }
    alGenSources(1, &source_);
    buffers_.resize(kBufferCount);
    alGenBuffers(kBufferCount, buffers_.data());
    idle_ = buffers_;
    // Straight to the speakers: no position, no distance, and left and
    // right unpanned.
    alSourcei(source_, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(source_, AL_POSITION, 0, 0, 0);
    alSourcef(source_, AL_ROLLOFF_FACTOR, 0);
    alSourcei(source_, AL_DIRECT_CHANNELS_SOFT, decoder_->channels() == 2 ? AL_TRUE : AL_FALSE);
    KVCheckALError("KVMusicStream: alGenSources");
    started_ = true;
    done_.notify_all();

    for (;;) {
        wake_.wait_for(lock, kServiceInterval, [this] { return command_ != Command::none; });
        const Command command = command_;
        if (command == Command::quit)
            break;
        if (command != Command::none) {
            perform(command);
            command_ = Command::none;
            done_.notify_all();
        }
        if (state_.load() == State::playing)
            service();
    }
    silence();
    alDeleteSources(1, &source_);
    alDeleteBuffers(kBufferCount, buffers_.data());
    setThreadContext(nullptr);
    done_.notify_all();
}

void KVMusicStream::perform(Command command)
{
    const State state = state_.load();
    switch (command) {
    case Command::play:
        if (state == State::paused) {
            perform(Command::resume);
        } else if (state == State::stopped) {
            restart();
            alSourcef(source_, AL_GAIN, volume_);
            state_.store(State::playing);
            service();
        }
        break;
    case Command::pause:
        if (state == State::playing) {
            alSourcePause(source_);
            state_.store(State::paused);
        }
        break;
    case Command::resume:
        if (state == State::paused) {
            state_.store(State::playing);
            service();
        }
        break;
    case Command::stop:
        silence();
        state_.store(State::stopped);
        break;
    case Command::volume:
        alSourcef(source_, AL_GAIN, volume_);
        break;
    case Command::refill:  // the loop services a playing stream after every command
    case Command::none:
    case Command::quit:
        break;
    }
}

// The next frames into scratch_, going round to the start for a looping
// piece; 0 when nothing is left. A decoding error is reported once, and
// what was decoded before it still plays.
long KVMusicStream::decode()
{
    if (reported_)
        return 0;
    long frames = decoderEnded_ ? 0 : decoder_->read(scratch_.data(), kBufferFrames);
    // Only a piece that gave frames since its start goes round again: an
    // empty one would spin here for ever.
    if (frames == 0 && looping_ && !decoderAtStart_ && !decoder_->failed()) {
        restart();
        frames = decoder_->read(scratch_.data(), kBufferFrames);
    }
    decoderEnded_ = frames < kBufferFrames;
    if (frames > 0)
        decoderAtStart_ = false;
    if (decoder_->failed()) {
        KVLogLine("%s", decoder_->error().c_str());
        reported_ = true;
    }
    return frames;
}

// Fills `buffer` with the next frames and queues it; false when nothing is
// left.
bool KVMusicStream::fill(ALuint buffer)
{
    const long frames = decode();
    if (frames == 0)
        return false;
    const int channels = decoder_->channels();
    alBufferData(buffer, channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16, scratch_.data(),
                 static_cast<ALsizei>(frames * channels * 2), decoder_->sampleRate());
    if (KVCheckALError("KVMusicStream: alBufferData"))
        return false;
    alSourceQueueBuffers(source_, 1, &buffer);
    return true;
}

void KVMusicStream::service()
{
    ALint processed = 0;
    alGetSourcei(source_, AL_BUFFERS_PROCESSED, &processed);
    while (processed-- > 0) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(source_, 1, &buffer);
        idle_.push_back(buffer);
    }
    while (!idle_.empty() && fill(idle_.back()))
        idle_.pop_back();
    ALint queued = 0, state = 0;
    alGetSourcei(source_, AL_BUFFERS_QUEUED, &queued);
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    if (queued == 0) {
        // Played to its end.
        silence();
        state_.store(State::stopped);
        return;
    }
    // Starts it, or starts it again after the thread fell behind.
    if (state != AL_PLAYING)
        alSourcePlay(source_);
}

// Back to the first frame, unless already there. A file that cannot be
// opened again leaves the decoder failed, which decode() reports.
void KVMusicStream::restart()
{
    if (!decoderAtStart_)
        decoder_->rewind();
    decoderAtStart_ = true;
    decoderEnded_ = false;
}

// Stops the source, takes its buffers back and goes back to the start; the
// next play tries the file afresh.
void KVMusicStream::silence()
{
    alSourceStop(source_);
    alSourcei(source_, AL_BUFFER, 0);
    idle_ = buffers_;
    restart();
    reported_ = false;
}
