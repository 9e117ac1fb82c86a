// The scene graph's vocabulary: value types, port ids, node classes, colour.
// The script addresses ports and classes by these names and values.
#pragma once

#include <cstdint>

// (The script sees them as scenegraph.NIL, STRING, NUMBER, ...)
enum SGPortValueType : int32_t {
    SGTypeNil = 0,
    SGTypeString = 1,
    SGTypeNumber = 2,
    SGTypeInteger = 3,
    SGTypeBoolean = 4,
    SGTypeColor = 5,
    SGTypeSound = 6,
    SGTypeImage = 7,
    SGTypeAssetName = 8,  // a string that names an asset
};

// Identifies a port within its node; the same id is the same role on every
// node class that has it.
enum SGPortID : int32_t {
    SGPortValue = 0,
    SGPortInput1 = 1,
    SGPortInput2 = 2,
    SGPortOperation = 3,
    SGPortOutput = 4,
    SGPortName = 5,
    SGPortAsset = 6,
    SGPortColor = 7,
    SGPortR = 8,
    SGPortG = 9,
    SGPortB = 10,
    SGPortA = 11,
    SGPortFlipHorizontal = 12,
    SGPortFlipVertical = 13,
    SGPortInput = 14,
    SGPortNear = 15,
    SGPortFar = 16,
    SGPortViewRotation = 17,
    SGPortModelRotation = 18,
    SGPortTime = 19,
    SGPortSpawnParticles = 20,
    SGPortNumParticles = 21,
    SGPortImage = 22,
    SGPortDirection = 23,
    SGPortLifetime = 24,
    SGPortLifestart = 25,
    SGPortColorTarget = 26,
    SGPortColorTransitionTime = 27,
    SGPortX = 28,
    SGPortY = 29,
    SGPortRotation = 30,
    SGPortSize = 31,
    SGPortSizeTarget = 32,
    SGPortSizeTransitionTime = 33,
    SGPortGravityX = 34,
    SGPortGravityY = 35,
    SGPortSpeed = 36,
    SGPortAngularVelocity = 37,
    SGPortBlendingMode = 38,
    SGPortAngle = 39,
    SGPortSpacing = 40,
    SGPortCopies = 41,
    SGPortGain = 42,
    SGPortSound = 43,
    SGPortDx = 44,
    SGPortDy = 45,
    SGPortSourceRelative = 46,
    SGPortVolume = 47,
    SGPortPitch = 48,
    SGPortLoop = 49,
    SGPortTrigger = 50,
    SGPortStop = 51,
    SGPortPause = 52,
    SGPortResume = 53,
    SGPortPlaying = 54,
    SGPortWidth = 55,
    SGPortHeight = 56,
    SGPortHorizontalWrapping = 57,
    SGPortVerticalWrapping = 58,
    SGPortHorizontalAnchor = 59,
    SGPortVerticalAnchor = 60,
    SGPortTileWidth = 61,
    SGPortTileHeight = 62,
    SGPortText = 63,
    SGPortFont = 64,
    SGPortFontSize = 65,
    SGPortAlignment = 66,
    SGPortWrapX = 67,
    SGPortWrapY = 68,
    SGPortWrapWidth = 69,
    SGPortWrapHeight = 70,
    SGPortWrap = 71,
};

// The script's name of a port id ("x", "colorTarget"), or null for an id
// that names no port.
const char* SGPortIDName(int32_t id);

// One bit per node class; a node's flags are its class's bit ORed with its
// bases' bits. Bit 1 marks render nodes.
// (The script sees them as scenegraph.spriteNode, scenegraph.space, ...)
enum SGNodeClass : uint32_t {
    SGRenderNodeClass = 1,
    SGAttributeNodeClass = 2,
    SGArithmeticNodeClass = 4,
    SGAssetLoaderNodeClass = 8,
    SGClearNodeClass = 16,
    SGColorNodeClass = 32,
    SGImageLoaderNodeClass = 64,
    SGOrtho2DSpaceClass = 128,
    SGParticleSystemNodeClass = 256,
    SGReplicatorSpaceClass = 512,
    SGSpaceClass = 1024,
    SGSpriteNodeClass = 2048,
    SGSoundListenerNodeClass = 4096,
    SGSoundLoaderNodeClass = 8192,
    SGSoundPlayerNodeClass = 16384,
    SGStringToImageNodeClass = 32768,
    SGWrapSpaceClass = 65536,
    SGImageFlipNodeClass = 131072,
};

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
