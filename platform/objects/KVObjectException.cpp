#include "platform/objects/KVObjectException.h"

#include <utility>

KVObjectException::KVObjectException(std::string name, std::string reason)
    : name_(std::move(name)), reason_(std::move(reason))
{
}

KVObjectException::~KVObjectException() = default;

const char* KVObjectException::what() const noexcept
{
    try {
        what_ = name_ + ": " + reason();
    } catch (...) {
        return name_.c_str();
    }
    return what_.c_str();
}
