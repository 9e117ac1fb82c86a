// Fuzz target for image files through the loader the asset manager uses:
// decode, premultiply, flip and upload into a texture of a real (offscreen)
// OpenGL context. Whatever the bytes, the answer is a texture of the file's
// size, the placeholder or the null image.
#include <GL/gl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <unistd.h>

#include "engine/assets/KVLoadImageFromFile.h"
#include "platform/gl/EGLOffscreenContext.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static std::unique_ptr<EGLOffscreenContext> context;
    std::string error;
    context = EGLOffscreenContext::create(64, 64, &error);
    if (!context || !context->makeCurrent()) {
        std::fprintf(stderr, "image_loader_fuzz: no OpenGL context: %s\n", error.c_str());
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/image_loader_fuzz." + std::to_string(getpid()) + ".png";
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    } else {
        std::abort();
    }
    const SGImage image = KVLoadImageFromFile(path.c_str());
    if (image.texture != 0) {
        if (image.width != static_cast<uint32_t>(image.textureWidth) ||
            image.height != static_cast<uint32_t>(image.textureHeight))
            std::abort();
        GLuint texture = image.texture;
        glDeleteTextures(1, &texture);
    }
    return 0;
}
