#include "engine/scenegraph/SGTypes.h"

namespace {

const char* const portNames[] = {
    "value", "input1", "input2", "operation", "output", "name", "asset", "color", "r", "g",
    "b", "a", "flipHorizontal", "flipVertical", "input", "near", "far", "viewRotation", "modelRotation", "time",
    "spawnParticles", "numParticles", "image", "direction", "lifetime", "lifestart", "colorTarget",
    "colorTransitionTime", "x", "y", "rotation", "size", "sizeTarget", "sizeTransitionTime", "gravityX",
    "gravityY", "speed", "angularVelocity", "blendingMode", "angle", "spacing", "copies", "gain", "sound", "dx",
    "dy", "sourceRelative", "volume", "pitch", "loop", "trigger", "stop", "pause", "resume", "playing",
    "width", "height", "horizontalWrapping", "verticalWrapping", "horizontalAnchor", "verticalAnchor",
    "tileWidth", "tileHeight", "text", "font", "fontSize", "alignment", "wrapX", "wrapY", "wrapWidth",
    "wrapHeight", "wrap",
};

static_assert(sizeof portNames / sizeof portNames[0] == static_cast<int>(SGPortID::wrap) + 1, "one name per port id");

}  // namespace

const char* SGPortIDName(int32_t id)
{
    if (id < 0 || id > static_cast<int32_t>(SGPortID::wrap))
        return nullptr;
    return portNames[id];
}
