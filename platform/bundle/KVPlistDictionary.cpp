#include "platform/bundle/KVPlistDictionary.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// libplist asserts when it hands out a key or a string that holds a NUL
// character (a damaged binary list, or "&#0;" in the text form); its text
// form shows any such character as a raw NUL.
bool holdsNul(plist_t root)
{
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root, &xml, &length);
    const bool nul = xml && std::memchr(xml, 0, length) != nullptr;
    plist_to_xml_free(xml);
    return nul;
}

}  // namespace

bool KVForEachPlistEntry(const std::string& data, const std::function<void(const char* key, plist_t value)>& entry)
{
    plist_t root = nullptr;
    plist_from_memory(data.data(), static_cast<uint32_t>(data.size()), &root);
    std::unique_ptr<void, void (*)(plist_t)> guard(root, plist_free);
    if (!root || plist_get_node_type(root) != PLIST_DICT || holdsNul(root))
        return false;
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(root, &it);
    for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(root, it, &key, &value);
        if (!key)
            break;
        entry(key, value);
        std::free(key);
    }
    std::free(it);
    return true;
}
