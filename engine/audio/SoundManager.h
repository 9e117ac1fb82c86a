// The pool of 32 OpenAL sources that sound player nodes borrow, and the
// process's one OpenAL context. Finished sources come back to the pool at
// the first update() after they end.
#pragma once

#include <AL/alc.h>

#include <set>

class KVAudioSource;

class SoundManager {
public:
    static constexpr int kSourceCount = 32;

    // Opens the shared device and context on first use (later managers
    // share them) and creates this manager's 32 sources.
    SoundManager();
    // Stops the playing sources (their callbacks run) and deletes them all;
    // the device and context stay open.
    ~SoundManager();
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    // The free source with the lowest address, set to its defaults; null
    // when all are reserved.
    KVAudioSource* reserveSource();
    void playSource(KVAudioSource* source);
    void pauseSource(KVAudioSource* source);
    // Plays a paused source on.
    void restartSource(KVAudioSource* source);
    // Stops, returns it to the pool, then calls its stop callback.
    void stopSource(KVAudioSource* source);
    void recycleSource(KVAudioSource* source);
    // Takes back the playing sources that have ended.
    void update();

    // These act on the shared context only.
    static void suspend();
    static void resume();
    static void makeCurrent();

    // The shared context, opening the device and the context when needed
    // (null when there is no device at all). The music player plays on it.
    static ALCcontext* sharedContext();

    // Whether a manager lives at this address: nodes hold a plain pointer
    // and the script may delete the manager first.
    static bool isLive(const SoundManager* manager);

    const std::set<KVAudioSource*>& freeSources() const { return free_; }
    const std::set<KVAudioSource*>& reservedSources() const { return reserved_; }
    const std::set<KVAudioSource*>& playingSources() const { return playing_; }

private:
    static void openShared(const char* label);

    std::set<KVAudioSource*> free_;
    std::set<KVAudioSource*> reserved_;
    std::set<KVAudioSource*> playing_;
};
