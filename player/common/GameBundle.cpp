#include "player/common/GameBundle.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "platform/files/KVFileLookup.h"

namespace {

bool isFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The first folder ending in ".gameproj" (in any case, as the Mac's disk
// took it), by name.
std::string findProject(const std::string& resources)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(resources.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            const std::string suffix = ".gameproj";
            if (name.size() > suffix.size() &&
                KVFileLookup::foldedName(name.substr(name.size() - suffix.size())) == suffix &&
                isFolder(resources + "/" + name))
                names.push_back(name);
        }
        closedir(dir);
    }
    if (names.empty())
        return {};
    return resources + "/" + *std::min_element(names.begin(), names.end());
}

}  // namespace

std::optional<GameBundle> GameBundle::open(const std::string& path, std::string* error)
{
    GameBundle bundle;
    bundle.path_ = path;
    while (bundle.path_.size() > 1 && bundle.path_.back() == '/')
        bundle.path_.pop_back();
    if (!isFolder(bundle.path_)) {
        *error = bundle.path_ + ": no such game bundle";
        return std::nullopt;
    }
    KVFileLookup& lookup = KVFileLookup::shared();
    const std::string contents = lookup.find(bundle.path_ + "/Contents");
    const std::string plist = lookup.find(contents + "/Info.plist");
    if (!isFile(plist)) {
        *error = plist + ": missing (not a game bundle)";
        return std::nullopt;
    }
    auto info = InfoPlist::load(plist, error);
    if (!info)
        return std::nullopt;
    bundle.info_ = *info;
    bundle.resources_ = lookup.find(contents + "/Resources");
    bundle.engine_ = lookup.find(bundle.resources_ + "/engine64.luo");
    if (!isFile(bundle.engine_)) {
        *error = bundle.engine_ + ": engine script missing";
        return std::nullopt;
    }
    bundle.project_ = findProject(bundle.resources_);
    if (bundle.project_.empty()) {
        *error = bundle.resources_ + ": no *.gameproj folder";
        return std::nullopt;
    }
    return bundle;
}

std::string GameBundle::name() const
{
    std::string name = info_.string("CFBundleName").value_or("");
    if (name.empty()) {
        name = path_.substr(path_.find_last_of('/') + 1);
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".app") == 0)
            name.resize(name.size() - 4);
    }
    std::replace(name.begin(), name.end(), '/', '_');
    if (name.empty() || name == "." || name == "..")
        name = "Game";
    return name;
}
