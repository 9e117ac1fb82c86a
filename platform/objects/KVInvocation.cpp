#include "platform/objects/KVInvocation.h"

#include "platform/objects/KVClass.h"
#include "platform/objects/KVMethod.h"
#include "platform/objects/KVObjectException.h"

KVInvocation::KVInvocation(const KVMethodSignature& signature)
    : signature_(signature), arguments_(signature.numberOfArguments())
{
}

void KVInvocation::setArgument(size_t index, KVValue value)
{
    if (index < 2 || index >= arguments_.size())
        throw KVObjectException(KVObjectException::Range,
                                "argument index " + std::to_string(index) + " outside 2.." +
                                    std::to_string(arguments_.size() - 1) + " of " + selector_);
    arguments_[index] = std::move(value);
}

const KVValue& KVInvocation::argument(size_t index) const
{
    static const KVValue unset;
    if (index < 2 || index >= arguments_.size())
        return unset;
    return arguments_[index];
}

void KVInvocation::invoke()
{
    if (!target_)
        throw KVObjectException(KVObjectException::InvalidArgument, "message " + selector_ + " sent to nil");
    const KVMethod* method = target_->methodForSelector(selector_);
    if (!method)
        throw KVObjectException(KVObjectException::InvalidArgument,
                                kvDescription(target_.get()) + " does not respond to selector " + selector_);
    result_ = KVValue();
    method->imp(*this);
}

void KVInvocation::wrongTarget() const
{
    throw KVObjectException(KVObjectException::InvalidArgument,
                            selector_ + " sent to an instance of the wrong class: " + kvDescription(target_.get()));
}
