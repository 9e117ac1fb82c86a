// Loading 100 picture files into textures (decode, premultiply, upload), on
// an offscreen OpenGL context.
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <string>
#include <vector>

#include "engine/assets/KVLoadImageFromFile.h"
#include "platform/gl/EGLOffscreenContext.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int kImages = 100;
constexpr int kSide = 128;

// A picture with a gradient, a pattern that differs from file to file and
// soft alpha, so the encoder has something to do.
bool writePicture(const std::string& path, int seed)
{
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, kSide, kSide, 32, SDL_PIXELFORMAT_RGBA32);
    if (!surface)
        return false;
    for (int y = 0; y < kSide; ++y) {
        auto* row = static_cast<Uint8*>(surface->pixels) + y * surface->pitch;
        for (int x = 0; x < kSide; ++x) {
            Uint8* p = row + x * 4;
            p[0] = static_cast<Uint8>(x * 2 + seed);
            p[1] = static_cast<Uint8>(y * 2);
            p[2] = static_cast<Uint8>((x ^ y) * seed);
            p[3] = static_cast<Uint8>(255 - (x + y) / 2);
        }
    }
    const bool saved = IMG_SavePNG(surface, path.c_str()) == 0;
    SDL_FreeSurface(surface);
    return saved;
}

void BM_Load100Images(benchmark::State& state)
{
    TempDir dir;
    std::vector<std::string> paths;
    for (int i = 0; i < kImages; ++i) {
        paths.push_back(dir.file("picture" + std::to_string(i) + ".png"));
        if (!writePicture(paths.back(), i)) {
            state.SkipWithError("cannot write the pictures");
            return;
        }
    }
    std::string error;
    auto context = EGLOffscreenContext::create(64, 64, &error);
    if (!context || !context->makeCurrent()) {
        state.SkipWithError(("no offscreen OpenGL context: " + error).c_str());
        return;
    }
    for (auto _ : state) {
        for (const std::string& path : paths) {
            SGImage image = KVLoadImageFromFile(path.c_str());
            if (image.textureWidth != kSide) {
                state.SkipWithError(("not loaded: " + path).c_str());
                return;
            }
            glDeleteTextures(1, &image.texture);
        }
        glFinish();
    }
}

}  // namespace

BENCHMARK(BM_Load100Images)->Unit(benchmark::kMillisecond);
