// Sound player and listener nodes, heard through the loopback device.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

#include "engine/audio/KVAudioSource.h"
#include "engine/audio/SoundManager.h"
#include "engine/scenegraph/SGSpace.h"
#include "engine/scenegraph/nodes/SGSoundListenerNode.h"
#include "engine/scenegraph/nodes/SGSoundPlayerNode.h"
#include "tests/support/SoundTestOutput.h"
#include "tests/support/TestSounds.h"

namespace {

constexpr long kToneFrames = kSoundTestRate / 5;  // 0.2 s

class SGSoundNodesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(soundTestOutputReady());
        manager_ = std::make_unique<SoundManager>();
        space_ = new SGSpace(manager_.get(), nullptr);
        listener_ = static_cast<SGSoundListenerNode*>(space_->createNode(SGNodeClass::soundListenerNode));
        buffer_ = makeMonoBuffer(sineSamples(kSoundTestRate, 1, kToneFrames, 441, 16000));
        sound_ = SGSound{&buffer_, 1};
        // Every frame draws the listener first.
        space_->compute();
    }

    void TearDown() override
    {
        space_->release();
        manager_.reset();
        alDeleteBuffers(1, &buffer_);
        alListenerf(AL_GAIN, 1.0f);
        alGetError();
    }

    SGSoundPlayerNode* newPlayer()
    {
        auto* node = static_cast<SGSoundPlayerNode*>(space_->createNode(SGNodeClass::soundPlayerNode));
        node->sound.setValue(sound_);
        return node;
    }

    // Sets the port and computes as a read of `playing` would, then clears it.
    static void pulse(SGSoundPlayerNode* node, SGBooleanPort& port)
    {
        port.setValue(true);
        node->update();
        port.setValue(false);
        node->update();
    }
    static void trigger(SGSoundPlayerNode* node) { pulse(node, node->trigger); }

    // "playing" or "stopped"; with a source, how many buffers it has queued.
    static std::string state(SGSoundPlayerNode* node)
    {
        std::string s = node->playing.storedValue() ? "playing" : "stopped";
        if (KVAudioSource* source = node->source()) {
            ALint count = -1;
            alGetSourcei(source->source(), AL_BUFFERS_QUEUED, &count);
            s += ", " + std::to_string(count) + " queued" + (source->owner == node ? "" : " elsewhere");
        }
        return s;
    }

    std::unique_ptr<SoundManager> manager_;
    SGSpace* space_ = nullptr;
    SGSoundListenerNode* listener_ = nullptr;
    ALuint buffer_ = 0;
    SGSound sound_;
};

// The frame at which the left channel falls silent for good.
long soundLength(const std::vector<float>& samples)
{
    for (long f = static_cast<long>(samples.size() / 2) - 1; f >= 0; --f)
        if (samples[static_cast<size_t>(f) * 2] != 0.0f)
            return f + 1;
    return 0;
}

// (The player's recording test hears length and level.) The source comes back, the next trigger queues anew.
TEST_F(SGSoundNodesTest, ATriggeredPlayerHandsItsInputsToItsSourceGivesItBackAndPlaysAgain)
{
    for (const SGSound& sound : {sound_, SGSoundNull}) {
        SCOPED_TRACE(sound.buffers ? "a tone" : "the null sound");
        const std::string started = sound.buffers ? "playing, 1 queued" : "playing, 0 queued";
        SGSoundPlayerNode* node = newPlayer();
        node->sound.setValue(sound);
        EXPECT_FALSE(node->playing.boolValue());
        trigger(node);
        EXPECT_EQ(state(node), started);
        renderSound(kToneFrames * 2);
        EXPECT_EQ(state(node), started);  // until the manager's update
        manager_->update();
        EXPECT_EQ(state(node), "stopped");
        EXPECT_EQ(manager_->freeSources().size(), 32u);

        trigger(node);
        EXPECT_EQ(state(node), started);
        EXPECT_EQ(peak(renderSound(1024)) > 0.1f, sound.buffers != nullptr);
        renderSound(kToneFrames * 2);
        manager_->update();
    }

    // While playing each compute copies the inputs to the source.
    SGSoundPlayerNode* node = newPlayer();
    trigger(node);
    node->volume.setValue(0.25f);
    node->pitch.setValue(1.5f);
    node->x.setValue(12.0f);
    node->dy.setValue(-3.0f);
    node->update();
    const ALuint source = node->source()->source();
    for (auto [parameter, component, expected] : {std::tuple{AL_GAIN, 0, 0.25f}, {AL_PITCH, 0, 1.5f},
                                                   {AL_POSITION, 0, 12.0f}, {AL_VELOCITY, 1, -3.0f}}) {
        ALfloat v[3] = {};
        alGetSourcefv(source, parameter, v);
        EXPECT_EQ(v[component], expected) << parameter;
    }
    ALint relative = 0;
    alGetSourcei(source, AL_SOURCE_RELATIVE, &relative);
    EXPECT_EQ(relative, 1);
}

TEST_F(SGSoundNodesTest, TheListenerAndDistancesSetTheLevelAsOpenALsModelSays)
{
    // A new listener node stands at (240, 160, -50) with gain 1.
    std::vector<ALfloat> listener(4);
    alGetListener3f(AL_POSITION, &listener[0], &listener[1], &listener[2]);
    alGetListenerf(AL_GAIN, &listener[3]);
    EXPECT_EQ(listener, (std::vector<ALfloat>{240, 160, -50, 1}));

    // The level of a looping source at (sx, sy), relative to the listener or in the scene.
    auto levelAt = [&](float sx, float sy, bool relative) {
        SGSoundPlayerNode* node = newPlayer();
        node->sourceRelative.setValue(relative);
        node->loop.setValue(true);
        node->x.setValue(sx);
        node->y.setValue(sy);
        trigger(node);
        renderSound(4096);  // past the gain ramp
        const double level = rms(renderSound(8820), 0, 2 * 8820, 2);
        node->stop.setValue(true);
        node->update();
        space_->removeNode(node);
        return level;
    };
    // Inverse distance clamped at 50: gain = 50 / d, straight above the listener.
    const double at100 = levelAt(0, 100, true);
    ASSERT_GT(at100, 0.02);
    EXPECT_NEAR(levelAt(0, 300, true) / at100, 1.0 / 3, 0.01);

    // In the scene, the same offset from the listener gives the same level wherever it stands.
    const double above = levelAt(240, 310, false);
    listener_->y.setValue(10.0f);
    space_->compute();
    EXPECT_NEAR(levelAt(240, 160, false) / above, 1.0, 0.01);

    // The listener's gain (the port a script finds by name) scales everything.
    static_cast<SGNumberPort*>(listener_->portForID(SGPortID::gain))->setValue(0.5f);
    space_->compute();
    EXPECT_NEAR(levelAt(0, 100, true) / at100, 0.5, 0.01);
}

// A trigger while playing restarts on the same source, stop too; stop alone frees it.
// (A removed looping node stops at once: the sound assets' test.)
TEST_F(SGSoundNodesTest, TriggeringWhilePlayingRestartsStopEndsItAndPauseHoldsIt)
{
    SGSoundPlayerNode* node = newPlayer();
    trigger(node);
    KVAudioSource* source = node->source();
    for (bool stopToo : {false, true}) {
        SCOPED_TRACE(stopToo);
        renderSound(kToneFrames / 2);
        node->stop.setValue(stopToo);
        node->trigger.setValue(true);
        node->update();
        node->stop.setValue(false);
        node->trigger.setValue(false);
        node->update();
        EXPECT_EQ(node->source(), source);
        EXPECT_EQ(state(node), "playing, 1 queued");
        ALint offset = -1;
        alGetSourcei(source->source(), AL_SAMPLE_OFFSET, &offset);
        EXPECT_LT(offset, 64);
    }
    // It plays its whole length again from the restart.
    EXPECT_NEAR(soundLength(renderSound(kToneFrames * 2)), kToneFrames, 64);

    trigger(node);
    node->stop.setValue(true);
    node->update();
    EXPECT_EQ(state(node), "stopped");
    EXPECT_EQ(manager_->freeSources().count(source), 1u);
    EXPECT_EQ(peak(renderSound(2048)), 0.0f);

    // Pause holds the source, resume plays on.
    node->stop.setValue(false);
    trigger(node);
    renderSound(kToneFrames / 4);
    pulse(node, node->pause);
    EXPECT_EQ(peak(renderSound(kToneFrames * 2)), 0.0f);
    manager_->update();
    EXPECT_EQ(state(node), "playing, 1 queued");  // a paused source is not recycled
    pulse(node, node->resume);
    // A node removed while playing once lets the sound end: the three quarters left.
    source = node->source();
    space_->removeNode(node);
    EXPECT_EQ(source->owner, nullptr);
    EXPECT_NEAR(soundLength(renderSound(kToneFrames * 2)), kToneFrames * 3 / 4, 64);
    manager_->update();
    EXPECT_EQ(manager_->freeSources().size(), 32u);
}

// 32 distinct sources; with none left (pool exhausted, manager gone) a trigger plays and holds nothing.
TEST_F(SGSoundNodesTest, WithoutASourceATriggerPlaysNothing)
{
    SGSoundPlayerNode* first = newPlayer();
    std::set<KVAudioSource*> lent;
    for (int i = 0; i < SoundManager::kSourceCount; ++i) {
        SGSoundPlayerNode* node = i ? newPlayer() : first;
        trigger(node);
        lent.insert(node->source());
    }
    EXPECT_EQ(lent.size(), 32u);
    SGSoundPlayerNode* late = newPlayer();
    trigger(late);
    EXPECT_EQ(state(late), "stopped");

    // The manager going stops and deletes every source, playing or paused, and tells its owner.
    pulse(first, first->pause);
    const ALuint paused = first->source()->source();
    manager_.reset();
    EXPECT_EQ(state(first), "stopped");
    EXPECT_FALSE(alIsSource(paused));
    trigger(first);
    EXPECT_EQ(state(first), "stopped");
    EXPECT_EQ(peak(renderSound(1024)), 0.0f);
}

}  // namespace
