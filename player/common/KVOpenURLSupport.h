// Opening a URL in the user's browser or mail program, offered to the
// engine script as the external function "openURL" (URL, external-browser
// flag). Only http, https and mailto URLs are opened: a script naming a
// file or a custom scheme could otherwise start programs.
#pragma once

#include <string>

#include "platform/objects/KVObject.h"

class KVGameView;

class KVOpenURLSupport : public KVObject {
public:
    static constexpr const char* FunctionName = "openURL";
    static constexpr const char* Selector = "openURL:withString:extBrowser:";
    // The desktop's opener, found on PATH.
    static constexpr const char* Opener = "xdg-open";

    // Registers "openURL" for the game view's Lua state, with the view as
    // context.
    static Ref<KVOpenURLSupport> create(KVGameView* gameView);

    KVClass* objClass() const override;
    KVGameView* gameView() const { return gameView_; }

    // Hands the URL to the opener without waiting for it. A missing URL does
    // nothing; a refused one is logged. The external-browser flag is unused.
    void openURL(const KVObject* url, bool extBrowser);

    // "http://" or "https://" and a host, or "mailto:" and an address (the
    // scheme in any case), with no spaces or control characters.
    static bool isOpenableURL(const std::string& url);

private:
    explicit KVOpenURLSupport(KVGameView* gameView) : gameView_(gameView) {}

    KVGameView* gameView_;
};
