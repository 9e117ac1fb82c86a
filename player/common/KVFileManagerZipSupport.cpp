#include "player/common/KVFileManagerZipSupport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/process/KVProcess.h"

namespace {

std::string absolutePath(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    char* cwd = getcwd(nullptr, 0);
    if (!cwd)
        return path;
    std::string result = std::string(cwd) + "/" + path;
    std::free(cwd);
    return result;
}

void fail(KVFileError* error, int code, const std::string& reason)
{
    if (error)
        *error = KVFileError{KVFileManagerZipSupport::CocoaErrorDomain, code, reason};
}

// A private folder holding a symbolic link to the archive under a plain
// name: unzip reads wildcards in the archive's name (so "a[1].zip" could
// open "a1.zip") and appends ".zip" to names it cannot find.
class PlainArchiveName {
public:
    explicit PlainArchiveName(const std::string& archive)
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kvunzip.XXXXXX";
        if (!mkdtemp(pattern.data())) {
            reason_ = "cannot make a temporary folder: " + std::string(std::strerror(errno));
            return;
        }
        folder_ = pattern;
        const std::string link = folder_ + "/archive.zip";
        if (symlink(absolutePath(archive).c_str(), link.c_str()) != 0) {
            reason_ = "cannot link the archive: " + std::string(std::strerror(errno));
            return;
        }
        path_ = link;
    }
    ~PlainArchiveName()
    {
        if (!path_.empty())
            unlink(path_.c_str());
        if (!folder_.empty())
            rmdir(folder_.c_str());
    }
    PlainArchiveName(const PlainArchiveName&) = delete;
    PlainArchiveName& operator=(const PlainArchiveName&) = delete;

    const std::string& path() const { return path_; }  // empty on failure
    const std::string& reason() const { return reason_; }

private:
    std::string folder_;
    std::string path_;
    std::string reason_;
};

}  // namespace

bool KVFileManagerZipSupport::createDirectoryIfNotExists(const std::string& path)
{
    struct stat info;
    if (path.empty() || lstat(path.c_str(), &info) == 0)
        return false;
    return mkdir(path.c_str(), 0777) == 0;
}

bool KVFileManagerZipSupport::zipItemAtPath(const std::string& source, const std::string& destination,
                                            KVFileError* error)
{
    std::string item = source;
    while (item.size() > 1 && item.back() == '/')
        item.pop_back();
    const size_t slash = item.rfind('/');
    const std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : item.substr(0, slash);
    std::string name = slash == std::string::npos ? item : item.substr(slash + 1);
    if (name.empty() || name == "." || name == ".." || destination.empty()) {
        fail(error, FileWriteUnknownError, "cannot zip \"" + source + "\" into \"" + destination + "\"");
        return true;
    }
    // zip would read a leading dash as an option; it drops the "./" again.
    if (name[0] == '-')
        name = "./" + name;
    KVProcess::Options options;
    options.workingDirectory = parent;
    std::string reason;
    // -nw: names are names, never zip's own wildcard patterns.
    const int status =
        KVProcess::run({ZipTool, "-y", "-r", "-nw", absolutePath(destination), name}, options, &reason);
    if (status != 0)
        fail(error, FileWriteUnknownError,
             "zip of \"" + source + "\" failed: " + (status < 0 ? reason : "exit status " + std::to_string(status)));
    return true;
}

bool KVFileManagerZipSupport::unzipItemAtPath(const std::string& archive, const std::string& directory,
                                              KVFileError* error)
{
    // unzip would take an empty folder name as the working directory.
    if (directory.empty()) {
        fail(error, FileReadCorruptFileError, "unzip of \"" + archive + "\" refused: no target folder");
        return true;
    }
    const PlainArchiveName plain(archive);
    if (plain.path().empty()) {
        fail(error, FileReadCorruptFileError, "unzip of \"" + archive + "\" failed: " + plain.reason());
        return true;
    }
    std::string reason;
    const int status = KVProcess::run({UnzipTool, plain.path(), "-d", directory}, KVProcess::Options{}, &reason);
    if (status != 0)
        fail(error, FileReadCorruptFileError,
             "unzip of \"" + archive + "\" failed: " + (status < 0 ? reason : "exit status " + std::to_string(status)));
    return true;
}
