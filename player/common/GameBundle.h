// A published game: Name.app/Contents/{Info.plist, Resources/} with the
// engine script and the game project folder in Resources.
#pragma once

#include <optional>
#include <string>

#include "platform/bundle/InfoPlist.h"

class GameBundle {
public:
    // Opens the bundle folder; on failure answers nothing and sets *error to
    // one line naming the path and what is missing.
    static std::optional<GameBundle> open(const std::string& path, std::string* error);

    const std::string& path() const { return path_; }
    const std::string& resourcesPath() const { return resources_; }
    const std::string& enginePath() const { return engine_; }
    const std::string& projectPath() const { return project_; }
    const InfoPlist& info() const { return info_; }

    // CFBundleName, else the folder's name without ".app"; made safe to use
    // as a single folder name.
    std::string name() const;

private:
    std::string path_;
    std::string resources_;
    std::string engine_;
    std::string project_;
    InfoPlist info_;
};
