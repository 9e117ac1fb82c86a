// Embedded ICC colour profiles: found in the files whose decoders do not
// hand them over, and applied with Little CMS so that pictures reach the
// screen in sRGB, as the Mac drew them. Untagged pictures are sRGB already.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/image/KVBitmap.h"
#include "platform/image/KVImageDecoder.h"

class KVColorProfile {
public:
    // The profile a PNG (iCCP), JPEG (APP2) or WebP (ICCP) file carries;
    // empty for other formats and for files without one.
    static std::string embeddedIn(KVImageFormat format, const uint8_t* data, size_t size);
    // Converts the straight RGBA pixels from the profile's colours to sRGB
    // (alpha unchanged). RGB and grey profiles are used; false, with the
    // reason in *why and the pixels unchanged, for any other.
    static bool convertToSRGB(KVBitmap& bitmap, const std::string& profile, std::string* why);
};
