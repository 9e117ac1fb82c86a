// The platform's exception: a name saying what kind of failure it is and a
// reason saying what happened. Subclasses may compute the reason.
#pragma once

#include <exception>
#include <string>

class KVObjectException : public std::exception {
public:
    // The names of the failures the runtime itself raises.
    static constexpr const char* InvalidArgument = "NSInvalidArgumentException";
    static constexpr const char* Range = "NSRangeException";
    static constexpr const char* InternalInconsistency = "NSInternalInconsistencyException";

    KVObjectException(std::string name, std::string reason);
    ~KVObjectException() override;

    const std::string& name() const { return name_; }
    virtual std::string reason() const { return reason_; }
    // "name: reason"
    const char* what() const noexcept override;

private:
    std::string name_;
    std::string reason_;
    mutable std::string what_;
};
