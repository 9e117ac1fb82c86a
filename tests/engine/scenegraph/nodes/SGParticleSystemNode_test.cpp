// Particle systems drawn on the offscreen context with rand() seeded, checked
// by reading pixels back. The camera maps one unit to one
// pixel, origin bottom left.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "engine/assets/KVLoadImageFromFile.h"
#include "engine/scenegraph/SGScene.h"
#include "engine/scenegraph/nodes/SGParticleSystemNode.h"
#include "platform/gl/GLDrawingState.h"
#include "platform/image/KVBitmap.h"
#include "tests/platform/gl/GLTestContext.h"

namespace {

using Pixel = GLTest::Pixel;
const Pixel kBlack{0, 0, 0, 255}, kWhite{255, 255, 255, 255};

// Pixels of the frame that are not black.
int litPixels()
{
    const KVBitmap frame = KVBitmap::fromFramebuffer(GLTest::kWidth, GLTest::kHeight);
    int lit = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) {
            const uint8_t* p = frame.pixelAt(x, y);
            if (p[0] || p[1] || p[2])
                ++lit;
        }
    return lit;
}

}  // namespace

TEST(SGParticleFunctions, InterpolateMovesLinearlyAndStopsAtTheTarget)
{
    EXPECT_FLOAT_EQ(interpolate(2, 6, 4, 0), 2);
    EXPECT_FLOAT_EQ(interpolate(2, 6, 4, 1), 3);
    EXPECT_FLOAT_EQ(interpolate(2, 6, 4, 4), 6);
    EXPECT_FLOAT_EQ(interpolate(2, 6, 4, 9), 6) << "stays at the target";
    // Falling values stop at the target from above.
    EXPECT_FLOAT_EQ(interpolate(1, 0, 2, 1), 0.5f);
    EXPECT_FLOAT_EQ(interpolate(1, 0, 2, 5), 0);
    EXPECT_FLOAT_EQ(interpolate(-1, -3, 1, 0.25f), -1.5f);
    // No change to make: the start value, whatever the duration.
    EXPECT_FLOAT_EQ(interpolate(5, 5, 3, 2), 5);
    EXPECT_FLOAT_EQ(interpolate(5, 5, 0, 2), 5) << "0 / 0 is ignored";
    EXPECT_FLOAT_EQ(interpolate(5, 5, 0, 0), 5);
    // A duration of 0 jumps to the target, either way.
    EXPECT_FLOAT_EQ(interpolate(1, 0, 0, 0.5f), 0);
    EXPECT_FLOAT_EQ(interpolate(0, 1, 0, 0.5f), 1);
    EXPECT_FLOAT_EQ(interpolate(0, 1, 0, 100), 1);
}

TEST(SGParticleFunctions, RandFloatStaysInTheHalfOpenRangeWhicheverWayItIsGiven)
{
    srand(12345);
    float lowest = 10, highest = 0;
    for (int i = 0; i < 20000; ++i) {
        const float up = randFloat(2, 5);
        const float down = randFloat(5, 2);
        ASSERT_GE(up, 2.0f);
        ASSERT_LT(up, 5.0f);
        ASSERT_GE(down, 2.0f);
        ASSERT_LT(down, 5.0f);
        lowest = std::min({lowest, up, down});
        highest = std::max({highest, up, down});
        const float negative = randFloat(0, -3);
        ASSERT_GT(negative, -3.0f - 1e-6f);
        ASSERT_LE(negative, 0.0f);
    }
    EXPECT_LT(lowest, 2.01f) << "the whole range is used";
    EXPECT_GT(highest, 4.99f);
    EXPECT_EQ(randFloat(3, 3), 3.0f);

    // The scaling at the ends of rand()'s range: 0 gives the low end, and the
    // largest values, which round up to the high end as floats, stay below.
    EXPECT_EQ(SGScaleRandom(0, 2, 4), 2.0f);
    EXPECT_LT(SGScaleRandom(RAND_MAX, 0, 1), 1.0f);
    EXPECT_LT(SGScaleRandom(RAND_MAX, 2, 4), 4.0f);
    EXPECT_LT(SGScaleRandom(RAND_MAX - 20, 4, 2), 4.0f);
    EXPECT_FLOAT_EQ(SGScaleRandom(RAND_MAX / 2, 0, 8), 4.0f);

    // One stream for the whole process: the same seed, the same draws.
    srand(99);
    const float first = randFloat(0, 1);
    srand(99);
    EXPECT_EQ(randFloat(0, 1), first);
}

class SGParticleSystemNodeTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        setUpPixelCamera();
        srand(1);
        system = new SGParticleSystemNode();
    }
    void TearDown() override
    {
        system->release();
        for (SGImage& image : images)
            image.freeImage();
        GLTest::TearDown();
    }

    // A one-particle fountain at (20, 10) whose particle, 2 units wide at
    // birth, is reborn at t = 1, once the frame at t = 1 has run.
    void oneParticle(float lifetime, float targetSize = 2.0f)
    {
        system->numParticles.setValue(1);
        system->spawnParticles.setValue(true);
        system->lifetime.setValue(lifetime);
        system->x.setValue(20.0f);
        system->y.setValue(10.0f);
        system->size.setValue(2.0f);
        system->sizeTarget.setValue(targetSize);
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

    SGParticleSystemNode* system = nullptr;
    std::vector<SGImage> images;
};

TEST_F(SGParticleSystemNodeTest, PortsDefaultsAndCreation)
{
    const SGPortID ids[] = {
        SGPortID::time, SGPortID::spawnParticles, SGPortID::numParticles, SGPortID::image, SGPortID::direction,
        SGPortID::lifetime, SGPortID::lifestart, SGPortID::color, SGPortID::colorTarget,
        SGPortID::colorTransitionTime, SGPortID::x, SGPortID::y, SGPortID::rotation, SGPortID::size,
        SGPortID::sizeTarget, SGPortID::sizeTransitionTime, SGPortID::gravityX, SGPortID::gravityY, SGPortID::speed,
        SGPortID::angularVelocity, SGPortID::blendingMode};
    int found = 0;
    for (int id = 0; id <= static_cast<int>(SGPortID::wrap); ++id)
        if (system->portForID(static_cast<SGPortID>(id)))
            ++found;
    EXPECT_EQ(found, 21);
    for (SGPortID id : ids)
        EXPECT_NE(system->portForID(id), nullptr) << SGPortIDName(static_cast<int32_t>(id));
    EXPECT_EQ(system->portForID(SGPortID::colorTarget), &system->colorTarget);
    EXPECT_EQ(system->portForID(SGPortID::angularVelocity), &system->angularVelocity);
    EXPECT_EQ(system->portForID(SGPortID::width), nullptr);
    EXPECT_EQ(system->classFlags(), static_cast<uint32_t>(SGRenderNodeFlag | SGNodeClass::particleSystemNode));
    EXPECT_EQ(system->colorTarget.storedValue(), (SGColor{1, 1, 1, 1}));
    EXPECT_EQ(system->color.storedValue(), (SGColor{1, 1, 1, 1}));
    EXPECT_EQ(system->numParticles.storedValue(), 0);
    EXPECT_FALSE(system->spawnParticles.storedValue());

    SGScene scene(nullptr, nullptr);
    SGNode* created = scene.defaultSpace().createNode(SGNodeClass::particleSystemNode);
    ASSERT_NE(dynamic_cast<SGParticleSystemNode*>(created), nullptr);
    EXPECT_EQ(scene.defaultSpace().countRenderNodes(), 1);
}

// Births are spread over [0, lifestart] but no particle is set up until its
// first rebirth, so without spawning nothing ever shows.
TEST_F(SGParticleSystemNodeTest, WithSpawningOffFromTheStartNothingIsEverDrawn)
{
    system->numParticles.setValue(10);
    system->lifetime.setValue(2.0f);
    system->lifestart.setValue(1.0f);
    system->size.setValue(8.0f);
    system->sizeTarget.setValue(8.0f);
    system->x.setValue(32.0f);
    system->y.setValue(24.0f);
    for (float t = 0.0f; t < 4.0f; t += 0.25f) {
        drawAt(t);
        EXPECT_EQ(litPixels(), 0) << "t " << t;
    }
    ASSERT_EQ(system->particles().size(), 10u);
    for (const SGParticle& p : system->particles()) {
        EXPECT_EQ(p.setUp, 0);
        EXPECT_GE(p.birth, 0.0f);
        EXPECT_LE(p.birth, 1.0f);
    }
}

// lifetime 2, lifestart 0: every particle is reborn at the first frame with
// t > 0, lives between 1 and 2, and first shows at the frame after.
TEST_F(SGParticleSystemNodeTest, EveryParticleIsRebornAtTheFirstFrameAfterTimeZero)
{
    system->numParticles.setValue(10);
    system->spawnParticles.setValue(true);
    system->lifetime.setValue(2.0f);
    system->size.setValue(6.0f);
    system->sizeTarget.setValue(6.0f);
    system->x.setValue(32.0f);
    system->y.setValue(24.0f);
    drawAt(0.0f);
    for (const SGParticle& p : system->particles())
        EXPECT_EQ(p.setUp, 0) << "not yet due at t = 0";
    drawAt(0.1f);
    EXPECT_EQ(litPixels(), 0) << "age 0 is not drawn";
    for (const SGParticle& p : system->particles()) {
        EXPECT_EQ(p.setUp, 1);
        EXPECT_EQ(p.birth, 0.1f);
        EXPECT_GE(p.life, 1.0f);
        EXPECT_LT(p.life, 2.0f);
    }
    drawAt(0.2f);
    EXPECT_EQ(at(32, 24), kWhite);
    EXPECT_EQ(litPixels(), 36) << "ten 6 x 6 particles, one over the other";
}

// speed 10, direction 90, gravityY -10: at age 1 the particle is 5 above
// where it was born, whatever the emitter did since. It grows from 2 to its
// target 10 over 4 time units.
TEST_F(SGParticleSystemNodeTest, ParticlesFlyOnABallisticPathFromWhereTheyWereBorn)
{
    system->speed.setValue(10.0f);
    system->direction.setValue(90.0f);
    system->gravityY.setValue(-10.0f);
    system->sizeTransitionTime.setValue(4.0f);
    oneParticle(8.0f, 10.0f);
    const SGParticle& p = system->particles()[0];
    EXPECT_NEAR(p.vx, 0.0f, 1e-5f);
    EXPECT_FLOAT_EQ(p.vy, 10.0f);

    system->x.setValue(50.0f);  // moving the emitter leaves the particle
    drawAt(2.0f);
    EXPECT_EQ(at(20, 15), kWhite);
    EXPECT_EQ(at(18, 13), kWhite) << "4 x 4 at age 1";
    EXPECT_EQ(at(21, 16), kWhite);
    EXPECT_EQ(litPixels(), 16);
    EXPECT_EQ(at(20, 10), kBlack);

    // Gravity is the system's current one: at age 2 with gravityY -5 the
    // particle is at 10 + (10 - 5) * 2 = 20, and 6 wide.
    system->gravityY.setValue(-5.0f);
    drawAt(3.0f);
    EXPECT_EQ(at(20, 20), kWhite);
    EXPECT_EQ(at(17, 17), kWhite);
    EXPECT_EQ(at(22, 22), kWhite);
    EXPECT_EQ(litPixels(), 36);
    // The transition time too: shortened to 2, the particle is at its
    // target size at age 2.
    system->sizeTransitionTime.setValue(2.0f);
    drawAt(3.0f);
    EXPECT_EQ(litPixels(), 100);
}

// White to red: half-way at age 1 over 2 time units, red from age 2 on;
// with a transition time of 0, red from the first visible frame.
TEST_F(SGParticleSystemNodeTest, ColourMovesToItsTargetOverTheTransitionTime)
{
    system->colorTarget.setValue(SGColor{1, 0, 0, 1});
    system->colorTransitionTime.setValue(2.0f);
    oneParticle(8.0f);
    drawAt(2.0f);
    const Pixel half = at(20, 10);
    EXPECT_EQ(half.r, 255);
    EXPECT_NEAR(half.g, 128, 1);
    EXPECT_NEAR(half.b, 128, 1);
    drawAt(3.0f);
    EXPECT_EQ(at(20, 10), (Pixel{255, 0, 0, 255}));
    drawAt(4.5f);
    EXPECT_EQ(at(20, 10), (Pixel{255, 0, 0, 255}));

    // The transition time is the particle's own, from its birth.
    system->colorTransitionTime.setValue(0.0f);
    drawAt(2.0f);
    EXPECT_NEAR(at(20, 10).g, 128, 1);

    SGParticleSystemNode* quick = new SGParticleSystemNode();
    std::swap(system, quick);
    system->colorTarget.setValue(SGColor{1, 0, 0, 1});
    oneParticle(8.0f);
    drawAt(1.001f);
    EXPECT_EQ(at(20, 10), (Pixel{255, 0, 0, 255}));
    std::swap(system, quick);
    quick->release();
}

// Ages exactly 0 and exactly life draw nothing; just inside, the particle
// shows. Once spawning stops, a dead particle stays dead.
TEST_F(SGParticleSystemNodeTest, AParticleShowsOnlyStrictlyBetweenBirthAndDeath)
{
    oneParticle(4.0f);
    EXPECT_EQ(litPixels(), 0) << "reborn at this frame: age 0";
    const float life = system->particles()[0].life;
    const float death = 1.0f + life;
    ASSERT_EQ(death - 1.0f, life) << "the seed gives a death time that float arithmetic keeps exact";

    system->spawnParticles.setValue(false);
    drawAt(1.001f);
    EXPECT_EQ(at(20, 10), kWhite);
    drawAt(std::nextafter(death, 0.0f));
    EXPECT_EQ(at(20, 10), kWhite);
    drawAt(death);
    EXPECT_EQ(litPixels(), 0) << "age = life";
    drawAt(death + 0.5f);
    EXPECT_EQ(litPixels(), 0);
    EXPECT_EQ(system->particles()[0].birth, 1.0f) << "not reborn while spawning is off";

    system->spawnParticles.setValue(true);
    drawAt(death + 1.0f);
    EXPECT_EQ(system->particles()[0].birth, death + 1.0f);
    EXPECT_EQ(litPixels(), 0);
}

// Additive blending of a straight (not premultiplied) texture: source alpha
// and one.
TEST_F(SGParticleSystemNodeTest, BlendModeTwoAdds)
{
    GLuint white = 0;
    glGenTextures(1, &white);
    glBindTexture(GL_TEXTURE_2D, white);
    const uint8_t texel[4] = {255, 255, 255, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    SGImage image;
    image.texture = white;
    image.textureWidth = image.textureHeight = 1;
    image.width = image.height = 1;
    image.rect = SGTextureRect{0, 0, 1, 1};

    struct Case {
        int mode;
        int premultiplied;
        float r, g, b;
    } cases[] = {
        {2, 0, 0.5f + 0.2f, 0.25f + 0.4f, 0.6f},
        {0, 0, 0.5f + 0.1f, 0.25f + 0.2f, 0.3f},
        // Premultiplied: the colour is scaled by its alpha and the source
        // factor is one, so the sum is the same (unscaled, red would be 1).
        {2, 1, 0.5f + 0.2f, 0.25f + 0.4f, 0.6f},
        {0, 1, 0.5f + 0.1f, 0.25f + 0.2f, 0.3f},
    };
    for (const Case& c : cases) {
        SGParticleSystemNode* node = new SGParticleSystemNode();
        image.premultiplied = c.premultiplied;
        node->image.setValue(image);
        node->numParticles.setValue(1);
        node->spawnParticles.setValue(true);
        node->lifetime.setValue(8.0f);
        node->x.setValue(32.0f);
        node->y.setValue(24.0f);
        node->size.setValue(10.0f);
        node->sizeTarget.setValue(10.0f);
        node->color.setValue(SGColor{1, 0.5f, 0, 0.5f});
        node->colorTarget.setValue(SGColor{1, 0.5f, 0, 0.5f});
        node->blendingMode.setValue(c.mode);
        node->time.setValue(1.0f);
        node->compute();
        glClearColor(0.2f, 0.4f, 0.6f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        node->time.setValue(2.0f);
        node->compute();
        const std::string what = "mode " + std::to_string(c.mode) + " premultiplied " + std::to_string(c.premultiplied);
        const Pixel p = at(32, 24);
        EXPECT_NEAR(p.r, c.r * 255, 1.5) << what;
        EXPECT_NEAR(p.g, c.g * 255, 1.5) << what;
        EXPECT_NEAR(p.b, c.b * 255, 1.5) << what;
        node->release();
    }
    glDeleteTextures(1, &white);
}

// A flat system draws without a texture (a bound texture of transparent
// black would hide it); a textured one shows its image upright.
TEST_F(SGParticleSystemNodeTest, FlatAndTexturedParticles)
{
    GLuint black = 0;
    glGenTextures(1, &black);
    glBindTexture(GL_TEXTURE_2D, black);
    const uint8_t texel[4] = {0, 0, 0, 0};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    system->angularVelocity.setValue(90.0f);
    oneParticle(8.0f, 16.0f);  // 16 wide at once: no transition time
    drawAt(2.0f);
    EXPECT_EQ(at(20, 10), kWhite);
    glDeleteTextures(1, &black);

    // quad.png: red, green over blue, yellow. Turned a quarter at age 1
    // (angular velocity 90), red is at the bottom left.
    images.push_back(KVLoadImageFromFile((std::string(KV_TEST_DATA_DIR) + "/images/quad.png").c_str()));
    ASSERT_GT(images.back().textureWidth, 0);
    system->image.setValue(images.back());
    drawAt(2.0f);
    EXPECT_EQ(at(15, 5), (Pixel{255, 0, 0, 255}));
    EXPECT_EQ(at(25, 5), (Pixel{0, 0, 255, 255}));
    EXPECT_EQ(at(15, 15), (Pixel{0, 255, 0, 255}));
    EXPECT_EQ(at(25, 15), (Pixel{255, 255, 0, 255}));
    // The particle keeps the spin it was born with: half a turn at age 2.
    system->angularVelocity.setValue(0.0f);
    drawAt(3.0f);
    EXPECT_EQ(at(15, 5), (Pixel{0, 255, 0, 255}));
    EXPECT_EQ(at(25, 15), (Pixel{0, 0, 255, 255}));
}

// A count of 0 or less, or past the limit, allocates nothing and draws
// nothing for good; the count and lifestart are read once.
TEST_F(SGParticleSystemNodeTest, CountIsReadOnceAndBadCountsDrawNothing)
{
    for (int count : {0, -5, SGParticleSystemNode::kMaxParticles + 1, std::numeric_limits<int>::max()}) {
        SGParticleSystemNode* node = new SGParticleSystemNode();
        node->numParticles.setValue(count);
        node->spawnParticles.setValue(true);
        node->lifetime.setValue(2.0f);
        node->size.setValue(64.0f);
        node->sizeTarget.setValue(64.0f);
        node->time.setValue(1.0f);
        node->compute();
        node->numParticles.setValue(3);
        node->time.setValue(2.0f);
        node->compute();
        EXPECT_TRUE(node->particles().empty()) << count;
        EXPECT_EQ(litPixels(), 0) << count;
        node->release();
    }

    system->numParticles.setValue(4);
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
