// Text tests draw in the GL fixture, which pins the player's fonts.
#pragma once

#include "tests/platform/gl/GLTestContext.h"

using TextGLTest = GLTest;
