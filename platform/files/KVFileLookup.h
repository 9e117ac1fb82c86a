// Finds the files a game names as the Mac's file system found them: games
// were made on a disk that ignores letter case and Unicode normalisation,
// so "Images/Hero.PNG" must find "images/hero.png", and a composed "é" a
// name stored decomposed. Every opener of a game's files asks here first.
#pragma once

#include <time.h>

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

class KVFileLookup {
public:
    // The one lookup of the process (its cache follows the file system,
    // which is the process's too). Safe from any thread.
    static KVFileLookup& shared();

    // The path of the existing file or folder `path` names: the path itself
    // when it exists as written, otherwise each component matched against
    // its folder's entries ignoring case (simple case folding) and
    // normalisation (NFC equals NFD). When nothing matches, `path`
    // unchanged, so the caller's open fails and names what was asked for.
    std::string find(const std::string& path);

    // Where to write what the caller names `path`: its folder found as
    // find() finds it, then the existing entry whose name differs only in
    // case or normalisation (so a save replaces it rather than adding a
    // second file the next load could confuse with it), else the name as
    // given.
    std::string findForWriting(const std::string& path);

    // Comparison key of a name: equal for names the Mac took as the same.
    static std::string foldedName(const std::string& name);

private:
    struct Listing {
        struct timespec modified {};
        struct timespec listedAt {};
        // Folded key -> entry names, sorted byte-wise.
        std::map<std::string, std::vector<std::string>> entries;
    };

    // The entry of `folder` matching `name` ignoring case and
    // normalisation; empty when none does.
    std::string matchInFolder(const std::string& folder, const std::string& name);
    // The path with each component found, or "" when one is missing; the
    // last one is taken as written when asked.
    std::string resolve(const std::string& path, bool keepLastAsWritten);

    std::mutex mutex_;
    std::map<std::string, Listing> listings_;
    std::set<std::string> reported_;
};
