// Folder creation, zipping and unzipping for the file manager, through the
// system's "/usr/bin/zip" and "/usr/bin/unzip" started with an argument
// vector (never through a shell).
#pragma once

#include <string>

// What a failed file operation reports: the platform's error domain and code.
struct KVFileError {
    std::string domain;
    int code = 0;
    std::string reason;  // one line for logs; not part of the platform's error
};

class KVFileManagerZipSupport {
public:
    static constexpr const char* ZipTool = "/usr/bin/zip";
    static constexpr const char* UnzipTool = "/usr/bin/unzip";
    static constexpr const char* CocoaErrorDomain = "NSCocoaErrorDomain";
    static constexpr int FileReadCorruptFileError = 259;
    static constexpr int FileWriteUnknownError = 512;

    // False when something already exists at the path; otherwise creates the
    // folder (not its parents) and answers whether that worked.
    static bool createDirectoryIfNotExists(const std::string& path);

    // Zips the file or folder (recursively, symbolic links kept as links)
    // into the archive, stored under its own name. Answers true even when
    // zip fails, as callers expect; the failure is then in *error (code
    // 512). A relative destination is taken from the caller's working
    // directory.
    static bool zipItemAtPath(const std::string& source, const std::string& destination, KVFileError* error);

    // Extracts the archive into the folder; files already there are kept.
    // Answers true even when unzip fails, as callers expect; the failure is
    // then in *error (code 259).
    static bool unzipItemAtPath(const std::string& archive, const std::string& directory, KVFileError* error);
};
