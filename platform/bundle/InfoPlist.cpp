#include "platform/bundle/InfoPlist.h"

#include <plist/plist.h>

#include "platform/bundle/KVPlistDictionary.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

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

    InfoPlist info;
    const bool isDictionary = KVForEachPlistEntry(data, [&info](const char* key, plist_t value) {
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
    });
    if (!isDictionary) {
        *error = path + " is not a property list dictionary";
        return std::nullopt;
    }
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
