// The asset tests' Lua state: a project that maps names to test files and counts the asks.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/assets/KVEngineAssetManager.h"
#include "engine/assets/KVSoundAsset.h"
#include "engine/assets/KVTextureAsset.h"
#include "engine/scenegraph/SGScene.h"
#include "engine/scenegraph/wrap_scenegraph.h"
#include "tests/support/LuaChunk.h"

int luaopen_assetManager(lua_State* L);

class AssetLua : public LuaTestState {
public:
    AssetLua() : LuaTestState({luaopen_scenegraph, luaopen_assetManager})
    {
        EXPECT_EQ(run("DATA = '" KV_TEST_DATA_DIR "'" R"lua(
            images = {
              quad = "images/quad.png", quad64 = "images/quad64.png",
              x = "images/quad.png", y = "images/quad64.png", z = "images/half-alpha.png",
            }
            sounds = {}
            asked = {}
            local function lookup(files, name)
              asked[name] = (asked[name] or 0) + 1
              local file = files[name]
              if file and file:sub(1, 1) ~= "/" then file = DATA .. "/" .. file end
              return file
            end
            project = {}
            function project:pathForImage(name) return lookup(images, name) end
            function project:pathForSound(name) return lookup(sounds, name) end
            mgr = assetManager.new()
        )lua"),
                  "");
        lua_getglobal(L, "mgr");
        manager = *static_cast<KVEngineAssetManager**>(lua_touserdata(L, -1));
        lua_pop(L, 1);
    }
    ~AssetLua() { run("mgr:delete()"); }

    // How often each name was asked for: "a=1 b=2".
    std::string asked()
    {
        return eval("(function() local t = {} for k, v in pairs(asked) do t[#t + 1] = k .. '=' .. v end "
                    "table.sort(t) return table.concat(t, ' ') end)()");
    }
    // The manager's assets with their reference counts: "a:0 b:2 ".
    std::string images() { return counts(manager->getImages()); }
    std::string sounds() { return counts(manager->getSounds()); }
    // The manager's asset of that name, or null.
    KVTextureAsset* image(const std::string& n) { return manager->getImages().count(n) ? manager->getImages().at(n) : nullptr; }
    KVSoundAsset* sound(const std::string& n) { return manager->getSounds().count(n) ? manager->getSounds().at(n) : nullptr; }

    KVEngineAssetManager* manager = nullptr;

private:
    template <class Map>
    static std::string counts(const Map& map)
    {
        std::string s;
        for (const auto& [name, asset] : map)
            s += name + ":" + std::to_string(asset->getReferenceCount()) + " ";
        return s;
    }
};

// A space of a scene on that state's manager (the scene goes first).
struct AssetScene {
    // A loader node of the space set to a name.
    template <class Loader>
    Loader* loader(SGNodeClass kind, const std::string& name)
    {
        auto* node = static_cast<Loader*>(space->createNode(kind));
        node->name.setValue(name);
        return node;
    }

    AssetLua lua;
    std::unique_ptr<SGScene> scene = std::make_unique<SGScene>(nullptr, lua.manager);
    SGSpace* space = scene->createSpace(SGNodeClass::ortho2DSpace);
};
