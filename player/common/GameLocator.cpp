#include "player/common/GameLocator.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <vector>

#include "engine/host/KVEngine.h"
#include "platform/paths/XdgPaths.h"

namespace fs = std::filesystem;

namespace {

bool endsWithNoCase(const std::string& text, const std::string& suffix)
{
    if (text.size() < suffix.size())
        return false;
    return std::equal(suffix.rbegin(), suffix.rend(), text.rbegin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

bool isBundle(const fs::path& path)
{
    std::error_code ec;
    return fs::is_regular_file(path / "Contents" / "Info.plist", ec);
}

// Restores the working folder however the extraction ends.
class WorkingFolder {
public:
    explicit WorkingFolder(const fs::path& folder)
    {
        std::error_code ec;
        previous_ = fs::current_path(ec);
        fs::current_path(folder, ec);
        ok_ = !ec;
    }
    ~WorkingFolder()
    {
        std::error_code ec;
        if (!previous_.empty())
            fs::current_path(previous_, ec);
    }
    bool ok() const { return ok_; }

private:
    fs::path previous_;
    bool ok_ = false;
};

}  // namespace

std::string GameLocator::executablePath()
{
    std::error_code ec;
    const fs::path path = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

std::optional<std::string> GameLocator::enclosingBundle(const std::string& path)
{
    if (path.empty())
        return std::nullopt;
    for (fs::path p = fs::path(path).parent_path(); !p.empty() && p != p.root_path(); p = p.parent_path()) {
        if (endsWithNoCase(p.filename().string(), ".app") && isBundle(p))
            return p.string();
    }
    return std::nullopt;
}

std::optional<std::string> GameLocator::extractZip(const std::string& zipPath, std::string* error)
{
    std::error_code ec;
    const fs::path zip = fs::absolute(zipPath, ec);
    if (ec || !fs::is_regular_file(zip, ec)) {
        *error = zipPath + ": no such zip file";
        return std::nullopt;
    }
    const std::string stem = zip.stem().string().empty() ? "game" : zip.stem().string();
    const fs::path folder = fs::path(XdgPaths::cacheHome()) / "kelvane-player" / stem;
    // A fresh folder each time, so files left from an older zip never mix in.
    fs::remove_all(folder, ec);
    std::string why;
    if (!XdgPaths::makeFolders(folder.string(), &why)) {
        *error = zipPath + ": cannot unpack: " + why;
        return std::nullopt;
    }
    {
        // Entries are extracted relative to the working folder.
        WorkingFolder inside(folder);
        if (!inside.ok()) {
            *error = zipPath + ": cannot unpack into " + folder.string();
            return std::nullopt;
        }
        if (KV_ExtractGameAtPath(zip.c_str()) != 0) {
            *error = zipPath + ": cannot be unpacked completely";
            return std::nullopt;
        }
    }
    if (isBundle(folder))
        return folder.string();
    std::vector<fs::path> bundles;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (endsWithNoCase(entry.path().filename().string(), ".app") && isBundle(entry.path()))
            bundles.push_back(entry.path());
    if (bundles.empty()) {
        *error = zipPath + ": holds no game bundle (Name.app/Contents/Info.plist)";
        return std::nullopt;
    }
    return std::min_element(bundles.begin(), bundles.end())->string();
}

std::optional<std::string> GameLocator::locate(const std::string& argument, const std::string& executable,
                                               std::string* error)
{
    if (argument.empty()) {
        if (auto bundle = enclosingBundle(executable))
            return bundle;
        *error = "no game bundle given, and the program does not lie inside one";
        return std::nullopt;
    }
    std::error_code ec;
    if (endsWithNoCase(argument, ".zip") && fs::is_regular_file(argument, ec))
        return extractZip(argument, error);
    return argument;
}
