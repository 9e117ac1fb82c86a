// The user's folders as the XDG base directory rules name them.
#pragma once

#include <string>

namespace XdgPaths {

// $XDG_DATA_HOME, else ~/.local/share (saved games live here).
std::string dataHome();
// $XDG_CACHE_HOME, else ~/.cache (unpacked zipped games live here).
std::string cacheHome();
// $XDG_CONFIG_HOME, else ~/.config (controller mappings live here).
std::string configHome();

// Creates the folder and its parents; false with *error set on failure.
bool makeFolders(const std::string& path, std::string* error);

}  // namespace XdgPaths
