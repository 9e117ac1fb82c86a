#include "platform/text/KVTextFontMap.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

namespace {

struct SharedMap {
    PangoFontMap* map = nullptr;
    std::string file;
};

bool isRegularFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// A configuration read from one file, with its fonts scanned; null with a
// message when the file does not parse.
FcConfig* loadConfig(const std::string& path)
{
    FcConfig* config = FcConfigCreate();
    if (!config)
        return nullptr;
    if (!FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8*>(path.c_str()), FcTrue) ||
        !FcConfigBuildFonts(config)) {
        fprintf(stderr, "KVTextFontMap: the font configuration \"%s\" could not be read; using fontconfig's default\n",
                path.c_str());
        FcConfigDestroy(config);
        return nullptr;
    }
    return config;
}

SharedMap build()
{
    SharedMap shared;
    shared.map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    if (!shared.map)
        shared.map = pango_cairo_font_map_new();
    pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(shared.map), 72.0);

    const char* userFile = getenv("FONTCONFIG_FILE");
    if (userFile && *userFile) {
        // Fontconfig's own default reads the variable.
        shared.file = userFile;
        return shared;
    }
    const std::string playerFile = KVTextFontMap::playerConfigFile();
    if (playerFile.empty())
        return shared;
    if (FcConfig* config = loadConfig(playerFile)) {
        if (PANGO_IS_FC_FONT_MAP(shared.map)) {
            pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(shared.map), config);
            shared.file = playerFile;
        }
        FcConfigDestroy(config);  // the font map holds its own reference
    }
    return shared;
}

SharedMap& sharedMap()
{
    static std::once_flag once;
    static SharedMap shared;
    std::call_once(once, [] { shared = build(); });
    return shared;
}

}  // namespace

PangoFontMap* KVTextFontMap::shared()
{
    return sharedMap().map;
}

std::string KVTextFontMap::configFile()
{
    return sharedMap().file;
}

std::string KVTextFontMap::playerConfigFile()
{
    char exe[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length <= 0)
        return {};
    std::string dir(exe, static_cast<size_t>(length));
    dir = dir.substr(0, dir.find_last_of('/'));
    for (const std::string& candidate : {dir + "/resources/fonts.conf", dir + "/../share/kelvane-player/fonts.conf"})
        if (isRegularFile(candidate))
            return candidate;
    return {};
}
