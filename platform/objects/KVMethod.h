// One method of a runtime class: its selector, its type encoding parsed into
// a signature, and the native code that runs it.
#pragma once

#include <functional>
#include <string>

#include "platform/objects/KVMethodSignature.h"

class KVInvocation;

using KVMethodImp = std::function<void(KVInvocation&)>;

struct KVMethod {
    std::string selector;
    KVMethodSignature signature;
    KVMethodImp imp;
};
