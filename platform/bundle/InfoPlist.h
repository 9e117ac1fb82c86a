// The keys of a bundle's Info.plist (XML or binary).
#pragma once

#include <map>
#include <optional>
#include <string>

class InfoPlist {
public:
    // Reads the file; on failure answers nothing and sets *error to a
    // one-line reason.
    static std::optional<InfoPlist> load(const std::string& path, std::string* error);

    // The value of a string key, if the key holds a string.
    std::optional<std::string> string(const std::string& key) const;
    // The value of a boolean key; a missing key or another type gives fallback.
    bool boolean(const std::string& key, bool fallback) const;

private:
    std::map<std::string, std::string> strings_;
    std::map<std::string, bool> booleans_;
};
