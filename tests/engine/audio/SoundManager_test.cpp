// The source pool (the sound player nodes show lending, running out, recycling and the manager going).
#include <gtest/gtest.h>

#include "engine/audio/KVAudioSource.h"
#include "engine/audio/SoundManager.h"
#include "tests/support/SoundTestOutput.h"
#include "tests/support/TestSounds.h"

namespace {

class SoundManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(soundTestOutputReady());
        // A quarter of a second of tone.
        buffer_ = makeMonoBuffer(sineSamples(kSoundTestRate, 1, kSoundTestRate / 4, 441, 12000));
        sound_ = SGSound{&buffer_, 1};
    }

    void TearDown() override
    {
        manager_.reset();
        alDeleteBuffers(1, &buffer_);
        alGetError();
    }

    static void countStop(KVAudioSource* source) { ++*static_cast<int*>(source->owner); }

    std::unique_ptr<SoundManager> manager_ = std::make_unique<SoundManager>();
    ALuint buffer_ = 0;
    SGSound sound_;
    int stops_ = 0;  // outlives the manager, which tells its sources' owners as it goes
};

// A second manager shares the device and context and has sources of its
// own; going, it tells even the owner of a source that never played.
TEST_F(SoundManagerTest, ASecondManagerSharesTheContextAndTellsItsOwnersAsItGoes)
{
    KVAudioSource* mine = manager_->reserveSource();
    EXPECT_EQ(manager_->reservedSources().count(mine), 1u);
    ALCcontext* context = alcGetCurrentContext();
    {
        SoundManager second;
        EXPECT_EQ(alcGetCurrentContext(), context);
        KVAudioSource* other = second.reserveSource();
        ASSERT_NE(other, nullptr);
        EXPECT_NE(other->source(), mine->source());
        other->owner = &stops_;
        other->stopCallback = countStop;
    }
    EXPECT_EQ(stops_, 1);
}

TEST_F(SoundManagerTest, OpenALErrorsNameTheOperationAndDoNotStopIt)
{
    KVAudioSource* source = manager_->reserveSource();
    ALuint bogus = 987654;
    SGSound missing{&bogus, 1};
    testing::internal::CaptureStderr();
    source->queueBuffers(missing);
    manager_->playSource(nullptr);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("OpenAL error 40961 in call to KVAudioSource::queueBuffers: alSourceQueueBuffers\n"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("engine/SoundManager: playSource: source != NULL failed"), std::string::npos) << err;
    // The source still works.
    source->queueBuffers(sound_);
    manager_->playSource(source);
    EXPECT_GT(peak(renderSound(2048)), 0.2f);
}

}  // namespace
