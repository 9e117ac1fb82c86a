#include "player/standalone/KVIntroViewController.h"

#include <GL/gl.h>

#include <cstring>

KVIntroViewController::~KVIntroViewController()
{
    if (texture_) {
        GLuint name = texture_;
        glDeleteTextures(1, &name);
    }
}

void KVIntroViewController::reportFinished()
{
    if (finished_)
        return;
    finished_ = true;
    if (onFinished_)
        onFinished_();
}

void KVIntroViewController::uploadRGBA(const uint8_t* pixels, int width, int height, int stride)
{
    if (width <= 0 || height <= 0)
        return;
    // Bottom row first, as the y-up projection draws it upright.
    flipped_.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    for (int row = 0; row < height; ++row)
        std::memcpy(&flipped_[static_cast<size_t>(row) * static_cast<size_t>(width) * 4],
                    pixels + static_cast<size_t>(height - 1 - row) * static_cast<size_t>(stride),
                    static_cast<size_t>(width) * 4);
    if (!texture_) {
        GLuint name = 0;
        glGenTextures(1, &name);
        texture_ = name;
    }
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (width == textureWidth_ && height == textureHeight_) {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, flipped_.data());
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, flipped_.data());
        textureWidth_ = width;
        textureHeight_ = height;
    }
}

void KVIntroViewController::drawTexture(KVSize drawable, float x, float y, float width, float height, float opacity)
{
    glViewport(0, 0, static_cast<int>(drawable.width), static_cast<int>(drawable.height));
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    if (!texture_)
        return;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, drawable.width, 0, drawable.height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glColor4f(1, 1, 1, opacity);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(x, y);
    glTexCoord2f(1, 0);
    glVertex2f(x + width, y);
    glTexCoord2f(1, 1);
    glVertex2f(x + width, y + height);
    glTexCoord2f(0, 1);
    glVertex2f(x, y + height);
    glEnd();
    glColor4f(1, 1, 1, 1);
}
