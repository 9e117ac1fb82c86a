#include "player/common/KVKeyNames.h"

namespace {

struct ModifierName {
    uint64_t mask;
    const char* name;
};

const ModifierName kModifiers[] = {
    {KVCapsLockModifierMask, "caps lock"},
    {KVShiftModifierMask | KVRightShiftModifierKeyMask, "right shift"},
    {KVShiftModifierMask | KVLeftShiftModifierKeyMask, "left shift"},
    {KVControlModifierMask, "ctrl"},
    {KVAlternateModifierMask, "alt"},
    {KVCommandModifierMask, "cmd"},
};

std::string utf8(uint32_t c)
{
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        // A lone surrogate unit has no UTF-8 form of its own.
        if (c >= 0xD800 && c <= 0xDFFF)
            c = 0xFFFD;
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

}  // namespace

std::string KVKeyNames::nameForCharacter(uint32_t c)
{
    switch (c) {
    case 0: return "";
    case 9: return "tab";
    case 10:
    case 13: return "return";
    case 27: return "esc";
    case 32: return "space";
    case 127: return "delete";
    case KVUpArrowFunctionKey: return "up";
    case KVDownArrowFunctionKey: return "down";
    case KVLeftArrowFunctionKey: return "left";
    case KVRightArrowFunctionKey: return "right";
    case KVDeleteFunctionKey: return "delete";
    default: return utf8(c & 0xFFFF);
    }
}

std::vector<KVKeyNames::Transition> KVKeyNames::modifierTransitions(uint64_t previous, uint64_t current)
{
    std::vector<Transition> result;
    for (const ModifierName& m : kModifiers) {
        const bool downNow = (current & m.mask) == m.mask;
        const bool downBefore = (previous & m.mask) == m.mask;
        if (downNow && !downBefore)
            result.push_back({KVKeyDownFunction, m.name});
        else if (downBefore && !downNow)
            result.push_back({KVKeyUpFunction, m.name});
    }
    return result;
}

std::vector<uint32_t> KVKeyNames::typedCharacters(const std::string& text)
{
    std::vector<uint32_t> result;
    const auto* s = reinterpret_cast<const unsigned char*>(text.c_str());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        uint32_t c;
        size_t more;
        if (s[i] < 0x80) {
            c = s[i];
            more = 0;
        } else if ((s[i] & 0xE0) == 0xC0) {
            c = s[i] & 0x1F;
            more = 1;
        } else if ((s[i] & 0xF0) == 0xE0) {
            c = s[i] & 0x0F;
            more = 2;
        } else if ((s[i] & 0xF8) == 0xF0) {
            c = s[i] & 0x07;
            more = 3;
        } else {
            break;
        }
        bool broken = false;
        for (size_t k = 1; k <= more; ++k) {
            if (i + k >= n || (s[i + k] & 0xC0) != 0x80) {
                broken = true;
                break;
            }
            c = (c << 6) | (s[i + k] & 0x3F);
        }
        if (broken)
            break;
        result.push_back(c > 0xFFFF ? 0xD800 + ((c - 0x10000) >> 10) : c);
        i += more + 1;
    }
    return result;
}
