#include "engine/pgf/PGFOutputFile.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "platform/files/KVFileLookup.h"

namespace {
std::atomic<unsigned> tempCounter{0};
}

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
