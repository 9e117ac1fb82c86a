// Finds the game bundle a run is asked for: a bundle folder, a zip file
// holding one (unpacked into the user's cache folder), or, with nothing
// given, the bundle the program itself lies in.
#pragma once

#include <optional>
#include <string>

class GameLocator {
public:
    // The bundle folder to open, or nothing with a one-line reason in *error.
    // executable is the program's own path (used when argument is empty).
    static std::optional<std::string> locate(const std::string& argument, const std::string& executable,
                                             std::string* error);

    // The zip's contents unpacked into a fresh folder under the cache
    // folder; answers the bundle found at its top level.
    static std::optional<std::string> extractZip(const std::string& zipPath, std::string* error);

    // The nearest folder around path named "*.app" with Contents/Info.plist.
    static std::optional<std::string> enclosingBundle(const std::string& path);

    // The running program's path.
    static std::string executablePath();
};
