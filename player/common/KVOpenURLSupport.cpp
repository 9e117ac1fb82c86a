#include "player/common/KVOpenURLSupport.h"

#include <cctype>

#include "platform/objects/KVClassRegistry.h"
#include "platform/objects/KVInvocation.h"
#include "platform/objects/KVLogLine.h"
#include "platform/objects/KVString.h"
#include "platform/process/KVProcess.h"
#include "player/common/KVGameView.h"
#include "player/common/KVLuaState.h"

namespace {

KVClass* defineClass()
{
    auto& registry = KVClassRegistry::shared();
    KVClass* cls = registry.defineClass("KVOpenURLSupport", registry.lookup("NSObject"));
    cls->addInstanceMethod(KVOpenURLSupport::Selector, "v@:^v@c", [](KVInvocation& inv) {
        inv.targetAs<KVOpenURLSupport>()->openURL(inv.objectArgument(3), inv.boolArgument(4));
    });
    return cls;
}

}  // namespace

Ref<KVOpenURLSupport> KVOpenURLSupport::create(KVGameView* gameView)
{
    Ref<KVOpenURLSupport> support = Ref<KVOpenURLSupport>::adopt(new KVOpenURLSupport(gameView));
    if (KVLuaState* state = gameView->luaState())
        state->registerExternalFunction(support.get(), gameView, Selector, FunctionName);
    return support;
}

KVClass* KVOpenURLSupport::objClass() const
{
    static KVClass* cls = defineClass();
    return cls;
}

bool KVOpenURLSupport::isOpenableURL(const std::string& url)
{
    const size_t colon = url.find(':');
    if (colon == std::string::npos || colon + 1 >= url.size())
        return false;
    std::string scheme = url.substr(0, colon);
    for (char& c : scheme)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string rest = url.substr(colon + 1);
    if (scheme == "http" || scheme == "https") {
        if (rest.size() < 3 || rest.compare(0, 2, "//") != 0)
            return false;
    } else if (scheme != "mailto") {
        return false;
    }
    for (unsigned char c : url)
        if (c <= 0x20 || c == 0x7F)
            return false;
    return true;
}

void KVOpenURLSupport::openURL(const KVObject* url, bool)
{
    const auto* string = dynamic_cast<const KVString*>(url);
    if (!string)
        return;
    const std::string& text = string->utf8();
    if (!isOpenableURL(text)) {
        KVLogLine("openURL: \"%s\" refused: only http, https and mailto URLs are opened", text.c_str());
        return;
    }
    KVProcess::Options options;
    options.searchPath = true;
    std::string error;
    const pid_t pid = KVProcess::spawn({Opener, text}, options, &error);
    if (pid < 0) {
        KVLogLine("openURL: \"%s\" not opened: %s", text.c_str(), error.c_str());
        return;
    }
    // The browser may take its time; the game does not wait for it.
    KVProcess::reapInBackground(pid);
}
