// Fuzz target for zipped games: the archive is unpacked as the player unpacks
// a Game.zip given on the command line, and the bundle found in it is opened.
// Nothing may be written outside the unpack folder, nothing may be a
// symbolic link, and a refusal must say why.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "player/common/GameBundle.h"
#include "player/common/GameLocator.h"

namespace fs = std::filesystem;

namespace {

const fs::path& root()
{
    static const fs::path path = [] {
        fs::path p = fs::temp_directory_path() / ("zip_game_fuzz." + std::to_string(getpid()));
        fs::create_directories(p / "in");
        fs::create_directories(p / "cache");
        setenv("XDG_CACHE_HOME", (p / "cache").c_str(), 1);
        return p;
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fs::path zip = root() / "in" / "game.zip";
    if (FILE* file = std::fopen(zip.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    } else {
        std::abort();
    }
    std::string error;
    const auto bundle = GameLocator::extractZip(zip.string(), &error);
    if (!bundle && error.empty())
        std::abort();
    if (bundle) {
        std::string why;
        if (!GameBundle::open(*bundle, &why) && why.empty())
            std::abort();
    }

    // Nothing lands beside the unpack folder, and everything in it is a
    // plain file or folder.
    const fs::path unpacked = root() / "cache" / "kelvane-player";
    std::error_code ec;
    for (const fs::path& folder : {root(), root() / "cache", unpacked})
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            const std::string name = entry.path().filename().string();
            if (name != "in" && name != "cache" && name != "kelvane-player" && name != "game")
                std::abort();
        }
    for (auto it = fs::recursive_directory_iterator(unpacked, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->is_symlink() || !(it->is_regular_file() || it->is_directory()))
            std::abort();
    }
    fs::remove_all(unpacked, ec);
    return 0;
}
