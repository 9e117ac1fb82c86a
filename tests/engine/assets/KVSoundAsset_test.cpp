// Sounds by name: the asset manager, sound assets and sound loader nodes.
#include <gtest/gtest.h>

#include <tuple>

#include "engine/assets/KVSoundAsset.h"
#include "engine/audio/SoundManager.h"
#include "engine/scenegraph/nodes/SGSoundLoaderNode.h"
#include "engine/scenegraph/nodes/SGSoundPlayerNode.h"
#include "tests/engine/assets/SoundPlayback.h"
#include "tests/engine/assets/AssetLua.h"
#include "tests/support/TempDir.h"

namespace {

class SoundAssetTest : public ::testing::Test, public AssetScene {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(useSoundTestOutput());
        // Two tones, a text file named .ogg, a six-channel WAV file.
        writeWav(dir.file("beep.wav"), 22050, 1, sineSamples(22050, 1, 2205, 441, 16000));
        writeWav(dir.file("six.wav"), 22050, 6, sineSamples(22050, 6, 2205, 441, 16000));
        ASSERT_TRUE(encodeSound(dir.file("beep.wav"), dir.file("boop.ogg"), {"-ac", "2"}));
        writeFile(dir.file("text.ogg"), "no sound here\n");
        ASSERT_EQ(lua.run("for _, f in ipairs({'beep.wav', 'boop.ogg', 'six.wav', 'text.ogg'}) do "
                          "sounds[f:match('%w+')] = '" + dir.path() + "/' .. f end"), "");
    }
    SGSoundLoaderNode* loader(const std::string& name)
    {
        return AssetScene::loader<SGSoundLoaderNode>(SGNodeClass::soundLoaderNode, name);
    }

    TempDir dir;
};

}  // namespace

TEST_F(SoundAssetTest, LoadersOfOneNameShareOneSoundAndUnreadableOnesStayEmpty)
{
    SGSoundLoaderNode* first = loader("beep");
    SGSoundLoaderNode* second = loader("beep");
    const SGSound sound = first->asset.soundValue();
    ASSERT_EQ(sound.bufferCount, 1);
    EXPECT_EQ(std::tuple(alIsBuffer(sound.buffers[0]), second->asset.soundValue().buffers),
              std::tuple(AL_TRUE, sound.buffers));

    // An empty name changes nothing: the sound stays on offer, still held.
    first->name.setValue("");
    EXPECT_EQ(first->asset.soundValue().buffers, sound.buffers);
    EXPECT_EQ(lua.sounds(), "beep:2 ");

    // An unknown name offers the null sound. (The picture loaders' test counts references.)
    first->name.setValue("nowhere");
    EXPECT_TRUE(first->asset.soundValue().buffers == nullptr && first->handle().empty());

    // Unreadable files: one line each, then loaded empty, so that the project is not asked again.
    SGSoundLoaderNode* text = loader("text");
    SGSoundLoaderNode* six = loader("six");
    testing::internal::CaptureStderr();
    EXPECT_TRUE(text->asset.soundValue().buffers == nullptr && six->asset.soundValue().buffers == nullptr);
    text->name.setValue("text");
    text->asset.soundValue();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              dir.file("text.ogg") + ": cannot open the sound file (End of file); the sound stays empty\n" +
                  dir.file("six.wav") + ": 6 channels; only mono and stereo are mixed down; the sound stays empty\n");
    EXPECT_EQ(lua.sounds() + lua.asked(), "beep:1 six:1 text:1 beep=1 nowhere=1 six=1 text=1");
}

TEST_F(SoundAssetTest, BuffersOfUnloadedSoundsGoOnceNoSourcePlaysThem)
{
    SoundManager sounds;
    SGScene playing(&sounds, lua.manager);
    SGSpace* view = playing.createSpace(SGNodeClass::ortho2DSpace);
    auto* named = static_cast<SGSoundLoaderNode*>(view->createNode(SGNodeClass::soundLoaderNode));
    named->name.setValue("beep");
    auto* player = static_cast<SGSoundPlayerNode*>(view->createNode(SGNodeClass::soundPlayerNode));
    player->sound.setValue(&named->asset);
    player->loop.setValue(true);
    player->trigger.setValue(true);
    ASSERT_TRUE(player->playing.boolValue());
    const ALuint looping = named->asset.soundValue().buffers[0];
    SGSoundLoaderNode* idle = loader("boop");
    const ALuint unused = idle->asset.soundValue().buffers[0];

    ASSERT_EQ(lua.run("mgr:unloadSound('beep') mgr:unloadSound('boop')"), "");
    EXPECT_EQ(std::tuple(alIsBuffer(unused), alIsBuffer(looping), named->isDirty()),
              std::tuple(AL_FALSE, AL_TRUE, true))
        << "a source still plays the looping one";
    EXPECT_NE(named->asset.soundValue().buffers[0], looping) << "loaded again";

    view->removeNode(player);  // stops the looping sound
    sounds.update();
    EXPECT_FALSE(alIsBuffer(looping));
}

TEST_F(SoundAssetTest, ScriptsLoadAndCleanUpSoundsByList)
{
    ASSERT_EQ(lua.run("mgr:loadSounds({'beep', 'beep', other = 'boop', 'nowhere'})"), "");
    EXPECT_EQ(lua.eval("(function(n) return n[0] .. ',' .. n[1] .. ',' .. tostring(n[2]) end)(mgr:soundNames())"),
              "beep,boop,nil");
    ASSERT_EQ(lua.sound("boop")->getAsset()->bufferCount, 1);
    const ALuint boop = lua.sound("boop")->getAsset()->buffers[0];

    ASSERT_EQ(lua.run("mgr:cleanupAndLoadSounds({'beep', 'six'})"), "");
    EXPECT_FALSE(alIsBuffer(boop));
    EXPECT_EQ(lua.sounds() + lua.asked(), "beep:0 six:0 beep=1 boop=1 nowhere=1 six=1");

    ASSERT_EQ(lua.run("mgr:cleanupUnusedSounds({}) mgr:loadSoundForName('beep') mgr:unloadSound('never')"), "");
    EXPECT_EQ(lua.sounds() + lua.asked(), "beep:0 beep=2 boop=1 nowhere=1 six=1");
}
