// A file written under a private name beside its final one, which it takes
// only when complete: whatever stood at the final name stays until then, and
// an unfinished file is removed.
#pragma once

#include <memory>
#include <string>

class KVReplacingFile {
public:
    // Null, with a one-line reason naming the file, when the private file
    // cannot be made beside `path`.
    static std::unique_ptr<KVReplacingFile> create(const std::string& path, std::string* error);
    ~KVReplacingFile();
    KVReplacingFile(const KVReplacingFile&) = delete;
    KVReplacingFile& operator=(const KVReplacingFile&) = delete;

    const std::string& path() const { return path_; }
    const std::string& temporaryPath() const { return temporary_; }
    // Open for writing until commit.
    int descriptor() const { return fd_; }
    // Writes all of `bytes`; false with *error set (the file named) when it cannot.
    bool write(const std::string& bytes, std::string* error);
    // Flushes the private file to disk and gives it the final name.
    bool commit(std::string* error);

private:
    KVReplacingFile() = default;

    std::string path_;
    std::string temporary_;
    int fd_ = -1;
    bool committed_ = false;
};
