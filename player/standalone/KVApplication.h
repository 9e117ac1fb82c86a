// The application loop on the main thread: window events (when there is a
// window), the main-thread queue, delayed work, and termination.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>

union SDL_Event;

class KVApplication {
public:
    using Task = std::function<void()>;
    using Clock = std::chrono::steady_clock;

    // What the loop drives.
    class Delegate {
    public:
        virtual ~Delegate() = default;
        // False ends the run at once with exit status 1.
        virtual bool applicationDidFinishLaunching() = 0;
        virtual void applicationWillTerminate() = 0;
        virtual void handleEvent(const SDL_Event& event) = 0;
        // Once a pass, after events and queued work.
        virtual void tick(double now) = 0;
    };

    // With events, SDL's video subsystem is initialised and polled.
    explicit KVApplication(bool withEvents);
    ~KVApplication();
    KVApplication(const KVApplication&) = delete;
    KVApplication& operator=(const KVApplication&) = delete;

    // Launches the delegate and runs until terminate; answers the exit status.
    int run(Delegate& delegate);
    // One pass of the loop; false once the application has terminated.
    bool runOnce(Delegate& delegate);

    // Asks the application to terminate; any thread, any number of times.
    // A non-zero status is kept as the exit status.
    void terminate(int status = 0);
    bool isTerminating() const { return terminateRequested_.load(); }

    // Runs the task on the main thread after the delay (main thread only).
    void performAfter(double seconds, Task task);

    static double now();

private:
    void fireTimers();

    bool withEvents_;
    bool launched_ = false;
    bool terminated_ = false;
    std::atomic<bool> terminateRequested_{false};
    std::atomic<int> status_{0};
    std::multimap<Clock::time_point, Task> timers_;
};
