// A test bundle of tests/data/bundles played headless by the built player
// for a number of fixed-step frames, with its last frame kept as a picture.
#pragma once

#include <cstdint>
#include <string>

#include "platform/image/KVBitmap.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

struct HeadlessShot {
    ProgramResult run;
    KVBitmap shot;      // empty when the player wrote none
    std::string error;  // why the picture could not be read
};

// Saves go to `dir`, and the screenshot is written there.
HeadlessShot runBundleHeadless(const std::string& bundleName, int frames, const TempDir& dir);

// The pixel at (x, y), counted from the top left as the picture is seen,
// as 0xRRGGBB.
uint32_t rgbAt(const KVBitmap& picture, int x, int y);
