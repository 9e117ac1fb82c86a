#include "platform/paths/XdgPaths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

std::string home()
{
    if (const char* value = std::getenv("HOME"); value && *value)
        return value;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/tmp";
}

// The variable when it holds an absolute path (relative ones are to be
// ignored), else the fallback below home.
std::string baseFolder(const char* variable, const char* fallback)
{
    if (const char* value = std::getenv(variable); value && value[0] == '/')
        return value;
    return home() + "/" + fallback;
}

}  // namespace

namespace XdgPaths {

std::string dataHome() { return baseFolder("XDG_DATA_HOME", ".local/share"); }
std::string cacheHome() { return baseFolder("XDG_CACHE_HOME", ".cache"); }
std::string configHome() { return baseFolder("XDG_CONFIG_HOME", ".config"); }

bool makeFolders(const std::string& path, std::string* error)
{
    for (size_t at = 1; at <= path.size(); ++at) {
        if (at != path.size() && path[at] != '/')
            continue;
        const std::string folder = path.substr(0, at);
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            *error = "cannot create " + folder + ": " + std::strerror(errno);
            return false;
        }
    }
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        *error = path + " is not a folder";
        return false;
    }
    return true;
}

}  // namespace XdgPaths
