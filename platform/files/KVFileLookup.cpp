#include "platform/files/KVFileLookup.h"

#include <dirent.h>
#include <sys/stat.h>
#include <time.h>
#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>

#include <algorithm>

#include "platform/objects/KVLogLine.h"
#include "platform/text/KVUnicode.h"

namespace {

// More folders than a game has; past it the cache starts afresh.
constexpr size_t kMaxListings = 512;

std::vector<std::string> splitComponents(const std::string& path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t slash = path.find('/', start);
        const size_t end = slash == std::string::npos ? path.size() : slash;
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return parts;
}

std::string join(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool exists(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

bool sameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

std::u16string normalized(const UNormalizer2* form, const std::u16string& text, UErrorCode* status)
{
    std::u16string out(text.size() * 3 + 8, u'\0');
    const int32_t length = unorm2_normalize(form, text.data(), static_cast<int32_t>(text.size()), out.data(),
                                            static_cast<int32_t>(out.size()), status);
    out.resize(U_SUCCESS(*status) ? static_cast<size_t>(length) : 0);
    return out;
}

}  // namespace

KVFileLookup& KVFileLookup::shared()
{
    static KVFileLookup lookup;
    return lookup;
}

std::string KVFileLookup::foldedName(const std::string& name)
{
    // Names that are not UTF-8 match only byte for byte: their key holds
    // a byte no UTF-8 text has.
    const std::string raw = "\xff" + name;
    std::u16string text;
    if (!KVUTF8ToUTF16(name, text))
        return raw;

    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfd = unorm2_getNFDInstance(&status);
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    if (U_FAILURE(status))
        return raw;
    // Decomposed first, so that a folded base letter keeps its marks; the
    // fold may leave marks out of order, which NFC puts right.
    const std::u16string decomposed = normalized(nfd, text, &status);
    std::u16string folded;
    for (size_t i = 0; i < decomposed.size();) {
        UChar32 c;
        U16_NEXT(decomposed.data(), i, decomposed.size(), c);
        c = u_foldCase(c, U_FOLD_CASE_DEFAULT);
        if (U_IS_BMP(c)) {
            folded.push_back(static_cast<char16_t>(c));
        } else {
            folded.push_back(U16_LEAD(c));
            folded.push_back(U16_TRAIL(c));
        }
    }
    const std::u16string key = normalized(nfc, folded, &status);
    return U_SUCCESS(status) ? KVUTF16ToUTF8(key) : raw;
}

std::string KVFileLookup::matchInFolder(const std::string& folder, const std::string& name)
{
    const std::string where = folder.empty() ? "." : folder;
    struct stat info;
    if (stat(where.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return {};

    std::lock_guard<std::mutex> hold(mutex_);
    auto it = listings_.find(where);
    // A folder changed within a second of its listing may have changed
    // again within the same tick of its clock: such a listing is taken
    // anew rather than trusted.
    const bool fresh = it != listings_.end() && sameTime(it->second.modified, info.st_mtim) &&
                       it->second.listedAt.tv_sec > info.st_mtim.tv_sec + 1;
    if (!fresh) {
        DIR* dir = opendir(where.c_str());
        if (!dir)
            return {};
        if (listings_.size() >= kMaxListings)
            listings_.clear();
        Listing listing;
        listing.modified = info.st_mtim;
        clock_gettime(CLOCK_REALTIME, &listing.listedAt);
        while (const dirent* entry = readdir(dir)) {
            const std::string entryName = entry->d_name;
            if (entryName != "." && entryName != "..")
                listing.entries[foldedName(entryName)].push_back(entryName);
        }
        closedir(dir);
        for (auto& [key, names] : listing.entries)
            std::sort(names.begin(), names.end());
        it = listings_.insert_or_assign(where, std::move(listing)).first;
    }

    const std::string key = foldedName(name);
    auto match = it->second.entries.find(key);
    if (match == it->second.entries.end())
        return {};
    const std::vector<std::string>& names = match->second;
    if (names.size() > 1 && reported_.insert(join(where, key)).second) {
        std::string all;
        for (const std::string& n : names)
            all += (all.empty() ? "" : ", ") + n;
        KVLogLine("%s: \"%s\" matches %zu entries differing only in case or normalisation (%s); using %s",
                  where.c_str(), name.c_str(), names.size(), all.c_str(), names.front().c_str());
    }
    return names.front();
}

std::string KVFileLookup::resolve(const std::string& path, bool keepLastAsWritten)
{
    const std::vector<std::string> parts = splitComponents(path);
    std::string current = !path.empty() && path[0] == '/' ? "/" : "";
    const size_t resolvedCount = keepLastAsWritten && !parts.empty() ? parts.size() - 1 : parts.size();
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        const std::string asWritten = join(current, part);
        if (i >= resolvedCount || part == "." || part == ".." || exists(asWritten)) {
            current = asWritten;
            continue;
        }
        const std::string match = matchInFolder(current, part);
        if (match.empty())
            return {};
        current = join(current, match);
    }
    return current;
}

std::string KVFileLookup::find(const std::string& path)
{
    if (path.empty() || exists(path))
        return path;
    const std::string found = resolve(path, false);
    return found.empty() ? path : found;
}

std::string KVFileLookup::findForWriting(const std::string& path)
{
    if (path.empty() || exists(path))
        return path;
    const std::string found = resolve(path, false);
    if (!found.empty())
        return found;
    // A new file: its name as given, in its folder as found.
    const std::string folder = resolve(path, true);
    return folder.empty() ? path : folder;
}
