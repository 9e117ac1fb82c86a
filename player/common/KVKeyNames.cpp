#include "player/common/KVKeyNames.h"

#include "platform/text/KVUnicode.h"

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
    default: {
        std::string name;
        KVAppendUTF8(name, c & 0xFFFF);
        return name;
    }
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
    const auto* at = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = at + text.size();
    while (at < end) {
        const int c = KVNextCodePoint(at, end);
        if (c < 0)
            break;
        result.push_back(c > 0xFFFF ? 0xD800 + ((c - 0x10000) >> 10) : static_cast<uint32_t>(c));
    }
    return result;
}
