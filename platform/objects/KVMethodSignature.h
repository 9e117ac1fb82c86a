// The types of a method parsed from its type encoding: the return type, then
// the receiver ("@" or "#"), the selector (":") and the explicit arguments.
// "v@:@c" is a method returning nothing that takes an object and a BOOL.
// Offsets (digits) and type qualifiers are skipped; pointers ("^v"),
// structures ("{Point=ff}"), unions and arrays are kept as one type each.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The type codes the bridge converts; every other code is passed over.
namespace KVTypeCode {
constexpr char Object = '@';
constexpr char Class = '#';
constexpr char Int = 'i';
constexpr char UnsignedInt = 'I';
constexpr char Double = 'd';
constexpr char Float = 'f';
constexpr char Bool = 'c';
constexpr char Void = 'v';
constexpr char Pointer = '^';
}  // namespace KVTypeCode

class KVMethodSignature {
public:
    KVMethodSignature() = default;
    // Throws KVObjectException for an empty or malformed encoding, or one
    // without the receiver and selector.
    explicit KVMethodSignature(const std::string& typeEncoding);

    const std::string& typeEncoding() const { return encoding_; }
    const std::string& methodReturnType() const { return returnType_; }
    // Includes the receiver and the selector, as the platform counts them.
    size_t numberOfArguments() const { return argumentTypes_.size(); }
    const std::string& argumentType(size_t index) const;

    // Codes compare by their first character only.
    static bool typeMatches(const std::string& a, const std::string& b);

private:
    std::string encoding_;
    std::string returnType_;
    std::vector<std::string> argumentTypes_;
};
