// A game bundle written by a test, laid out as the player expects one.
#pragma once

#include <string>

// Writes `folder`/Name.app: an Info.plist naming the game (`plistEntries`,
// e.g. "<key>KVOverscan</key><true/>", go into its dictionary), the engine
// script and an empty Name.gameproj. Answers the bundle's path; the
// resources are under bundleResources(path).
std::string writeBundle(const std::string& folder, const std::string& name, const std::string& script,
                        const std::string& plistEntries = "");

inline std::string bundleResources(const std::string& bundle)
{
    return bundle + "/Contents/Resources";
}
