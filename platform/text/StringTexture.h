// A string typeset into an offscreen bitmap and uploaded as an OpenGL
// texture. The bitmap has straight (not premultiplied) alpha and its rows
// run bottom-up, so the texture stands upright under a y-up camera.
//
// The frame is the bitmap's size: measured from the text plus the margins
// on both sides (a dynamic frame), or fixed by the caller (a static frame,
// in which the text wraps and what does not fit is cut off).
//
// The texture is not deleted with this object: its owner deletes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/text/KVTextTypes.h"

class StringTexture {
public:
    // White text in that font, size and alignment; box and border clear.
    StringTexture(const std::string& text, const std::string& fontName, double size, KVTextAlignment alignment);
    StringTexture(const std::string& text, const KVTextAttributes& attributes, const KVTextColor& textColor,
                  const KVTextColor& boxColor, const KVTextColor& borderColor);
    // Opaque white text; box and border white with alpha 0.
    StringTexture(const std::string& text, const KVTextAttributes& attributes);
    ~StringTexture() = default;
    StringTexture(const StringTexture&) = delete;
    StringTexture& operator=(const StringTexture&) = delete;

    // The platform font name for a font's display name ("Arial" gives
    // "ArialMT"), or null when the name is not in the table.
    static const char* fontNameForDisplayName(const std::string& displayName);

    // A static frame's fixed size; a dynamic frame is measured once (text
    // size plus twice the margins) and remembered.
    KVTextSize frameSize();
    // Deletes the texture; a dynamic frame is measured again.
    void setMargins(KVTextSize margins);
    // Deletes the texture and fixes the frame at that size.
    void useStaticFrame(KVTextSize frame);
    // Deletes the texture of a static frame and measures the text again.
    void useDynamicFrame();

    // Draws the bitmap and uploads it into the texture in hand when that is
    // of the bitmap's size and in the current context, else into a new
    // texture in the current context, replacing the old one. False, with a message, when no
    // texture was made: no current context, an unusable font size, or a
    // frame that is empty or too large for a texture. texSize() is the bitmap's size either way
    // (0 x 0 when no bitmap was drawn).
    bool genTexture();
    // Deletes the texture in the context that made it.
    void deleteTexture();
    // Takes over a width x height texture made earlier in the current
    // context, which the next bitmap of that size replaces in place (any
    // texture in hand is deleted first). The texture is then this object's
    // as if it had made it.
    void adoptTexture(uint32_t name, int width, int height);
    // One textured quad over the rectangle; makes the texture first when
    // there is none (and draws nothing if that fails).
    void drawWithBounds(double x, double y, double width, double height);
    void drawAtPoint(double x, double y);

    uint32_t texName() const { return texName_; }
    KVTextSize texSize() const { return texSize_; }
    float texWidth() const { return static_cast<float>(texSize_.width); }
    float texHeight() const { return static_cast<float>(texSize_.height); }
    const std::string& text() const { return text_; }
    const KVTextColor& textColor() const { return textColor_; }
    const KVTextColor& boxColor() const { return boxColor_; }
    const KVTextColor& borderColor() const { return borderColor_; }
    KVTextSize marginSize() const { return marginSize_; }
    bool staticFrame() const { return staticFrame_; }

    // Largest bitmap side made, in pixels; larger frames are refused.
    static constexpr int kMaxSide = 16384;

private:
    // Sizes that are not positive, not finite or larger than kMaxSide.
    bool hasUsableFontSize() const;
    KVTextSize measureText() const;
    bool drawBitmap(int width, int height, std::vector<unsigned char>& rgba);
    bool upload(const unsigned char* rgba, int width, int height);
    void replacePixels(const unsigned char* rgba, int width, int height);
    class UnpackScope;

    void* glContext_ = nullptr;  // the context the texture was made in
    uint32_t texName_ = 0;
    int texWidth_ = 0;  // the texture's own size, which texSize_ may not be after a failure
    int texHeight_ = 0;
    KVTextSize texSize_;
    std::string text_;  // valid UTF-8: bad sequences became U+FFFD
    KVTextAttributes attributes_;
    KVTextColor textColor_;
    KVTextColor boxColor_;
    KVTextColor borderColor_;
    bool staticFrame_ = false;
    KVTextSize marginSize_{4.0, 2.0};
    KVTextSize frameSize_;  // 0 x 0: a dynamic frame not measured yet
};
