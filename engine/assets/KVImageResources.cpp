#include "engine/assets/KVImageResources.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <mutex>

#include "platform/files/KVFileLookup.h"

namespace {

std::mutex foldersLock;
bool foldersSet = false;
std::vector<std::string> folders;

}  // namespace

std::vector<std::string> KVPlayerImageResourceFolders()
{
    char exe[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length <= 0)
        return {};
    std::string dir(exe, static_cast<size_t>(length));
    dir = dir.substr(0, dir.find_last_of('/'));
    return {dir + "/resources", dir + "/../share/kelvane-player"};
}

void KVSetImageResourceFolders(const std::vector<std::string>& newFolders)
{
    std::lock_guard<std::mutex> hold(foldersLock);
    folders = newFolders;
    foldersSet = true;
}

std::vector<std::string> KVImageResourceFolders()
{
    {
        std::lock_guard<std::mutex> hold(foldersLock);
        if (foldersSet)
            return folders;
    }
    return KVPlayerImageResourceFolders();
}

std::string KVFindImageResource(const std::string& fileName)
{
    if (fileName.empty() || fileName.find('/') != std::string::npos)
        return {};
    for (const std::string& folder : KVImageResourceFolders()) {
        if (folder.empty())
            continue;
        const std::string path = KVFileLookup::shared().find(folder + "/" + fileName);
        struct stat info;
        if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            return path;
    }
    return {};
}
