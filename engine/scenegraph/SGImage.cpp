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
