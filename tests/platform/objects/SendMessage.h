// Sends a message through the runtime as a bridge would: find the method,
// build an invocation, set the typed arguments, invoke.
#pragma once

#include <initializer_list>
#include <string>

#include "platform/objects/KVInvocation.h"
#include "platform/objects/KVMethod.h"
#include "platform/objects/KVObjectException.h"

inline KVValue sendMessage(KVObject* target, const std::string& selector, std::initializer_list<KVValue> args = {})
{
    const KVMethod* method = target->methodForSelector(selector);
    if (!method)
        throw KVObjectException(KVObjectException::InvalidArgument, "no method " + selector);
    KVInvocation invocation(method->signature);
    invocation.setTarget(target);
    invocation.setSelector(selector);
    size_t index = 2;
    for (const auto& a : args)
        invocation.setArgument(index++, a);
    invocation.invoke();
    return invocation.returnValue();
}
