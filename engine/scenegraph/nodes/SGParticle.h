// One particle of a particle system: what it was given when it was (re)born.
// Where it is and how it looks at a moment follow in closed form from these
// and its age.
#pragma once

#include <cstdint>

struct SGParticle {
    float vx = 0.0f;  // initial velocity
    float vy = 0.0f;
    float x0 = 0.0f;  // the emitter's position when the particle was set up
    float y0 = 0.0f;
    float angularVelocity = 0.0f;  // degrees per time unit
    float birth = 0.0f;
    float life = 0.0f;
    float width = 0.0f;  // size at birth
    float height = 0.0f;
    float targetWidth = 0.0f;
    float targetHeight = 0.0f;
    float rotation = 0.0f;  // degrees at birth
    float colorTransitionTime = 0.0f;
    int32_t setUp = 0;  // 1 once it has been randomised
};
