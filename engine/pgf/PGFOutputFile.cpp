#include "engine/pgf/PGFOutputFile.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "platform/files/KVFileLookup.h"

namespace {

std::atomic<unsigned> tempCounter{0};

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

}  // namespace

PGFOutputFile::~PGFOutputFile()
{
    discard();
}

bool PGFOutputFile::open(const char* path)
{
    discard();
    // Resolved now: the rename at commit must not depend on where the
    // working folder is by then.
    path_ = KVFileLookup::shared().findForWriting(path);
    if (path_.empty() || path_[0] != '/') {
        char folder[4096];
        if (getcwd(folder, sizeof folder))
            path_ = std::string(folder) + "/" + path_;
    }
    targetExisted_ = stat(path_.c_str(), &target_) == 0;
    int fd = -1;
    int error = 0;
    // O_EXCL with a fresh name per attempt: never write through someone
    // else's file or a planted symlink. Mode 0666 lets the umask decide.
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        tempPath_ = path_ + ".tmp." + std::to_string(getpid()) + "." + std::to_string(tempCounter++);
        fd = ::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        error = errno;
        if (fd < 0 && error != EEXIST)
            break;
    }
    if (fd < 0) {
        fprintf(stderr, "pgf: cannot open \"%s\" for writing: %s\n", path, strerror(error));
        tempPath_.clear();
        return false;
    }
    stream_ = fdopen(fd, "wb");
    if (!stream_) {
        error = errno;
        ::close(fd);
        unlink(tempPath_.c_str());
        tempPath_.clear();
        fprintf(stderr, "pgf: cannot open \"%s\" for writing: %s\n", path, strerror(error));
        return false;
    }
    return true;
}

bool PGFOutputFile::commit()
{
    if (!stream_)
        return false;
    bool writeFailed = ferror(stream_) != 0;
    int error = writeFailed ? EIO : 0;
    if (fflush(stream_) != 0 || fsync(fileno(stream_)) != 0) {
        writeFailed = true;
        error = errno;
    }
    if (fclose(stream_) != 0 && !writeFailed) {
        writeFailed = true;
        error = errno;
    }
    stream_ = nullptr;
    if (!writeFailed && rename(tempPath_.c_str(), path_.c_str()) != 0) {
        writeFailed = true;
        error = errno;
    }
    if (writeFailed) {
        fprintf(stderr, "pgf: cannot write \"%s\": %s\n", path_.c_str(), strerror(error));
        unlink(tempPath_.c_str());
    }
    tempPath_.clear();
    return !writeFailed;
}

bool PGFOutputFile::commitUnlessReplaced()
{
    if (!stream_)
        return false;
    struct stat now {};
    const bool exists = stat(path_.c_str(), &now) == 0;
    if (exists == targetExisted_ && (!exists || sameFile(now, target_)))
        return commit();
    // An older document must not replace a newer one; nor is it lost.
    const bool written = fflush(stream_) == 0 && ferror(stream_) == 0;
    fclose(stream_);
    stream_ = nullptr;
    fprintf(stderr, "pgf: \"%s\" was replaced after an unclosed writer opened it; %s\n", path_.c_str(),
            written ? ("that writer's text is kept in \"" + tempPath_ + "\"").c_str()
                    : "that writer's text could not be written");
    if (!written)
        unlink(tempPath_.c_str());
    tempPath_.clear();
    return false;
}

void PGFOutputFile::discard()
{
    if (stream_) {
        fclose(stream_);
        stream_ = nullptr;
    }
    if (!tempPath_.empty()) {
        unlink(tempPath_.c_str());
        tempPath_.clear();
    }
}
