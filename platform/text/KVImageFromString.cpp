#include "platform/text/KVImageFromString.h"

#include "platform/text/StringTexture.h"

KVTextureImage KVImageFromString(const char* text, const char* font, float size, KVTextAlignment alignment,
                                 bool wrap, float wrapWidth, float wrapHeight, const KVTextureImage& previous)
{
    const char* fontName = StringTexture::fontNameForDisplayName(font ? font : "");
    StringTexture texture(text ? text : "", fontName ? fontName : "ArialMT", size, alignment);
    if (wrap)
        texture.useStaticFrame(KVTextSize{wrapWidth, wrapHeight});
    texture.adoptTexture(previous.texture, previous.width, previous.height);
    texture.genTexture();
    if (texture.texSize().width < 1.0 || texture.texSize().height < 1.0)
        return {};
    return {texture.texName(), static_cast<int32_t>(texture.texWidth()), static_cast<int32_t>(texture.texHeight())};
}
