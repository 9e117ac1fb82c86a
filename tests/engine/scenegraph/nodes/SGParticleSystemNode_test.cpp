// Particles drawn with rand() seeded, one unit to one pixel, origin bottom left.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>
#include <tuple>

#include "engine/scenegraph/nodes/SGParticleSystemNode.h"
#include "platform/objects/KVRef.h"
#include "tests/platform/gl/GLTestContext.h"
#include "tests/support/Picture.h"

namespace {

const Rgba kWhite{255, 255, 255, 255};

Picture frame()
{
    return Picture::currentFrame(GLTest::kWidth, GLTest::kHeight);
}

// Pixels of the frame that are not black.
int litPixels()
{
    return frame().count(0, 0, GLTest::kWidth, GLTest::kHeight, [](const Rgba& p) { return p.r || p.g || p.b; });
}

}  // namespace

TEST(SGParticleFunctions, InterpolateMovesLinearlyAndStopsAtTheTarget)
{
    const struct {
        float from, to, duration, t, expected;
    } cases[] = {
        {2, 6, 4, 1, 3}, {2, 6, 4, 9, 6}, {1, 0, 2, 1, 0.5f}, {1, 0, 2, 5, 0},  // stops at the target either way
        {5, 5, 0, 2, 5}, {1, 0, 0, 0.5f, 0},  // nothing to change: 0 / 0 ignored; no duration: the target at once
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(interpolate(c.from, c.to, c.duration, c.t), c.expected)
            << c.from << " to " << c.to << " over " << c.duration << " at " << c.t;
}

class SGParticleSystemNodeTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        setUpPixelCamera();
        srand(1);
    }

    // A fresh system of `count` particles at (x, y), `size` wide throughout.
    void renew(int count, bool spawning, float lifetime, float size, float x = 20, float y = 10)
    {
        system = makeRef<SGParticleSystemNode>();
        system->numParticles.setValue(count);
        system->spawnParticles.setValue(spawning);
        system->lifetime.setValue(lifetime);
        for (auto [port, value] : {std::pair{&system->size, size}, {&system->sizeTarget, size}, {&system->x, x},
                                   {&system->y, y}})
            port->setValue(value);
    }
    // A one-particle system's particle is reborn at t = 1.
    void bornAtOne()
    {
        drawAt(1.0f);
        ASSERT_EQ(system->particles().size(), 1u);
        ASSERT_EQ(system->particles()[0].birth, 1.0f);
    }
    // One frame at time t on a cleared view.
    void drawAt(float t)
    {
        glClear(GL_COLOR_BUFFER_BIT);
        system->time.setValue(t);
        system->compute();
    }

    Ref<SGParticleSystemNode> system = makeRef<SGParticleSystemNode>();
};

// Speed 10 up, gravity -10: at age 1, 5 above its birthplace whatever the emitter did since.
// Gravity and size time are the system's current ones, the colour time the particle's own.
TEST_F(SGParticleSystemNodeTest, ParticlesFlyOnABallisticPathFromWhereTheyWereBorn)
{
    renew(1, true, 8.0f, 2.0f);
    for (auto [port, value] : {std::pair{&system->sizeTarget, 10.0f}, {&system->speed, 10.0f}, {&system->direction, 90.0f},
                               {&system->gravityY, -10.0f}, {&system->sizeTransitionTime, 4.0f},
                               {&system->colorTransitionTime, 2.0f}})
        port->setValue(value);
    system->colorTarget.setValue(SGColor{1, 0, 0, 1});
    bornAtOne();

    system->x.setValue(50.0f);  // moving the emitter leaves the particle
    system->colorTransitionTime.setValue(0.0f);
    drawAt(2.0f);
    // 4 x 4 at age 1, centred on (20, 15), half-way to red.
    const Rgba halfWay = frame().fromBottom(21, 16);
    EXPECT_EQ(frame().fromBottom(18, 13), halfWay);
    EXPECT_NEAR(halfWay.g, 128, 1);
    EXPECT_EQ(std::tuple(halfWay.r, halfWay.b, litPixels()), std::tuple(255, halfWay.g, 16));

    // Age 2, gravity -5: at 10 + (10 - 5) * 2 = 20, 6 wide, red.
    system->gravityY.setValue(-5.0f);
    drawAt(3.0f);
    EXPECT_EQ(std::tuple(frame().fromBottom(17, 17), frame().fromBottom(22, 22), litPixels()),
              std::tuple(Rgba{255, 0, 0, 255}, Rgba{255, 0, 0, 255}, 36));
    system->sizeTransitionTime.setValue(2.0f);
    drawAt(3.0f);
    EXPECT_EQ(litPixels(), 100);
}

// A particle shows only from the frame after its first rebirth (without spawning, never), strictly between birth
// and death; once spawning stops, a dead particle stays dead.
TEST_F(SGParticleSystemNodeTest, AParticleShowsOnlyOnceSpawnedAndStrictlyBetweenBirthAndDeath)
{
    for (bool spawning : {false, true}) {
        SCOPED_TRACE(spawning);
        renew(10, spawning, 2.0f, 6.0f, 32.0f, 24.0f);
        system->lifestart.setValue(spawning ? 0.0f : 1.0f);
        for (int frame = 0; frame <= (spawning ? 2 : 40); ++frame) {
            drawAt(frame * 0.1f);
            // Ten 6 x 6 particles, one over the other.
            EXPECT_EQ(litPixels(), spawning && frame == 2 ? 36 : 0) << "frame " << frame;
        }
    }
    renew(1, true, 4.0f, 2.0f);
    bornAtOne();
    EXPECT_EQ(litPixels(), 0) << "reborn at this frame: age 0";
    const float life = system->particles()[0].life;
    const float death = 1.0f + life;
    ASSERT_EQ(death - 1.0f, life) << "the seed gives a death time that float arithmetic keeps exact";

    system->spawnParticles.setValue(false);
    drawAt(std::nextafter(death, 0.0f));
    EXPECT_EQ(frame().fromBottom(20, 10), kWhite);
    drawAt(death);
    EXPECT_EQ(litPixels(), 0) << "age = life";
    drawAt(death + 0.5f);
    EXPECT_EQ(litPixels(), 0);

    system->spawnParticles.setValue(true);
    drawAt(death + 1.0f);
    EXPECT_EQ(system->particles()[0].birth, death + 1.0f);
    EXPECT_EQ(litPixels(), 0);
}

// Bad counts allocate and draw nothing for good; the count and lifestart are read once.
TEST_F(SGParticleSystemNodeTest, CountIsReadOnceAndBadCountsDrawNothing)
{
    for (int count : {-5, SGParticleSystemNode::kMaxParticles + 1}) {
        renew(count, true, 2.0f, 64.0f);
        drawAt(1.0f);
        system->numParticles.setValue(3);
        drawAt(2.0f);
        EXPECT_TRUE(system->particles().empty()) << count;
        EXPECT_EQ(litPixels(), 0) << count;
    }

    renew(4, false, 0.0f, 0.0f);
    system->lifestart.setValue(-2.0f);
    drawAt(0.0f);
    system->numParticles.setValue(40);
    system->lifestart.setValue(5.0f);
    drawAt(0.0f);
    ASSERT_EQ(system->particles().size(), 4u);
    for (const SGParticle& p : system->particles()) {
        EXPECT_LE(p.birth, 0.0f) << "a negative lifestart spreads births over [lifestart, 0]";
        EXPECT_GE(p.birth, -2.0f);
    }
}
