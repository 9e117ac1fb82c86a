// Notifications by name: observers register a function for a name (and
// optionally one sender), posters post a name with an object and a user-info
// dictionary. Delivery is synchronous on the posting thread, in the order the
// observers were added. Observers may add or remove observers while being
// called; a removed observer is not called again after removeObserver returns
// (unless it is running on another thread at that moment).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/notify/KVNotification.h"

class KVNotificationCenter {
public:
    using Observer = std::function<void(const KVNotification&)>;
    using Token = uint64_t;

    // The application's center; components may also be given their own.
    static KVNotificationCenter& defaultCenter();

    KVNotificationCenter() = default;
    KVNotificationCenter(const KVNotificationCenter&) = delete;
    KVNotificationCenter& operator=(const KVNotificationCenter&) = delete;

    // An empty name observes every notification; a non-null sender only
    // notifications about that object.
    Token addObserver(const std::string& name, const KVObject* sender, Observer observer);
    void removeObserver(Token token);

    // An observer that throws is reported on one log line; the others still run.
    void post(const std::string& name, Ref<KVObject> object = nullptr, Ref<KVDictionary> userInfo = nullptr);

private:
    struct Registration {
        std::string name;
        const KVObject* sender;
        std::shared_ptr<Observer> observer;
    };
    std::mutex mutex_;
    Token next_ = 1;
    std::map<Token, Registration> registrations_;
};
