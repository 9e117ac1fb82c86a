// One posted notification: its name, the object it is about (may be null)
// and a dictionary of further information (may be null).
#pragma once

#include <string>

#include "platform/objects/KVDictionary.h"

struct KVNotification {
    std::string name;
    Ref<KVObject> object;
    Ref<KVDictionary> userInfo;
};
