// A loaded image or sound, counted by the handles that show it.
#pragma once

#include <cstdint>
#include <string>

class KVIAsset {
public:
    // The file the asset was loaded from.
    virtual const std::string& getResourceLocator() const = 0;
    virtual uint32_t getReferenceCount() const = 0;
    virtual void retain() = 0;
    virtual void release() = 0;
    // Frees what the asset loaded; run by the destructors.
    virtual void freeAsset() = 0;
    virtual ~KVIAsset() = default;
};
