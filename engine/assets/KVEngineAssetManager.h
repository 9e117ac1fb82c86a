// Owns every image and sound the game has loaded, by project name. Asks the
// script's `project:pathForImage(name)` (or pathForSound) for the file of a
// name once, loads it, and keeps it until unloaded. Loader nodes get counted handles from it, and it
// knows every live loader and text node, so that unloading an asset makes
// exactly the nodes that showed it load again on their next read.
// Used only on the thread that runs the engine's Lua state; images need the
// game's OpenGL context current, sounds the OpenAL context.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>

#include "engine/assets/KVAssetHandle.h"
#include "engine/assets/KVIAssetObserver.h"
#include "engine/host/kv_lua.h"
#include "engine/scenegraph/SGImage.h"
#include "engine/scenegraph/SGSound.h"

class KVSoundAsset;
class KVTextureAsset;
class SGImageLoaderNode;
class SGSoundLoaderNode;
class SGStringToImageNode;

class KVEngineAssetManager final : private KVIAssetObserver {
public:
    using ImageMap = std::map<std::string, KVTextureAsset*>;
    using SoundMap = std::map<std::string, KVSoundAsset*>;

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
    std::string pathForSound(const std::string& name);

    // Loads the name unless it is loaded or has no path.
    void loadImageForName(const std::string& name);
    void loadSoundForName(const std::string& name);
    // Loads the name if need be; an empty handle when it has no path.
    KVAssetHandle<SGImage> imageForName(const std::string& name);
    KVAssetHandle<SGSound> soundForName(const std::string& name);

    // Destroys the name's asset (if loaded) and resets every image loader
    // whose name input reads that name, loaded or not.
    void unloadImage(const std::string& name);
    void unloadSound(const std::string& name);
    void unloadAllImages();
    // As unloadAllImages, and text nodes render again at their next read.
    void reloadAllImages();
    // Unloads every image whose name is not in `keep`.
    void cleanupUnusedImages(const std::set<std::string>& keep);
    void cleanupUnusedSounds(const std::set<std::string>& keep);
    // Loads the names not loaded yet, in ascending order.
    void loadNewImages(const std::set<std::string>& names);
    void loadNewSounds(const std::set<std::string>& names);

    // Names this manager until it is destroyed, then null: spaces keep it,
    // so nodes they create after a delete get no manager instead of a
    // freed one.
    using Liveness = std::shared_ptr<KVEngineAssetManager*>;
    const Liveness& liveness() const { return liveness_; }

    const ImageMap& getImages() const { return images_; }
    const SoundMap& getSounds() const { return sounds_; }

    // When some asset's count went to 0 since the last flush, unloads every
    // asset (the loaders still in use load theirs again when read).
    void flushAssets();
    bool hasUnreferencedAssets() const { return hasUnreferencedAssets_; }
    void setHasUnreferencedAssets(bool value) { hasUnreferencedAssets_ = value; }

    // Nodes register from the end of their construction to the start of
    // their destruction.
    void insertSoundLoader(SGSoundLoaderNode* node) { soundLoaders_.insert(node); }
    void eraseSoundLoader(SGSoundLoaderNode* node) { soundLoaders_.erase(node); }
    void insertImageLoader(SGImageLoaderNode* node) { imageLoaders_.insert(node); }
    void eraseImageLoader(SGImageLoaderNode* node) { imageLoaders_.erase(node); }
    void insertTextImage(SGStringToImageNode* node) { textImages_.insert(node); }
    void eraseTextImage(SGStringToImageNode* node) { textImages_.erase(node); }
    const std::set<SGSoundLoaderNode*>& soundLoaders() const { return soundLoaders_; }
    const std::set<SGImageLoaderNode*>& imageLoaders() const { return imageLoaders_; }
    const std::set<SGStringToImageNode*>& textImages() const { return textImages_; }

private:
    void notifyAssetRetained(KVIAsset* asset) override;
    void notifyAssetReleased(KVIAsset* asset) override;

    std::string pathFor(const char* method, const std::string& name);

    std::set<SGSoundLoaderNode*> soundLoaders_;
    std::set<SGImageLoaderNode*> imageLoaders_;
    std::set<SGStringToImageNode*> textImages_;
    lua_State* L_;
    int threadRef_;  // keeps L_ alive when it is a coroutine
    ImageMap images_;
    SoundMap sounds_;
    bool hasUnreferencedAssets_ = false;
    Liveness liveness_;
};
