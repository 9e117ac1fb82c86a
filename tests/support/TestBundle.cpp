#include "tests/support/TestBundle.h"

#include <filesystem>

#include "tests/support/TempDir.h"

std::string writeBundle(const std::string& folder, const std::string& name, const std::string& script,
                        const std::string& plistEntries)
{
    const std::string bundle = folder + "/" + name + ".app";
    std::filesystem::create_directories(bundleResources(bundle) + "/" + name + ".gameproj");
    writeFile(bundle + "/Contents/Info.plist",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict><key>CFBundleName</key>"
              "<string>" + name + "</string>" + plistEntries + "</dict></plist>\n");
    writeFile(bundleResources(bundle) + "/engine64.luo", script);
    return bundle;
}
