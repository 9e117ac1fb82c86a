// A file that appears under its final name only once it is complete: the
// text goes to a temporary file in the same folder, renamed over the target
// by commit(). A writer that fails half way never leaves a torn document.
#pragma once

#include <sys/stat.h>

#include <cstdio>
#include <string>

class PGFOutputFile {
public:
    PGFOutputFile() = default;
    PGFOutputFile(const PGFOutputFile&) = delete;
    PGFOutputFile& operator=(const PGFOutputFile&) = delete;
    // Removes the temporary file if it was never committed.
    ~PGFOutputFile();

    // Creates the temporary file next to `path`. On failure prints one line
    // naming the path and returns false.
    bool open(const char* path);
    FILE* stream() const { return stream_; }
    const std::string& path() const { return path_; }

    // Closes the stream and renames the temporary file to the target. When
    // a write failed or the rename fails, prints one line naming the path,
    // removes the temporary file and returns false.
    bool commit();
    // commit() for a writer the script let go without closing it: when the
    // target was replaced since open() (another writer finished it), the
    // newer file stays and this text is kept under the temporary name, with
    // one line naming both.
    bool commitUnlessReplaced();
    void discard();

private:
    std::string path_;
    std::string tempPath_;
    FILE* stream_ = nullptr;
    // The target as open() found it: whether it existed, and which file it was.
    bool targetExisted_ = false;
    struct stat target_ {};
};
