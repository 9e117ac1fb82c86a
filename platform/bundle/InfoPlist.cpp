#include "platform/bundle/InfoPlist.h"

#include <plist/plist.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

std::optional<InfoPlist> InfoPlist::load(const std::string& path, std::string* error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = "cannot read " + path;
        return std::nullopt;
    }
    std::string data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (data.compare(0, 3, "\xEF\xBB\xBF") == 0)
        data.erase(0, 3);

    plist_t root = nullptr;
    plist_from_memory(data.data(), static_cast<uint32_t>(data.size()), &root);
    std::unique_ptr<void, void (*)(plist_t)> guard(root, plist_free);
    if (!root || plist_get_node_type(root) != PLIST_DICT) {
        *error = path + " is not a property list dictionary";
        return std::nullopt;
    }

    InfoPlist info;
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(root, &it);
    for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(root, it, &key, &value);
        if (!key)
            break;
        if (plist_get_node_type(value) == PLIST_STRING) {
            char* text = nullptr;
            plist_get_string_val(value, &text);
            if (text)
                info.strings_[key] = text;
            std::free(text);
        } else if (plist_get_node_type(value) == PLIST_BOOLEAN) {
            uint8_t flag = 0;
            plist_get_bool_val(value, &flag);
            info.booleans_[key] = flag != 0;
        }
        std::free(key);
    }
    std::free(it);
    return info;
}

std::optional<std::string> InfoPlist::string(const std::string& key) const
{
    auto it = strings_.find(key);
    if (it == strings_.end())
        return std::nullopt;
    return it->second;
}

bool InfoPlist::boolean(const std::string& key, bool fallback) const
{
    auto it = booleans_.find(key);
    return it == booleans_.end() ? fallback : it->second;
}
