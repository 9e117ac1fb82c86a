#include "tests/support/HeadlessShot.h"

HeadlessShot runBundleHeadless(const std::string& bundleName, int frames, const TempDir& dir)
{
    const std::string player = std::string(KV_BUILD_DIR) + "/kelvane-player";
    const std::string bundle = std::string(KV_TEST_DATA_DIR) + "/bundles/" + bundleName;
    const std::string path = dir.file("shot.png");
    HeadlessShot result;
    result.run = runProgram({player, "--headless", "--fixed-step", "--frames", std::to_string(frames), "--save-dir",
                             dir.path(), "--screenshot", path, bundle});
    if (result.run.status == 0) {
        result.picture = Picture(path);
        result.shot = KVBitmap::loadFile(path, &result.error);
    }
    return result;
}

uint32_t rgbAt(const KVBitmap& picture, int x, int y)
{
    const uint8_t* p = picture.pixelAt(x, y);
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}
