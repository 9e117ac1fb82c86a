// Fuzz target for a bundle's Info.plist (XML or binary property list): the
// file either loads or is refused with a one-line reason.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "platform/bundle/InfoPlist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/info_plist_fuzz." + std::to_string(getpid()) + ".plist";
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    } else {
        std::abort();
    }
    std::string error;
    const auto plist = InfoPlist::load(path, &error);
    if (!plist) {
        if (error.empty() || error.find('\n') != std::string::npos)
            std::abort();
        return 0;
    }
    for (const char* key : {"CFBundleName", "KVStartFullscreen", "KVOverscan"}) {
        plist->string(key);
        plist->boolean(key, false);
    }
    return 0;
}
