#include "engine/scenegraph/SGImage.h"

#include "platform/gl/KVQuadBatch.h"

int SGImage::getWidth() const
{
    return static_cast<int>(static_cast<float>(textureWidth) * rect.getWidth());
}

int SGImage::getHeight() const
{
    return static_cast<int>(static_cast<float>(textureHeight) * rect.getHeight());
}

void SGImage::freeImage()
{
    if (texture != 0)
        KVDeleteTexture(texture);
}

SGImage SGImage::wholeTexture(const KVTextureImage& picture)
{
    SGImage image;
    if (picture.width < 1 || picture.height < 1)
        return image;
    image.texture = picture.texture;
    image.textureWidth = picture.width;
    image.textureHeight = picture.height;
    image.rect = SGTextureRect{0.0f, 0.0f, 1.0f, 1.0f};
    image.width = static_cast<uint32_t>(picture.width);
    image.height = static_cast<uint32_t>(picture.height);
    return image;
}
