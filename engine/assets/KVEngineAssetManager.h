// Owns every image the game has loaded, by project name. Asks the script's
// `project:pathForImage(name)` for the file of a name once, loads it, and
// keeps it until unloaded. Loader nodes get counted handles from it, and it
// knows every live loader and text node, so that unloading an asset makes
// exactly the nodes that showed it load again on their next read.
// Used only on the thread that runs the engine's Lua state; loading and
// unloading images needs the game's OpenGL context current.
#pragma once

#include <map>
#include <set>
#include <string>

#include "engine/assets/KVAssetHandle.h"
#include "engine/assets/KVIAssetObserver.h"
#include "engine/host/kv_lua.h"
#include "engine/scenegraph/SGImage.h"

class KVTextureAsset;
class SGImageLoaderNode;
class SGStringToImageNode;

class KVEngineAssetManager final : private KVIAssetObserver {
public:
    using ImageMap = std::map<std::string, KVTextureAsset*>;

    // Asks for paths through this Lua state, which must outlive the manager.
    explicit KVEngineAssetManager(lua_State* L);
    // Unloads everything and detaches the nodes still registered, so that
    // they neither show nor release what is gone.
    ~KVEngineAssetManager();
    KVEngineAssetManager(const KVEngineAssetManager&) = delete;
    KVEngineAssetManager& operator=(const KVEngineAssetManager&) = delete;

    // The script's answer, or "" when it gives none. A script error is not
    // caught: it unwinds to whoever called into the manager.
    std::string pathForImage(const std::string& name);

    // Loads the name unless it is loaded or has no path.
    void loadImageForName(const std::string& name);
    // Loads the name if need be; an empty handle when it has no path.
    KVAssetHandle<SGImage> imageForName(const std::string& name);

    // Destroys the name's asset (if loaded) and resets every image loader
    // whose name input reads that name, loaded or not.
    void unloadImage(const std::string& name);
    void unloadAllImages();
    // As unloadAllImages, and text nodes render again at their next read.
    void reloadAllImages();
    // Unloads every image whose name is not in `keep`.
    void cleanupUnusedImages(const std::set<std::string>& keep);
    // Loads the names not loaded yet, in ascending order.
    void loadNewImages(const std::set<std::string>& names);

    const ImageMap& getImages() const { return images_; }

    // When some asset's count went to 0 since the last flush, unloads every
    // asset (the loaders still in use load theirs again when read).
    void flushAssets();
    bool hasUnreferencedAssets() const { return hasUnreferencedAssets_; }
    void setHasUnreferencedAssets(bool value) { hasUnreferencedAssets_ = value; }

    // Nodes register from the end of their construction to the start of
    // their destruction.
    void insertImageLoader(SGImageLoaderNode* node) { imageLoaders_.insert(node); }
    void eraseImageLoader(SGImageLoaderNode* node) { imageLoaders_.erase(node); }
    void insertTextImage(SGStringToImageNode* node) { textImages_.insert(node); }
    void eraseTextImage(SGStringToImageNode* node) { textImages_.erase(node); }
    const std::set<SGImageLoaderNode*>& imageLoaders() const { return imageLoaders_; }
    const std::set<SGStringToImageNode*>& textImages() const { return textImages_; }

private:
    void notifyAssetRetained(KVIAsset* asset) override;
    void notifyAssetReleased(KVIAsset* asset) override;

    std::string pathFor(const char* method, const std::string& name);

    std::set<SGImageLoaderNode*> imageLoaders_;
    std::set<SGStringToImageNode*> textImages_;
    lua_State* L_;
    int threadRef_;  // keeps L_ alive when it is a coroutine
    ImageMap images_;
    bool hasUnreferencedAssets_ = false;
};
