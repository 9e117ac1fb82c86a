#include "platform/image/KVSDLImageDecoder.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <climits>
#include <cstring>

#include "platform/image/KVImageDecoder.h"
#include "platform/image/KVImageHeader.h"

KVBitmap KVDecodeWithSDLImage(const uint8_t* data, size_t size, bool maybeTGA, std::string* error)
{
    if (size > INT_MAX) {
        *error = "too large";
        return KVBitmap();
    }
    // SDL_image allocates the whole picture before reading its pixels.
    const std::string refusal = KVImageHeaderRefusal(KVImageDecoder::formatOf(data, size), data, size);
    if (!refusal.empty()) {
        *error = refusal;
        return KVBitmap();
    }
    SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
    SDL_Surface* decoded = rw ? IMG_LoadTyped_RW(rw, 1, maybeTGA ? "TGA" : nullptr) : nullptr;
    if (!decoded) {
        *error = IMG_GetError();
        return KVBitmap();
    }
    if (!KVImageDecoder::sizeAllowed(decoded->w, decoded->h)) {
        SDL_FreeSurface(decoded);
        *error = "the picture is empty or too large";
        return KVBitmap();
    }
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(decoded);
    if (!rgba) {
        *error = SDL_GetError();
        return KVBitmap();
    }
    KVBitmap bitmap(rgba->w, rgba->h, true);
    SDL_LockSurface(rgba);
    for (int y = 0; y < rgba->h; ++y)
        memcpy(bitmap.pixelAt(0, y), static_cast<const uint8_t*>(rgba->pixels) + static_cast<size_t>(y) * rgba->pitch,
               static_cast<size_t>(rgba->w) * 4);
    SDL_UnlockSurface(rgba);
    SDL_FreeSurface(rgba);
    return bitmap;
}
