// Fixture for text tests: an offscreen OpenGL context (GLTest) and the
// player's own font configuration, pinned through FONTCONFIG_FILE before the
// first text is typeset, so matching does not depend on what else the
// machine has installed. Also reads textures back.
#pragma once

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/text/KVTextFontMap.h"
#include "tests/platform/gl/GLTestContext.h"

class TextGLTest : public GLTest {
public:
    static std::string playerFontConfig() { return std::string(KV_TEST_DATA_DIR) + "/../../resources/fontconfig/fonts.conf"; }

    static void SetUpTestSuite()
    {
        setenv("FONTCONFIG_FILE", playerFontConfig().c_str(), 1);
        GLTest::SetUpTestSuite();
    }

protected:
    void SetUp() override
    {
        GLTest::SetUp();
        // The font map is built once per process; a test that typeset text
        // before the pin would make every match here meaningless.
        ASSERT_EQ(KVTextFontMap::configFile(), playerFontConfig());
    }

    // A texture's level 0 as RGBA bytes, in upload order (row 0 is the
    // bottom of the picture).
    struct TexturePixels {
        int width = 0;
        int height = 0;
        std::vector<uint8_t> rgba;

        const uint8_t* at(int x, int row) const { return &rgba[(static_cast<size_t>(row) * width + x) * 4]; }
        int alpha(int x, int row) const { return at(x, row)[3]; }
        // Columns and rows (bottom-up) holding any ink; -1 when none.
        struct Box {
            int minX = -1, maxX = -1, minRow = -1, maxRow = -1;
        };
        Box inkBox() const
        {
            Box box;
            for (int row = 0; row < height; ++row)
                for (int x = 0; x < width; ++x)
                    if (alpha(x, row) > 0) {
                        if (box.minX < 0 || x < box.minX) box.minX = x;
                        if (x > box.maxX) box.maxX = x;
                        if (box.minRow < 0) box.minRow = row;
                        box.maxRow = row;
                    }
            return box;
        }
    };

    static TexturePixels readTexture(GLuint texture)
    {
        TexturePixels pixels;
        if (texture == 0 || !glIsTexture(texture))
            return pixels;
        GLint previous = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &pixels.width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &pixels.height);
        pixels.rgba.assign(static_cast<size_t>(pixels.width) * pixels.height * 4, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.rgba.data());
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
        return pixels;
    }

    static void deleteTexture(GLuint texture)
    {
        if (texture != 0)
            glDeleteTextures(1, &texture);
    }
};
