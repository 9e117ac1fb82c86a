#include "platform/notify/KVNotificationCenter.h"

#include <exception>
#include <vector>

#include "platform/objects/KVLogLine.h"

KVNotificationCenter& KVNotificationCenter::defaultCenter()
{
    static KVNotificationCenter center;
    return center;
}

KVNotificationCenter::Token KVNotificationCenter::addObserver(const std::string& name, const KVObject* sender,
                                                              Observer observer)
{
    std::lock_guard<std::mutex> guard(mutex_);
    Token token = next_++;
    registrations_[token] = Registration{name, sender, std::make_shared<Observer>(std::move(observer))};
    return token;
}

void KVNotificationCenter::removeObserver(Token token)
{
    std::lock_guard<std::mutex> guard(mutex_);
    registrations_.erase(token);
}

void KVNotificationCenter::post(const std::string& name, Ref<KVObject> object, Ref<KVDictionary> userInfo)
{
    KVNotification notification{name, std::move(object), std::move(userInfo)};
    std::vector<std::pair<Token, std::shared_ptr<Observer>>> matching;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        for (const auto& r : registrations_)
            if ((r.second.name.empty() || r.second.name == name) &&
                (!r.second.sender || r.second.sender == notification.object.get()))
                matching.emplace_back(r.first, r.second.observer);
    }
    for (const auto& m : matching) {
        {
            // Skip observers removed by an earlier observer of this post.
            std::lock_guard<std::mutex> guard(mutex_);
            if (!registrations_.count(m.first))
                continue;
        }
        try {
            (*m.second)(notification);
        } catch (const std::exception& e) {
            KVLogLine("An observer of %s failed: %s", name.c_str(), e.what());
        } catch (...) {
            KVLogLine("An observer of %s failed", name.c_str());
        }
    }
}
