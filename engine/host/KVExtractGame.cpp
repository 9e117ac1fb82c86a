// Extracting a zipped game into the current folder. The archive comes from
// outside, so every entry is checked before anything is written: nothing may
// land outside the current folder or go through a symbolic link.
#include "engine/host/KVEngine.h"

#include <fcntl.h>
#include <minizip/unzip.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint64_t kMaxExtractedBytes = 4ull << 30;  // a game larger than this is not plausible
constexpr unsigned kHostUnix = 3;

// Why an entry name is refused, or nullptr when it is safe.
const char* unsafeName(const std::string& name)
{
    if (name.empty())
        return "empty name";
    if (name[0] == '/')
        return "absolute path";
    if (name.find('\\') != std::string::npos)
        return "backslash in path";
    if (name.find(':') != std::string::npos && name.find(':') < name.find('/'))
        return "drive-letter path";
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos)
            end = name.size();
        if (name.compare(start, end - start, "..") == 0)
            return "'..' in path";
        start = end + 1;
    }
    return nullptr;
}

// Creates each folder of the relative path, refusing to pass through
// anything that is not a real folder (a symbolic link above all).
bool makeFolders(const std::string& path, size_t upTo)
{
    size_t at = 0;
    while ((at = path.find('/', at)) != std::string::npos && at < upTo) {
        const std::string folder = path.substr(0, at++);
        if (folder.empty() || folder == ".")
            continue;
        struct stat info;
        if (lstat(folder.c_str(), &info) == 0) {
            if (!S_ISDIR(info.st_mode)) {
                std::fprintf(stderr, "KV_ExtractGameAtPath: \"%s\" is not a folder; not extracting \"%s\"\n",
                             folder.c_str(), path.c_str());
                return false;
            }
        } else if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
            std::fprintf(stderr, "KV_ExtractGameAtPath: cannot create \"%s\": %s\n", folder.c_str(),
                         std::strerror(errno));
            return false;
        }
    }
    return true;
}

bool writeEntry(unzFile zip, const std::string& name, uint64_t* total)
{
    if (!makeFolders(name, name.size()))
        return false;
    if (unzOpenCurrentFile(zip) != UNZ_OK) {
        std::fprintf(stderr, "KV_ExtractGameAtPath: cannot read \"%s\"\n", name.c_str());
        return false;
    }
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::fprintf(stderr, "KV_ExtractGameAtPath: cannot write \"%s\": %s\n", name.c_str(), std::strerror(errno));
        unzCloseCurrentFile(zip);
        return false;
    }
    std::vector<char> buffer(1 << 16);
    bool ok = true;
    for (;;) {
        const int count = unzReadCurrentFile(zip, buffer.data(), static_cast<unsigned>(buffer.size()));
        if (count == 0)
            break;
        if (count < 0) {
            std::fprintf(stderr, "KV_ExtractGameAtPath: \"%s\" is corrupt in the archive\n", name.c_str());
            ok = false;
            break;
        }
        *total += static_cast<uint64_t>(count);
        if (*total > kMaxExtractedBytes) {
            std::fprintf(stderr, "KV_ExtractGameAtPath: the archive unpacks to more than %llu bytes; "
                         "stopped at \"%s\"\n", static_cast<unsigned long long>(kMaxExtractedBytes), name.c_str());
            ok = false;
            break;
        }
        if (write(fd, buffer.data(), static_cast<size_t>(count)) != count) {
            std::fprintf(stderr, "KV_ExtractGameAtPath: cannot write \"%s\": %s\n", name.c_str(),
                         std::strerror(errno));
            ok = false;
            break;
        }
    }
    close(fd);
    if (unzCloseCurrentFile(zip) == UNZ_CRCERROR) {
        std::fprintf(stderr, "KV_ExtractGameAtPath: \"%s\" fails its checksum\n", name.c_str());
        ok = false;
    }
    return ok;
}

}  // namespace

int KV_ExtractGameAtPath(const char* zipPath)
{
    unzFile zip = unzOpen(zipPath);
    if (!zip) {
        std::fprintf(stderr, "KV_ExtractGameAtPath: cannot open \"%s\" as a zip archive\n", zipPath);
        return UNZ_BADZIPFILE;
    }
    int failures = 0;
    uint64_t total = 0;
    int status = unzGoToFirstFile(zip);
    for (; status == UNZ_OK && total <= kMaxExtractedBytes; status = unzGoToNextFile(zip)) {
        unz_file_info info;
        if (unzGetCurrentFileInfo(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
            break;
        std::string name(info.size_filename, '\0');
        unzGetCurrentFileInfo(zip, &info, name.data(), static_cast<uLong>(name.size()), nullptr, 0, nullptr, 0);
        name.resize(std::strlen(name.c_str()));

        const char* refusal = unsafeName(name);
        if (!refusal && (info.flag & 1))
            refusal = "encrypted";
        if (!refusal && (info.version >> 8) == kHostUnix && S_ISLNK(info.external_fa >> 16))
            refusal = "symbolic link";
        if (refusal) {
            std::fprintf(stderr, "KV_ExtractGameAtPath: refusing \"%s\" in \"%s\": %s\n", name.c_str(), zipPath,
                         refusal);
            ++failures;
            continue;
        }
        if (name.back() == '/') {
            if (!makeFolders(name, name.size()))
                ++failures;
        } else if (!writeEntry(zip, name, &total)) {
            ++failures;
        }
    }
    if (status != UNZ_END_OF_LIST_OF_FILE) {
        std::fprintf(stderr, "KV_ExtractGameAtPath: \"%s\" is corrupt or too large\n", zipPath);
        ++failures;
    }
    unzClose(zip);
    return failures == 0 ? 0 : UNZ_BADZIPFILE;
}
