#include "platform/paths/KVReplacingFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

std::unique_ptr<KVReplacingFile> KVReplacingFile::create(const std::string& path, std::string* error)
{
    const size_t slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::unique_ptr<KVReplacingFile> file(new KVReplacingFile);
    file->path_ = path;
    file->temporary_ = dir + "/." + base + ".XXXXXX";
    file->fd_ = mkstemp(file->temporary_.data());
    if (file->fd_ < 0) {
        *error = path + ": cannot be written: " + std::strerror(errno);
        return nullptr;
    }
    fchmod(file->fd_, 0644);  // mkstemp makes it private; these are ordinary files
    return file;
}

KVReplacingFile::~KVReplacingFile()
{
    if (fd_ >= 0)
        close(fd_);
    if (!committed_)
        unlink(temporary_.c_str());
}

bool KVReplacingFile::write(const std::string& bytes, std::string* error)
{
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = fd_ < 0 ? -1 : ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *error = path_ + ": cannot be written: " + std::strerror(fd_ < 0 ? EBADF : errno);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool KVReplacingFile::commit(std::string* error)
{
    if (committed_)
        return true;
    const bool synced = fd_ >= 0 && (fsync(fd_) == 0 || errno == EINVAL);
    const int syncError = errno;
    const bool closed = fd_ >= 0 && close(fd_) == 0;
    fd_ = -1;
    if (!synced || !closed || std::rename(temporary_.c_str(), path_.c_str()) != 0) {
        *error = path_ + ": cannot be written: " + std::strerror(synced ? errno : syncError);
        return false;
    }
    committed_ = true;
    return true;
}
