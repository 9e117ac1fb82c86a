// How a sprite or particle system mixes with what is already drawn (the
// blendingMode port).
#pragma once

#include <cstdint>

enum SGBlendMode : int32_t {
    SGBlendNormal = 0,       // over: source, one minus source alpha
    SGBlendReplace = 1,      // one, zero
    SGBlendAdd = 2,          // source, one
    SGBlendScreen = 3,       // source, one minus source colour
    SGBlendMultiply = 4,     // zero, source colour
};

// The blend function's factors for the mode; a value that is none of the
// above blends as SGBlendNormal. The source factor of the modes that scale
// the source is GL_ONE for a premultiplied draw and GL_SRC_ALPHA otherwise.
void SGBlendFactors(SGBlendMode mode, int premultiplied, uint32_t* source, uint32_t* destination);
// Sets glBlendFunc to those factors.
void SGSetBlendMode(SGBlendMode mode, int premultiplied);
