#include "platform/text/KVImageFromString.h"

#include "platform/text/StringTexture.h"

SGImage KVImageFromString(const char* text, const char* font, float size, KVTextAlignment alignment, bool wrap,
                          float wrapWidth, float wrapHeight, const SGImage& previous)
{
    const char* fontName = StringTexture::fontNameForDisplayName(font ? font : "");
    StringTexture texture(text ? text : "", fontName ? fontName : "ArialMT", size, alignment);
    if (wrap)
        texture.useStaticFrame(KVTextSize{wrapWidth, wrapHeight});
    texture.adoptTexture(previous.texture, previous.textureWidth, previous.textureHeight);
    texture.genTexture();
    if (texture.texSize().width < 1.0 || texture.texSize().height < 1.0)
        return SGImageNull;

    SGImage image;
    image.texture = texture.texName();
    image.textureWidth = static_cast<int32_t>(texture.texWidth());
    image.textureHeight = static_cast<int32_t>(texture.texHeight());
    image.rect = SGTextureRect{0.0f, 0.0f, 1.0f, 1.0f};
    image.premultiplied = 0;
    // The whole texture is shown, so the image is as large as the texture.
    image.width = static_cast<uint32_t>(image.textureWidth);
    image.height = static_cast<uint32_t>(image.textureHeight);
    return image;
}
