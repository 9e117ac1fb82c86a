// The scene graph's vocabulary: value types, port ids, node classes, colour.
#pragma once

#include <cstdint>

// The lists below are the one place each vocabulary is written: they make
// the enums, the port names and the scenegraph module's constants. Scripts
// see every name and value, so none may change.

// X(name, value): what a port holds. ASSETNAME is a string that names an asset.
#define SG_PORT_VALUE_TYPES(X) \
    X(NIL, 0) X(STRING, 1) X(NUMBER, 2) X(INTEGER, 3) X(BOOLEAN, 4) \
    X(COLOR, 5) X(SOUND, 6) X(IMAGE, 7) X(ASSETNAME, 8)

enum class SGPortValueType : int32_t {
#define SG_ENUM_ENTRY(name, value) name = value,
    SG_PORT_VALUE_TYPES(SG_ENUM_ENTRY)
};

// X(name, id): identifies a port within its node; the same id is the same
// role on every node class that has it. The name is the script's key.
#define SG_PORT_IDS(X) \
    X(value, 0) X(input1, 1) X(input2, 2) X(operation, 3) X(output, 4) \
    X(name, 5) X(asset, 6) X(color, 7) X(r, 8) X(g, 9) \
    X(b, 10) X(a, 11) X(flipHorizontal, 12) X(flipVertical, 13) X(input, 14) \
    X(near, 15) X(far, 16) X(viewRotation, 17) X(modelRotation, 18) X(time, 19) \
    X(spawnParticles, 20) X(numParticles, 21) X(image, 22) X(direction, 23) X(lifetime, 24) \
    X(lifestart, 25) X(colorTarget, 26) X(colorTransitionTime, 27) X(x, 28) X(y, 29) \
    X(rotation, 30) X(size, 31) X(sizeTarget, 32) X(sizeTransitionTime, 33) X(gravityX, 34) \
    X(gravityY, 35) X(speed, 36) X(angularVelocity, 37) X(blendingMode, 38) X(angle, 39) \
    X(spacing, 40) X(copies, 41) X(gain, 42) X(sound, 43) X(dx, 44) \
    X(dy, 45) X(sourceRelative, 46) X(volume, 47) X(pitch, 48) X(loop, 49) \
    X(trigger, 50) X(stop, 51) X(pause, 52) X(resume, 53) X(playing, 54) \
    X(width, 55) X(height, 56) X(horizontalWrapping, 57) X(verticalWrapping, 58) X(horizontalAnchor, 59) \
    X(verticalAnchor, 60) X(tileWidth, 61) X(tileHeight, 62) X(text, 63) X(font, 64) \
    X(fontSize, 65) X(alignment, 66) X(wrapX, 67) X(wrapY, 68) X(wrapWidth, 69) \
    X(wrapHeight, 70) X(wrap, 71)

enum class SGPortID : int32_t {
    SG_PORT_IDS(SG_ENUM_ENTRY)
};

// The script's name of a port id ("x", "colorTarget"), or null for an id
// that names no port.
const char* SGPortIDName(int32_t id);

// X(name, bit): one bit per node class; a node's flags are its class's bit
// ORed with its bases' bits. Bit 1 marks render nodes.
#define SG_NODE_CLASSES(X) \
    X(attributeNode, 2) X(arithmeticNode, 4) X(assetLoaderNode, 8) X(clearNode, 16) \
    X(colorNode, 32) X(imageLoaderNode, 64) X(ortho2DSpace, 128) X(particleSystemNode, 256) \
    X(replicatorSpace, 512) X(space, 1024) X(spriteNode, 2048) X(soundListenerNode, 4096) \
    X(soundLoaderNode, 8192) X(soundPlayerNode, 16384) X(stringToImageNode, 32768) X(wrapSpace, 65536) \
    X(imageFlipNode, 131072)

enum class SGNodeClass : uint32_t {
    SG_NODE_CLASSES(SG_ENUM_ENTRY)
#undef SG_ENUM_ENTRY
};

// Marks render nodes; no class of its own.
constexpr uint32_t SGRenderNodeFlag = 1;

// Class flags are built by ORing class bits.
constexpr uint32_t operator|(SGNodeClass a, SGNodeClass b)
{
    return static_cast<uint32_t>(a) | static_cast<uint32_t>(b);
}
constexpr uint32_t operator|(uint32_t a, SGNodeClass b)
{
    return a | static_cast<uint32_t>(b);
}

struct SGColor {
    float r = 1.0f;
    float g = 1.0f;
    float b = 1.0f;
    float a = 1.0f;
};

inline bool operator==(const SGColor& x, const SGColor& y)
{
    return x.r == y.r && x.g == y.g && x.b == y.b && x.a == y.a;
}
inline bool operator!=(const SGColor& x, const SGColor& y) { return !(x == y); }
