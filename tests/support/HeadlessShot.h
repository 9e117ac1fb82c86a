// A test bundle of tests/data/bundles played headless by the built player
// for a number of fixed-step frames, with its last frame kept as a picture.
#pragma once

#include <cstdint>
#include <string>

#include "platform/image/KVBitmap.h"
#include "tests/support/Picture.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

struct HeadlessShot {
    ProgramResult run;
    Picture picture;  // empty when the player wrote none
    // The same frame read by the player's own loader, and why it could not
    // be read; kept until the last users read `picture` instead.
    KVBitmap shot;
    std::string error;
};

// Saves go to `dir`, and the screenshot is written there.
HeadlessShot runBundleHeadless(const std::string& bundleName, int frames, const TempDir& dir);

// The pixel at (x, y), counted from the top left as the picture is seen,
// as 0xRRGGBB. (Picture::at replaces it.)
uint32_t rgbAt(const KVBitmap& picture, int x, int y);
