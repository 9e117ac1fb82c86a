// The scene graph's vocabulary: value types, port ids, node classes, colour.
// The script addresses ports and classes by these names and values.
#pragma once

#include <cstdint>

enum class SGPortValueType : int32_t {
    NIL = 0,
    STRING = 1,
    NUMBER = 2,
    INTEGER = 3,
    BOOLEAN = 4,
    COLOR = 5,
    SOUND = 6,
    IMAGE = 7,
    ASSETNAME = 8,  // a string that names an asset
};

// Identifies a port within its node; the same id is the same role on every
// node class that has it.
enum class SGPortID : int32_t {
    value = 0,
    input1 = 1,
    input2 = 2,
    operation = 3,
    output = 4,
    name = 5,
    asset = 6,
    color = 7,
    r = 8,
    g = 9,
    b = 10,
    a = 11,
    flipHorizontal = 12,
    flipVertical = 13,
    input = 14,
    near = 15,
    far = 16,
    viewRotation = 17,
    modelRotation = 18,
    time = 19,
    spawnParticles = 20,
    numParticles = 21,
    image = 22,
    direction = 23,
    lifetime = 24,
    lifestart = 25,
    colorTarget = 26,
    colorTransitionTime = 27,
    x = 28,
    y = 29,
    rotation = 30,
    size = 31,
    sizeTarget = 32,
    sizeTransitionTime = 33,
    gravityX = 34,
    gravityY = 35,
    speed = 36,
    angularVelocity = 37,
    blendingMode = 38,
    angle = 39,
    spacing = 40,
    copies = 41,
    gain = 42,
    sound = 43,
    dx = 44,
    dy = 45,
    sourceRelative = 46,
    volume = 47,
    pitch = 48,
    loop = 49,
    trigger = 50,
    stop = 51,
    pause = 52,
    resume = 53,
    playing = 54,
    width = 55,
    height = 56,
    horizontalWrapping = 57,
    verticalWrapping = 58,
    horizontalAnchor = 59,
    verticalAnchor = 60,
    tileWidth = 61,
    tileHeight = 62,
    text = 63,
    font = 64,
    fontSize = 65,
    alignment = 66,
    wrapX = 67,
    wrapY = 68,
    wrapWidth = 69,
    wrapHeight = 70,
    wrap = 71,
};

// The script's name of a port id ("x", "colorTarget"), or null for an id
// that names no port.
const char* SGPortIDName(int32_t id);

// One bit per node class; a node's flags are its class's bit ORed with its
// bases' bits. Bit 1 marks render nodes.
enum class SGNodeClass : uint32_t {
    attributeNode = 2,
    arithmeticNode = 4,
    assetLoaderNode = 8,
    clearNode = 16,
    colorNode = 32,
    imageLoaderNode = 64,
    ortho2DSpace = 128,
    particleSystemNode = 256,
    replicatorSpace = 512,
    space = 1024,
    spriteNode = 2048,
    soundListenerNode = 4096,
    soundLoaderNode = 8192,
    soundPlayerNode = 16384,
    stringToImageNode = 32768,
    wrapSpace = 65536,
    imageFlipNode = 131072,
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
