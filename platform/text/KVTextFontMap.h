// The fonts text is typeset with: one Pango font map for the process, at
// 72 dpi so that a 12-point font is 12 pixels tall, as games expect.
//
// Its fontconfig configuration is, in order: the file named by
// FONTCONFIG_FILE when the user set one; else the player's own "fonts.conf"
// ("resources" beside the program, then "../share/kelvane-player" beside
// it), which maps the font names games use to installed families; else
// fontconfig's default.
#pragma once

#include <string>

typedef struct _PangoFontMap PangoFontMap;

class KVTextFontMap {
public:
    // Built on first use; never freed. Use it from one thread at a time.
    static PangoFontMap* shared();
    // The configuration file the shared map was built from ("" for
    // fontconfig's default). Builds the map if needed.
    static std::string configFile();
    // The player's own configuration file, or "" when none is installed.
    static std::string playerConfigFile();
};
