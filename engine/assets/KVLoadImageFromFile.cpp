#include "engine/assets/KVLoadImageFromFile.h"

#include <string>

#include "engine/assets/KVImageResources.h"
#include "engine/assets/KVUploadAsGLTexture.h"
#include "platform/files/KVFileLookup.h"
#include "platform/image/KVBitmap.h"
#include "platform/objects/KVLogLine.h"

namespace {

uint32_t uploadPremultiplied(KVBitmap& bitmap)
{
    if (bitmap.empty())
        return 0;
    bitmap.premultiplyAlpha();
    return KVUploadAsGLTexture(bitmap);
}

}  // namespace

SGImage KVLoadImageFromFile(const char* path)
{
    if (!path || !*path)
        return SGImageNull;

    KVBitmap bitmap = KVBitmap::loadFile(KVFileLookup::shared().find(path));
    // The size stays the file's, also when the placeholder stands in.
    const int width = bitmap.width();
    const int height = bitmap.height();
    uint32_t texture = uploadPremultiplied(bitmap);

    if (texture == 0) {
        KVLogLine("KVLoadImageFromFile could not create NSImage from file %s", path);
        const std::string placeholderPath = KVFindImageResource("image_missing.png");
        if (placeholderPath.empty())
            return SGImageNull;
        KVBitmap placeholder = KVBitmap::loadFile(placeholderPath);
        texture = uploadPremultiplied(placeholder);
        if (texture == 0)
            return SGImageNull;
    }

    SGImage image;
    image.texture = texture;
    image.textureWidth = width;
    image.textureHeight = height;
    image.rect = SGTextureRect{0.0f, 0.0f, 1.0f, 1.0f};
    image.premultiplied = 1;
    image.width = static_cast<uint32_t>(image.getWidth());
    image.height = static_cast<uint32_t>(image.getHeight());
    return image;
}
