#include "engine/scenegraph/nodes/SGParticleSystemNode.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "engine/scenegraph/SGBlendMode.h"
#include "platform/gl/KVQuadBatch.h"

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;

}  // namespace

float SGScaleRandom(long r, float a, float b)
{
    const float lo = std::min(a, b);
    const float hi = std::max(a, b);
    // 2^31 + 1 keeps the double below hi, but rounding to float can reach
    // it for the largest values of r: those take the float just below.
    const float value = static_cast<float>((static_cast<double>(hi) - lo) * (r / 2147483649.0) + lo);
    return (value >= hi && hi > lo) ? std::nextafter(hi, lo) : value;
}

float randFloat(float a, float b)
{
    return SGScaleRandom(rand(), a, b);
}

float interpolate(float from, float to, float duration, float t)
{
    const float d = to - from;
    const float x = d / duration * t;
    // fmin and fmax ignore a NaN operand: 0 / 0 with d = 0 stays at `from`.
    const float step = d < 0.0f ? std::fmax(x, d) : std::fmin(x, d);
    return from + step;
}

SGParticleSystemNode::SGParticleSystemNode() : SGRenderNode(SGNodeClass::particleSystemNode)
{
    addInputPort(&time, SGPortValueType::NUMBER);
    addInputPort(&spawnParticles, SGPortValueType::BOOLEAN);
    addInputPort(&numParticles, SGPortValueType::INTEGER);
    addInputPort(&image, SGPortValueType::IMAGE);
    addInputPort(&direction, SGPortValueType::NUMBER);
    addInputPort(&lifetime, SGPortValueType::NUMBER);
    addInputPort(&lifestart, SGPortValueType::NUMBER);
    addInputPort(&color, SGPortValueType::COLOR);
    addInputPort(&colorTarget, SGPortValueType::COLOR);
    addInputPort(&colorTransitionTime, SGPortValueType::NUMBER);
    addInputPort(&x, SGPortValueType::NUMBER);
    addInputPort(&y, SGPortValueType::NUMBER);
    addInputPort(&rotation, SGPortValueType::NUMBER);
    addInputPort(&size, SGPortValueType::NUMBER);
    addInputPort(&sizeTarget, SGPortValueType::NUMBER);
    addInputPort(&sizeTransitionTime, SGPortValueType::NUMBER);
    addInputPort(&gravityX, SGPortValueType::NUMBER);
    addInputPort(&gravityY, SGPortValueType::NUMBER);
    addInputPort(&speed, SGPortValueType::NUMBER);
    addInputPort(&angularVelocity, SGPortValueType::NUMBER);
    addInputPort(&blendingMode, SGPortValueType::INTEGER);
}

SGParticleSystemNode::~SGParticleSystemNode() = default;

SGPort* SGParticleSystemNode::portForID(SGPortID id)
{
    switch (id) {
    case SGPortID::time: return &time;
    case SGPortID::spawnParticles: return &spawnParticles;
    case SGPortID::numParticles: return &numParticles;
    case SGPortID::image: return &image;
    case SGPortID::direction: return &direction;
    case SGPortID::lifetime: return &lifetime;
    case SGPortID::lifestart: return &lifestart;
    case SGPortID::color: return &color;
    case SGPortID::colorTarget: return &colorTarget;
    case SGPortID::colorTransitionTime: return &colorTransitionTime;
    case SGPortID::x: return &x;
    case SGPortID::y: return &y;
    case SGPortID::rotation: return &rotation;
    case SGPortID::size: return &size;
    case SGPortID::sizeTarget: return &sizeTarget;
    case SGPortID::sizeTransitionTime: return &sizeTransitionTime;
    case SGPortID::gravityX: return &gravityX;
    case SGPortID::gravityY: return &gravityY;
    case SGPortID::speed: return &speed;
    case SGPortID::angularVelocity: return &angularVelocity;
    case SGPortID::blendingMode: return &blendingMode;
    default: return nullptr;
    }
}

void SGParticleSystemNode::compute()
{
    setDirty(false);
    if (!allocated_) {
        allocateParticles();
        updateParticleSystem();
        generateParticles();
    } else {
        updateParticleSystem();
    }
    const float t = time.numberValue();
    refreshParticles(t);
    renderAtTime(t);
}

void SGParticleSystemNode::allocateParticles()
{
    // Whatever the count, this happens once: the pool is never resized.
    allocated_ = true;
    const int count = numParticles.intValue();
    if (count > kMaxParticles)
        fprintf(stderr, "particleSystemNode: numParticles %d is more than %d; the system draws nothing\n", count,
                kMaxParticles);
    else if (count > 0)
        particles_.assign(static_cast<size_t>(count), SGParticle{});
    lifestart_ = lifestart.numberValue();
}

void SGParticleSystemNode::updateParticleSystem()
{
    // The ports written since the last frame and those another node feeds;
    // the rest still hold what was read before.
    const uint32_t changed = takeChangedPorts();
    auto read = [changed](SGNumberPort& port, float& value) {
        if (port.needsReading(changed))
            value = port.numberValue();
    };
    read(x, x_);
    read(y, y_);
    read(rotation, rotation_);
    read(lifetime, lifetime_);
    if (image.needsReading(changed))
        image_ = image.imageValue();
    read(direction, direction_);
    if (color.needsReading(changed))
        color_ = color.colorValue();
    if (colorTarget.needsReading(changed))
        colorTarget_ = colorTarget.colorValue();
    read(colorTransitionTime, colorTransitionTime_);
    read(size, size_);
    read(sizeTarget, sizeTarget_);
    read(sizeTransitionTime, sizeTransitionTime_);
    read(gravityX, gravityX_);
    read(gravityY, gravityY_);
    read(speed, speed_);
    read(angularVelocity, angularVelocity_);
}

void SGParticleSystemNode::generateParticles()
{
    // Due times spread over [0, lifestart]; none is set up before its first
    // rebirth, so a system that never spawns draws nothing.
    for (SGParticle& particle : particles_) {
        particle.birth = randFloat(0.0f, lifestart_);
        particle.setUp = 0;
    }
}

void SGParticleSystemNode::randomizeParticle(SGParticle* p)
{
    p->life = randFloat(0.5f * lifetime_, lifetime_);
    const float a = static_cast<float>(direction_ * kRadiansPerDegree);
    p->vx = std::cos(a) * speed_;
    p->vy = std::sin(a) * speed_;
    p->width = p->height = size_;
    p->targetWidth = p->targetHeight = sizeTarget_;
    p->angularVelocity = angularVelocity_;
    p->rotation = rotation_;
    p->x0 = x_;
    p->y0 = y_;
    p->colorTransitionTime = colorTransitionTime_;
    p->setUp = 1;
}

void SGParticleSystemNode::refreshParticles(float t)
{
    // A dead particle is born again at the first frame after its death,
    // from the emitter as it is now; without spawning the living ones just
    // finish their lives.
    if (!spawnParticles.boolValue())
        return;
    for (SGParticle& particle : particles_)
        if (t > particle.birth + particle.life) {
            particle.birth = t;
            randomizeParticle(&particle);
        }
}

void SGParticleSystemNode::renderAtTime(float t)
{
    const SGBlendMode mode = static_cast<SGBlendMode>(blendingMode.intValue());
    const bool textured = image_.textureWidth >= 1;
    const bool premultiplied = textured && image_.premultiplied != 0;
    uint32_t source = 0, destination = 0;
    SGBlendFactors(mode, premultiplied ? 1 : 0, &source, &destination);
    const uint32_t texture = textured ? image_.texture : 0;
    KVQuadBatch& batch = KVQuadBatch::current();

    for (SGParticle& p : particles_) {
        const float age = t - p.birth;
        if (!(age > 0.0f && age < p.life))
            continue;
        if (!p.setUp)
            randomizeParticle(&p);

        const float width = interpolate(p.width, p.targetWidth, sizeTransitionTime_, age);
        const float height = interpolate(p.height, p.targetHeight, sizeTransitionTime_, age);
        float r = interpolate(color_.r, colorTarget_.r, p.colorTransitionTime, age);
        float g = interpolate(color_.g, colorTarget_.g, p.colorTransitionTime, age);
        float b = interpolate(color_.b, colorTarget_.b, p.colorTransitionTime, age);
        const float a = interpolate(color_.a, colorTarget_.a, p.colorTransitionTime, age);
        if (premultiplied) {
            r *= a;
            g *= a;
            b *= a;
        }
        batch.setStyle(texture, source, destination, r, g, b, a);

        const KVQuadTransform t = KVQuadTransform::make(p.x0 + (p.vx + 0.5f * gravityX_ * age) * age,
                                                        p.y0 + (p.vy + 0.5f * gravityY_ * age) * age,
                                                        p.angularVelocity * age + p.rotation);
        drawParticle(batch, t, width, height, image_.rect);
    }
}

void SGParticleSystemNode::drawParticle(KVQuadBatch& batch, const KVQuadTransform& t, const float& width,
                                        const float& height, const SGTextureRect& rect)
{
    const float hw = width * 0.5f, hh = height * 0.5f;
    const float corners[16] = {-hw, -hh, rect.x0, rect.y0, hw, -hh, rect.x1, rect.y0,
                               -hw, hh,  rect.x0, rect.y1, hw, hh,  rect.x1, rect.y1};
    batch.addQuad(t, corners);
}
