// A message ready to send: a target, a selector, the method's signature and
// typed arguments; after invoke() it holds the typed result. Argument indices
// count as the platform does: 0 is the target, 1 the selector, explicit
// arguments start at 2.
#pragma once

#include <string>
#include <vector>

#include "platform/objects/KVMethodSignature.h"
#include "platform/objects/KVValue.h"

class KVInvocation {
public:
    explicit KVInvocation(const KVMethodSignature& signature);

    const KVMethodSignature& methodSignature() const { return signature_; }

    void setTarget(Ref<KVObject> target) { target_ = std::move(target); }
    KVObject* target() const { return target_.get(); }
    void setSelector(const std::string& selector) { selector_ = selector; }
    const std::string& selector() const { return selector_; }

    // Throws KVObjectException for an index outside the explicit arguments.
    void setArgument(size_t index, KVValue value);
    const KVValue& argument(size_t index) const;

    // Readers for method implementations.
    KVObject* objectArgument(size_t index) const { return argument(index).asObject(); }
    KVClass* classArgument(size_t index) const { return argument(index).asClass(); }
    int32_t intArgument(size_t index) const { return argument(index).asInt(); }
    uint32_t unsignedIntArgument(size_t index) const { return argument(index).asUnsignedInt(); }
    double doubleArgument(size_t index) const { return argument(index).asDouble(); }
    float floatArgument(size_t index) const { return argument(index).asFloat(); }
    bool boolArgument(size_t index) const { return argument(index).asBool(); }
    void* pointerArgument(size_t index) const { return argument(index).asPointer(); }

    void setReturnValue(KVValue value) { result_ = std::move(value); }
    const KVValue& returnValue() const { return result_; }

    // Finds the target's method for the selector and runs it. Throws
    // KVObjectException when there is no target or the target does not
    // respond; whatever the method throws passes through.
    void invoke();

    // The target as a given native class, for method implementations; throws
    // when the target is of another class.
    template <class T>
    T* targetAs() const
    {
        T* t = dynamic_cast<T*>(target_.get());
        if (!t)
            wrongTarget();
        return t;
    }

private:
    [[noreturn]] void wrongTarget() const;

    KVMethodSignature signature_;
    Ref<KVObject> target_;
    std::string selector_;
    std::vector<KVValue> arguments_;
    KVValue result_;
};
