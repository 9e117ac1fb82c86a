#include "engine/host/KVPlatformWrappers.h"

#include "platform/clock/KVDate.h"
#include "platform/notify/KVNotificationCenter.h"
#include "platform/objects/KVString.h"

float KVGetSystemTime()
{
    return KVDate::getTimeAsFloat();
}

void KVGetClockTime(unsigned components[7])
{
    KVDate::getClockTime(components);
}

void KVLogDebugStatement(const char* text)
{
    Ref<KVDictionary> info =
        KVDictionary::withPairs({{KVString::withString("debugStatement"), KVString::withString(text ? text : "")}});
    KVNotificationCenter::defaultCenter().post("KVLogDebugStatementNotification", nullptr, info);
}
