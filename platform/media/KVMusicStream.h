// Background music: a sound file decoded on a thread of its own and
// streamed through a few OpenAL buffers, refilled as they are played, into
// a source of its own. The source lives in a context of its own on the
// sound output device, so the game's listener (position, gain) does not
// touch the music.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class KVAudioDecoder;

class KVMusicStream {
public:
    // Null, with a one-line reason naming the file, when the file cannot be
    // decoded or there is no sound output at all.
    static std::unique_ptr<KVMusicStream> open(const std::string& path, bool looping, std::string* error);
    ~KVMusicStream();
    KVMusicStream(const KVMusicStream&) = delete;
    KVMusicStream& operator=(const KVMusicStream&) = delete;

    // From the start; a paused piece plays on. Nothing while playing.
    void play();
    void pause();
    void resume();
    // Silences it and goes back to the start.
    void stop();
    void setVolume(float volume);
    // Refills at once, on the stream's thread, the buffers played so far
    // (the thread otherwise looks every 20 ms). For callers that render the
    // output themselves.
    void refill();
    // refill() for every playing stream.
    static void refillAll();
    // False when paused, stopped or ended by itself.
    bool isPlaying() const { return state_.load() == State::playing; }
    bool isPaused() const { return state_.load() == State::paused; }
    bool looping() const { return looping_; }

private:
    enum class State { stopped, playing, paused };
    enum class Command { none, play, pause, resume, stop, volume, refill, quit };

    KVMusicStream(std::unique_ptr<KVAudioDecoder> decoder, bool looping, ALCcontext* context);
    // Starts the thread; false when it cannot use the context.
    bool start();
    void send(Command command);
    void run();
    void perform(Command command);
    void service();
    long decode();
    bool fill(ALuint buffer);
    void restart();
    void silence();

    std::unique_ptr<KVAudioDecoder> decoder_;
    const bool looping_;
    ALCcontext* context_;
    ALuint source_ = 0;
    std::vector<ALuint> buffers_;
    std::vector<ALuint> idle_;        // buffers not queued
    std::vector<int16_t> scratch_;
    bool decoderAtStart_ = true;
    bool decoderEnded_ = false;
    bool reported_ = false;  // a decoding error was logged

    std::atomic<State> state_{State::stopped};
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    Command command_ = Command::none;
    bool started_ = false;
    float volume_ = 1.0f;
    std::thread thread_;
};
