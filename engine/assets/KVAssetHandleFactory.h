// Marks the assets that hand out handles (texture and sound assets).
#pragma once

class KVAssetHandleFactory {
};
