#include "platform/objects/KVMethodSignature.h"

#include <cctype>
#include <cstring>

#include "platform/objects/KVObjectException.h"

namespace {

[[noreturn]] void malformed(const std::string& encoding)
{
    throw KVObjectException(KVObjectException::InvalidArgument,
                            "malformed type encoding \"" + encoding + "\"");
}

// Returns the index just past the type starting at pos.
size_t skipType(const std::string& s, size_t pos)
{
    if (pos >= s.size())
        malformed(s);
    char c = s[pos];
    if (c == '^')
        return skipType(s, pos + 1);
    const char* open = "{([";
    const char* close = "})]";
    const char* which = std::strchr(open, c);
    if (which && c != '\0') {
        char closer = close[which - open];
        int depth = 0;
        for (size_t i = pos; i < s.size(); ++i) {
            if (std::strchr(open, s[i]) && s[i] != '\0')
                ++depth;
            else if (std::strchr(close, s[i]) && s[i] != '\0') {
                --depth;
                if (depth == 0) {
                    if (s[i] != closer)
                        malformed(s);
                    return i + 1;
                }
            }
        }
        malformed(s);
    }
    return pos + 1;
}

size_t skipNoise(const std::string& s, size_t pos)
{
    // Offsets and the qualifiers const, in, inout, out, bycopy, byref, oneway.
    while (pos < s.size() && (std::isdigit(static_cast<unsigned char>(s[pos])) ||
                              std::strchr("rnNoORV", s[pos])))
        ++pos;
    return pos;
}

}  // namespace

KVMethodSignature::KVMethodSignature(const std::string& typeEncoding) : encoding_(typeEncoding)
{
    std::vector<std::string> types;
    size_t pos = skipNoise(typeEncoding, 0);
    while (pos < typeEncoding.size()) {
        size_t end = skipType(typeEncoding, pos);
        types.push_back(typeEncoding.substr(pos, end - pos));
        pos = skipNoise(typeEncoding, end);
    }
    if (types.size() < 3 || (types[1] != "@" && types[1] != "#") || types[2] != ":")
        malformed(typeEncoding);
    returnType_ = types[0];
    argumentTypes_.assign(types.begin() + 1, types.end());
}

const std::string& KVMethodSignature::argumentType(size_t index) const
{
    if (index >= argumentTypes_.size())
        throw KVObjectException(KVObjectException::Range,
                                "argument index " + std::to_string(index) + " beyond " +
                                    std::to_string(argumentTypes_.size()) + " arguments");
    return argumentTypes_[index];
}

bool KVMethodSignature::typeMatches(const std::string& a, const std::string& b)
{
    return !a.empty() && !b.empty() && a[0] == b[0];
}
