#include "engine/assets/KVEngineAssetManager.h"

#include "engine/assets/KVSoundAsset.h"
#include "engine/assets/KVTextureAsset.h"
#include "engine/scenegraph/nodes/SGImageLoaderNode.h"
#include "engine/scenegraph/nodes/SGSoundLoaderNode.h"
#include "engine/scenegraph/nodes/SGStringToImageNode.h"

namespace {

// Makes the loaders bound to `name` (every loader for a null name) load
// again at their next read. Their handles are forgotten, not released: the
// asset is gone.
template <typename Loaders>
void resetLoaders(const Loaders& loaders, const std::string* name)
{
    for (auto* node : loaders)
        if (!name || node->currentName() == *name)
            node->resetAsset();
}

// Destroys the asset at `position`, drops the entry and resets the loaders
// bound to its name; answers the next entry.
template <typename Map, typename Loaders>
typename Map::iterator unloadAt(Map& assets, typename Map::iterator position, const Loaders& loaders)
{
    const std::string name = position->first;
    delete position->second;
    auto next = assets.erase(position);
    resetLoaders(loaders, &name);
    return next;
}

template <typename Map, typename Loaders>
void unloadNamed(Map& assets, const std::string& name, const Loaders& loaders)
{
    auto it = assets.find(name);
    if (it != assets.end())
        unloadAt(assets, it, loaders);
    else
        resetLoaders(loaders, &name);
}

template <typename Map, typename Loaders>
void unloadAllBut(Map& assets, const std::set<std::string>& keep, const Loaders& loaders)
{
    for (auto it = assets.begin(); it != assets.end();)
        it = keep.count(it->first) ? std::next(it) : unloadAt(assets, it, loaders);
}

// Loads the name unless it is loaded or the script gives it no path.
template <typename Asset, typename Map, typename Lookup>
void loadNamed(Map& assets, const std::string& name, KVIAssetObserver* observer, Lookup pathOf)
{
    if (assets.count(name))
        return;
    const std::string path = pathOf(name);
    // The script may have loaded the name itself while it was asked.
    if (path.empty() || assets.count(name))
        return;
    assets[name] = new Asset(observer, path);
}

template <typename Map>
auto handleFor(const Map& assets, const std::string& name) -> decltype(assets.begin()->second->getHandle())
{
    auto it = assets.find(name);
    if (it == assets.end() || !it->second)
        return {};
    return it->second->getHandle();
}

}  // namespace

KVEngineAssetManager::KVEngineAssetManager(lua_State* L) : L_(L), liveness_(std::make_shared<KVEngineAssetManager*>(this))
{
    lua_pushthread(L);
    threadRef_ = luaL_ref(L, LUA_REGISTRYINDEX);
}

KVEngineAssetManager::~KVEngineAssetManager()
{
    // Everything goes, referenced or not: the nodes still registered are
    // detached below and will not touch their handles again.
    cleanupUnusedImages({});
    cleanupUnusedSounds({});
    for (SGSoundLoaderNode* node : soundLoaders_)
        node->detachAssetManager();
    for (SGImageLoaderNode* node : imageLoaders_)
        node->detachAssetManager();
    for (SGStringToImageNode* node : textImages_)
        node->detachAssetManager();
    *liveness_ = nullptr;
    luaL_unref(L_, LUA_REGISTRYINDEX, threadRef_);
}

std::string KVEngineAssetManager::pathFor(const char* method, const std::string& name)
{
    lua_getglobal(L_, "project");
    lua_getfield(L_, -1, method);
    lua_pushvalue(L_, -2);
    lua_pushlstring(L_, name.data(), name.size());
    lua_call(L_, 2, 1);
    std::string path;
    const int type = lua_type(L_, -1);
    if (type == LUA_TSTRING || type == LUA_TNUMBER) {
        size_t length = 0;
        const char* text = lua_tolstring(L_, -1, &length);
        path.assign(text, length);
    }
    lua_pop(L_, 2);
    return path;
}

std::string KVEngineAssetManager::pathForImage(const std::string& name)
{
    return pathFor("pathForImage", name);
}

std::string KVEngineAssetManager::pathForSound(const std::string& name)
{
    return pathFor("pathForSound", name);
}

void KVEngineAssetManager::loadImageForName(const std::string& name)
{
    loadNamed<KVTextureAsset>(images_, name, this, [this](const std::string& n) { return pathForImage(n); });
}

void KVEngineAssetManager::loadSoundForName(const std::string& name)
{
    loadNamed<KVSoundAsset>(sounds_, name, this, [this](const std::string& n) { return pathForSound(n); });
}

KVAssetHandle<SGImage> KVEngineAssetManager::imageForName(const std::string& name)
{
    loadImageForName(name);
    return handleFor(images_, name);
}

KVAssetHandle<SGSound> KVEngineAssetManager::soundForName(const std::string& name)
{
    loadSoundForName(name);
    return handleFor(sounds_, name);
}

void KVEngineAssetManager::unloadImage(const std::string& name)
{
    unloadNamed(images_, name, imageLoaders_);
}

void KVEngineAssetManager::unloadSound(const std::string& name)
{
    unloadNamed(sounds_, name, soundLoaders_);
}

void KVEngineAssetManager::unloadAllImages()
{
    for (auto& entry : images_)
        delete entry.second;
    images_.clear();
    resetLoaders(imageLoaders_, nullptr);
}

void KVEngineAssetManager::reloadAllImages()
{
    unloadAllImages();
    for (SGStringToImageNode* node : textImages_)
        node->reloadImage();
}

void KVEngineAssetManager::cleanupUnusedImages(const std::set<std::string>& keep)
{
    unloadAllBut(images_, keep, imageLoaders_);
}

void KVEngineAssetManager::cleanupUnusedSounds(const std::set<std::string>& keep)
{
    unloadAllBut(sounds_, keep, soundLoaders_);
}

void KVEngineAssetManager::loadNewImages(const std::set<std::string>& names)
{
    for (const std::string& name : names)
        loadImageForName(name);
}

void KVEngineAssetManager::loadNewSounds(const std::set<std::string>& names)
{
    for (const std::string& name : names)
        loadSoundForName(name);
}

void KVEngineAssetManager::flushAssets()
{
    if (!hasUnreferencedAssets_)
        return;
    cleanupUnusedImages({});
    cleanupUnusedSounds({});
    hasUnreferencedAssets_ = false;
}

void KVEngineAssetManager::notifyAssetRetained(KVIAsset*) {}

void KVEngineAssetManager::notifyAssetReleased(KVIAsset* asset)
{
    if (asset->getReferenceCount() == 0)
        hasUnreferencedAssets_ = true;
}
