// The offscreen context, and quads collected and drawn in runs, with each
// way of letting textures share a run and without. (The SceneMix screenshot
// shows the batch among every other kind of drawing, with the unit this
// machine chooses.)
#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>

#include "platform/gl/KVQuadBatch.h"
#include "platform/image/KVBitmap.h"
#include "tests/platform/gl/GLTestContext.h"

namespace {

GLuint texture(uint8_t r, uint8_t g, uint8_t b)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const uint8_t texel[4] = {r, g, b, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    return name;
}

// An axis-aligned quad from (x, y), w by h.
void quad(KVQuadBatch& batch, float x, float y, float w, float h)
{
    const float corners[16] = {x, y + h, 0, 1, x + w, y + h, 1, 1, x, y, 0, 0, x + w, y, 1, 0};
    batch.addQuad(KVQuadTransform{}, corners);
}

}  // namespace

class KVQuadBatchTest : public GLTest, public ::testing::WithParamInterface<KVQuadBatch::Units> {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        setUpPixelCamera();
        for (int i = 0; i < 6; ++i)
            textures[i] = texture(i & 1 ? 255 : 0, i & 2 ? 255 : 0, i & 4 ? 255 : 40 * i);
    }
    void TearDown() override
    {
        glDeleteTextures(6, textures);
        GLTest::TearDown();
    }
    static Rgba colourOf(int i) { return Rgba{i & 1 ? 255 : 0, i & 2 ? 255 : 0, i & 4 ? 255 : 40 * i, 255}; }

    GLuint textures[6] = {};
};

// Overlapping quads over six textures, flat colours and three blend
// functions: each shows what it covers in drawing order, whichever run
// and unit it landed in, and on either side of a split when there are more
// quads than one draw takes.
TEST_P(KVQuadBatchTest, OverlapsShowTheDrawingOrderAcrossTexturesAndBlends)
{
    KVQuadBatch batch(GetParam());
    // A staircase: quad i covers columns 4i to 4i + 8, so 4i + 2 shows i.
    for (int i = 0; i < 12; ++i) {
        const bool flat = i % 4 == 3;
        batch.setStyle(flat ? 0 : textures[i % 6], GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, 1, flat ? 0.5f : 1, 1, 1);
        for (int k = 0; i == 1 && k < KVQuadBatch::kMaxQuads; ++k)
            quad(batch, 0, 0, 1, 1);  // over quad 0's corner
        quad(batch, 4.0f * i, 0, 8, 10);
    }
    // Added onto grey, then grey replaced by a flat colour in part.
    batch.setStyle(0, GL_ONE, GL_ZERO, 0.25f, 0.25f, 0.25f, 1);
    quad(batch, 0, 20, 20, 10);
    batch.setStyle(textures[1], GL_ONE, GL_ONE, 1, 1, 1, 1);
    quad(batch, 0, 20, 10, 10);
    batch.setStyle(0, GL_ONE, GL_ZERO, 0, 0, 1, 1);
    quad(batch, 5, 20, 3, 10);
    batch.flush();

    for (int i = 0; i < 12; ++i) {
        const Rgba expected = i % 4 == 3 ? Rgba{255, 128, 255, 255} : colourOf(i % 6), p = at(4 * i + 2, 5);
        EXPECT_LE(std::max({std::abs(p.r - expected.r), std::abs(p.g - expected.g), std::abs(p.b - expected.b)}), 1)
            << "quad " << i << ": " << p;
    }
    EXPECT_EQ((std::vector<Rgba>{at(0, 0), at(2, 25), at(6, 25), at(15, 25)}),
              (std::vector<Rgba>{colourOf(1), {255, 64, 104, 255}, {0, 0, 255, 255}, {64, 64, 64, 255}}));
}

// A texture deleted while quads still show it (a text drawn, then typeset
// anew): they are drawn first, not with whatever takes over its name.
TEST_F(KVQuadBatchTest, DeletingATextureDrawsTheQuadsThatShowItFirst)
{
    KVQuadBatch& batch = KVQuadBatch::current();
    const GLuint old = texture(255, 0, 0);
    batch.setStyle(old, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, 1, 1, 1, 1);
    quad(batch, 0, 0, 4, 4);
    KVDeleteTexture(old);
    const GLuint next = texture(0, 255, 0);
    batch.setStyle(next, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, 1, 1, 1, 1);
    quad(batch, 10, 0, 4, 4);
    EXPECT_EQ(std::pair(at(2, 2), at(12, 2)), std::pair(Rgba{255, 0, 0, 255}, Rgba{0, 255, 0, 255}));
    glDeleteTextures(1, &next);
}

INSTANTIATE_TEST_SUITE_P(Units, KVQuadBatchTest,
                         ::testing::Values(KVQuadBatch::Units::indexed, KVQuadBatch::Units::branched,
                                           KVQuadBatch::Units::none),
                         [](const auto& info) {
                             // By the value, whatever the order above.
                             return (std::vector<std::string>{"automatic", "indexed", "branched",
                                                              "none"})[static_cast<int>(info.param)];
                         });

// A surface that takes a new size, keeping the context's state. (That the
// context has the fixed-function pipeline shows in every headless frame.)
TEST(EGLOffscreenContext, KeepsItsStateThroughAResizeAndRefusesEmptySizes)
{
    std::string error;
    auto ctx = EGLOffscreenContext::create(480, 320, &error);
    ASSERT_TRUE(ctx) << error;
    ASSERT_TRUE(ctx->makeCurrent());
    glClearColor(0.5f, 0.25f, 1, 1);

    ASSERT_TRUE(ctx->resize(100, 60, &error)) << error;
    EXPECT_EQ(std::pair(ctx->width(), ctx->height()), std::pair(100, 60));
    glViewport(0, 0, 100, 60);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 100, 30);  // the lower half, as OpenGL counts rows
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    const Picture frame = Picture::currentFrame(100, 60);
    // Read back top row first: the upper half in the clear colour kept
    // through the resize, the lower half green.
    EXPECT_EQ(std::pair(frame.at(0, 0), frame.at(99, 59)), std::pair(Rgba{128, 64, 255, 255}, Rgba{0, 255, 0, 255}));

    EXPECT_FALSE(ctx->resize(0, 0, &error));
    EXPECT_EQ(ctx->width(), 100);
    EXPECT_FALSE(EGLOffscreenContext::create(0, 10, &error));
    EXPECT_NE(error.find("0 x 10"), std::string::npos) << error;
    EXPECT_FALSE(EGLOffscreenContext::create(10, -3, &error));
    EXPECT_TRUE(KVBitmap::fromFramebuffer(-1, 8).empty());
    ctx->releaseCurrent();
}
