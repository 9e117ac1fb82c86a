// A fixed pool of flat or textured quads emitted from a point. Each particle
// lives a randomised lifetime on a ballistic path, spinning and changing
// size and colour linearly towards targets. Everything is evaluated in
// closed form from the time port, so the same time draws the same picture;
// the script animates the system by setting that port.
#pragma once

#include <vector>

#include "engine/scenegraph/SGRenderNode.h"
#include "engine/scenegraph/nodes/SGParticle.h"
#include "engine/scenegraph/ports/SGBooleanPort.h"
#include "engine/scenegraph/ports/SGColorPort.h"
#include "engine/scenegraph/ports/SGImagePort.h"
#include "engine/scenegraph/ports/SGIntegerPort.h"
#include "engine/scenegraph/ports/SGNumberPort.h"

class KVQuadBatch;
struct KVQuadTransform;

// A number in [min(a, b), max(a, b)) from the process's rand() stream, which
// all particle systems share; nothing here seeds it.
float randFloat(float a, float b);
// randFloat's scaling of one rand() value r (0 to RAND_MAX).
float SGScaleRandom(long r, float a, float b);
// Moves linearly from `from` at t = 0 to `to` at t = duration and stays
// there. A duration of 0 gives `to` at once (or `from` when they are equal).
float interpolate(float from, float to, float duration, float t);

class SGParticleSystemNode : public SGRenderNode {
public:
    // More particles than this are refused: the pool is allocated whole and
    // walked every frame.
    static constexpr int kMaxParticles = 1 << 20;

    SGParticleSystemNode();
    ~SGParticleSystemNode() override;

    // Allocates the pool at the first frame, reads the ports, brings dead
    // particles back while spawning, and draws the living ones.
    void compute() override;
    SGPort* portForID(SGPortID id) override;

    // Empty until the first frame, and for good when numParticles was 0 or
    // less then.
    const std::vector<SGParticle>& particles() const { return particles_; }

    SGNumberPort time;
    SGBooleanPort spawnParticles;
    SGIntegerPort numParticles;  // read once, at the first frame
    SGImagePort image;
    SGNumberPort direction;  // degrees
    SGNumberPort lifetime;
    SGNumberPort lifestart;  // read once, at the first frame
    SGColorPort color;
    SGColorPort colorTarget;
    SGNumberPort colorTransitionTime;
    SGNumberPort x;
    SGNumberPort y;
    SGNumberPort rotation;  // degrees
    SGNumberPort size;
    SGNumberPort sizeTarget;
    SGNumberPort sizeTransitionTime;
    SGNumberPort gravityX;
    SGNumberPort gravityY;
    SGNumberPort speed;
    SGNumberPort angularVelocity;  // degrees per time unit
    SGIntegerPort blendingMode;

private:
    void allocateParticles();
    void updateParticleSystem();
    void generateParticles();
    void refreshParticles(float t);
    void renderAtTime(float t);
    void randomizeParticle(SGParticle* particle);
    static void drawParticle(KVQuadBatch& batch, const KVQuadTransform& transform, const float& width,
                             const float& height, const SGTextureRect& rect);

    std::vector<SGParticle> particles_;
    bool allocated_ = false;  // the count is read once, whatever it was
    // The ports as read at this frame (lifestart at the first).
    float x_ = 0.0f;
    float y_ = 0.0f;
    float rotation_ = 0.0f;
    float lifetime_ = 0.0f;
    float lifestart_ = 0.0f;
    SGImage image_;
    float direction_ = 0.0f;
    SGColor color_;
    SGColor colorTarget_;
    float colorTransitionTime_ = 0.0f;
    float size_ = 0.0f;
    float sizeTarget_ = 0.0f;
    float sizeTransitionTime_ = 0.0f;
    float gravityX_ = 0.0f;
    float gravityY_ = 0.0f;
    float speed_ = 0.0f;
    float angularVelocity_ = 0.0f;
};
