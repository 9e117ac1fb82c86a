// A sound file that cannot be opened or decoded. The message is one line:
// the file, then why.
#pragma once

#include <stdexcept>
#include <string>

class KVSoundLoadError : public std::runtime_error {
public:
    explicit KVSoundLoadError(const std::string& message) : std::runtime_error(message) {}
    KVSoundLoadError(const char* path, const std::string& reason) : std::runtime_error(std::string(path) + ": " + reason) {}
};
