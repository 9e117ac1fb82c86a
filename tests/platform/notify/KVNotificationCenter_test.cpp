// Notifications by name and sender, to observers that may fail or remove
// one another.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/notify/KVNotificationCenter.h"
#include "platform/objects/KVNumber.h"
#include "platform/objects/KVObjectException.h"
#include "platform/objects/KVString.h"

namespace {

TEST(KVNotificationCenter, DeliversByNameAndSenderWithUserInfo)
{
    KVNotificationCenter center;
    Ref<KVObject> sender = KVNumber::withInt(1);
    Ref<KVObject> other = KVNumber::withInt(2);
    std::vector<std::string> seen;
    center.addObserver("Changed", nullptr, [&](const KVNotification& n) {
        seen.push_back("any:" + kvDescription(n.object.get()));
    });
    center.addObserver("Changed", sender.get(), [&](const KVNotification& n) {
        seen.push_back("sender:" + kvDescription(n.userInfo->objectForKey(KVString::withString("key").get())));
    });
    center.addObserver("", nullptr, [&](const KVNotification& n) { seen.push_back("all:" + n.name); });

    center.post("Changed", sender, KVDictionary::withPairs({{KVString::withString("key"), KVString::withString("v")}}));
    center.post("Changed", other);
    center.post("Other");
    EXPECT_EQ(seen, (std::vector<std::string>{"any:1", "sender:v", "all:Changed", "any:2", "all:Changed", "all:Other"}));
}

TEST(KVNotificationCenter, ObserversMayRemoveOthersAndFailuresStayContained)
{
    KVNotificationCenter center;
    int later = 0;
    KVNotificationCenter::Token second = 0;
    center.addObserver("N", nullptr, [&](const KVNotification&) {
        center.removeObserver(second);
        throw KVObjectException(KVObjectException::InvalidArgument, "observer broke");
    });
    second = center.addObserver("N", nullptr, [&](const KVNotification&) { ++later; });
    int third = 0;
    center.addObserver("N", nullptr, [&](const KVNotification&) { ++third; });
    testing::internal::CaptureStderr();
    center.post("N");
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("observer broke"), std::string::npos);
    EXPECT_EQ(later, 0);
    EXPECT_EQ(third, 1);
}

}  // namespace
