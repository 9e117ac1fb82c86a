#include <gtest/gtest.h>

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/image/KVBitmap.h"
#include "platform/image/KVImageDecoder.h"
#include "tests/support/Picture.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kImages = std::string(KV_TEST_DATA_DIR) + "/images/";

void expectNear(const Rgba& actual, const Rgba& expected, int tolerance, const std::string& where)
{
    EXPECT_LE(std::max({std::abs(actual.r - expected.r), std::abs(actual.g - expected.g),
                        std::abs(actual.b - expected.b), std::abs(actual.a - expected.a)}),
              tolerance)
        << where << ": " << actual;
}

// A 4 x 2 bitmap: top row red, green, blue, white; bottom row all black
// but the last pixel, which is half-transparent grey.
KVBitmap smallPicture()
{
    KVBitmap b(4, 2);
    b.pixels() = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255,
                  0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 100, 100, 100, 128};
    return b;
}

// The pictures of tests/support/make-pictures (some tagged with Display P3:
// the sRGB curve with wider primaries), made once for these tests.
std::string picture(const std::string& name)
{
    static TempDir dir;
    static const ProgramResult made = [] {
        const cmsCIExyY white{0.3127, 0.3290, 1.0};
        const cmsCIExyYTRIPLE primaries{{0.680, 0.320, 1.0}, {0.265, 0.690, 1.0}, {0.150, 0.060, 1.0}};
        const cmsFloat64Number curve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
        cmsToneCurve* tone = cmsBuildParametricToneCurve(nullptr, 4, curve);
        cmsToneCurve* tones[3] = {tone, tone, tone};
        cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, tones);
        cmsSaveProfileToFile(profile, dir.file("p3.icc").c_str());
        cmsCloseProfile(profile);
        cmsFreeToneCurve(tone);
        const std::string tool = std::string(KV_TEST_DATA_DIR) + "/../support/make-pictures";
        return runProgram({tool, dir.path(), dir.file("p3.icc")});
    }();
    EXPECT_EQ(made.status, 0) << made.err;
    return dir.file(name);
}

}  // namespace

// Each file holds the quadrant picture (red, green / blue, yellow) the right
// way up, as its only picture or as its largest; the content decides the
// format, whatever the name says. The alpha variants have a transparent
// bottom-right quadrant.
TEST(KVBitmapFormats, EveryFormatGivesItsLargestPictureTheRightWayUp)
{
    struct Case {
        std::string path;
        int width, height, tolerance;
        bool alpha = false;
    };
    std::vector<Case> cases = {
        {"quad.psd", 32, 24, 0},         {"quad.jp2", 32, 24, 0},           {"quad.j2k", 32, 24, 0},
        {"quad-pages.tiff", 32, 24, 0},  {"quad-icons.ico", 32, 32, 0},     {"quad-icons.icns", 256, 256, 12},
        {"quad-old-icons.icns", 32, 32, 0}, {"quad.pdf", 32, 24, 12},       {"quad-png.jpg", 32, 24, 0},
        {"sides.tiff", 60, 24, 0},
    };
    for (Case& c : cases)
        c.path = picture(c.path);
    for (const std::string ext : {"png", "jpg", "gif", "interlaced.gif", "bmp", "tga", "tiff", "webp"})
        for (const bool alpha : {false, true})
            if (ext != "jpg" || !alpha)  // JPEG has no alpha
                cases.push_back({kImages + (alpha ? "quad-alpha." : "quad.") + ext, 8, 6, ext == "jpg" ? 12 : 0, alpha});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::string error;
        const KVBitmap b = KVBitmap::loadFile(c.path, &error);
        ASSERT_FALSE(b.empty()) << error;
        EXPECT_EQ(std::pair(b.width(), b.height()), std::pair(c.width, c.height));
        EXPECT_TRUE(c.width != 8 || b.hasAlpha() == c.alpha);
        // A quarter in from the corners (on the small pictures' left, away
        // from JPEG's ringing at the edge).
        const int left = c.width == 8 ? 1 : c.width / 4, top = c.height / 4;
        const int right = c.width * 3 / 4, bottom = c.height * 3 / 4;
        expectNear(Picture(b).at(left, top), {255, 0, 0, 255}, c.tolerance, "top left");
        expectNear(Picture(b).at(right, top), {0, 255, 0, 255}, c.tolerance, "top right");
        expectNear(Picture(b).at(left, bottom), {0, 0, 255, 255}, c.tolerance, "bottom left");
        if (c.alpha)
            EXPECT_EQ(Picture(b).at(right, bottom).a, 0) << "bottom right is transparent";
        else
            expectNear(Picture(b).at(right, bottom), {255, 255, 0, 255}, c.tolerance, "bottom right");
    }
}

// rgb(200, 150, 100) in Display P3 is rgb(209, 147, 91) in sRGB.
TEST(KVBitmapFormats, AnEmbeddedProfileIsConvertedToSRGB)
{
    for (const auto& [file, tolerance] : {std::pair{"tagged.png", 2}, {"tagged.jpg", 3}, {"tagged.tiff", 2},
                                          {"tagged.webp", 3}, {"untagged.png", 0}}) {
        std::string error;
        const KVBitmap b = KVBitmap::loadFile(picture(file), &error);
        ASSERT_FALSE(b.empty()) << file << ": " << error;
        const Rgba expected = tolerance ? Rgba{209, 147, 91, 255} : Rgba{200, 150, 100, 255};
        expectNear(Picture(b).at(1, 1), expected, tolerance, file);
    }
}

TEST(KVBitmap, UnreadableFilesGiveAnEmptyBitmapAndTheReason)
{
    for (const std::string name : {"empty.png", "not-an-image.png", "truncated.png", "no-such-file.png", ""}) {
        std::string error;
        EXPECT_TRUE(KVBitmap::loadFile(name.empty() ? name : kImages + name, &error).empty()) << name;
        EXPECT_FALSE(error.empty());
        EXPECT_NE(error.find(name), std::string::npos) << name << ": " << error;
    }
}

// A few damaged header bytes must not ask a decoder for gigabytes (nor
// reach a decoder's faults): each is refused, with the reason, before the
// picture is allocated.
TEST(KVBitmap, HeadersAskingForHugePicturesAreRefused)
{
    const auto bytes = [](const auto& literal, const std::string& rest) {
        return std::string(literal, sizeof literal - 1) + rest;
    };
    const std::string rle = bytes("\xff\x80\xff\x80\xff\x80\xff\x80\xff\x80\xff\x80\xff\x80\xef\x80", "");
    const struct {
        const char* name;
        std::string bytes;
        const char* reason;
    } cases[] = {
        // 8 x 30,867,456 pixels
        {"bmp", bytes("BM\xc6\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x08\0\0\0\0\0\xd7\x01\x01\0\x18\0",
                      std::string(24, '\0') + std::string(144, '\xff')), "too large"},
        // 100,000 x 100,000
        {"png", bytes("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\x01\x86\xa0\0\x01\x86\xa0\x08\x06\0\0\0\xa8\x52\x0b\xc8",
                      std::string(64, '\0')), "too large"},
        // 65,000 x 65,000
        {"jpeg", bytes("\xff\xd8\xff\xc0\0\x11\x08\xfd\xe8\xfd\xe8\x03\x01\x11\0\x02\x11\x01\x03\x11\x01",
                       std::string(64, '\0')), "too large"},
        // one 65,535 x 65,535 frame
        {"gif", bytes("GIF89a\x08\0\x06\0\0\0\0,\0\0\0\0\xff\xff\xff\xff\x80", std::string(6, '\0') + '\x02' + '\0' + ';'),
         "too large"},
        // 31 bytes declaring a 1 GiB header, which SDL would read past the end
        {"bmp-cut", bytes("BM\xc6\0\0(\0\0\xff\xff", std::string(15, 'A')) + bytes("\xff\x01\0\x08\0\0", ""),
         "cut short"},
        // a 32 x 32 icon (each channel's 1024 pixels in eight runs) whose
        // mask holds 16 of its 1024 bytes, which libicns would read past
        {"icns", bytes("icns\0\0\0\x58il32\0\0\0\x38", rle + rle + rle) + bytes("l8mk\0\0\0\x18", std::string(16, 'x')),
         "cut short"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_TRUE(KVImageDecoder::decode(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size(), c.name,
                                           &error).empty()) << c.name;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
    }
}

// Where the red top-left and the grey bottom-right pixel land; rotations
// go anticlockwise.
TEST(KVBitmap, FlipsAndRotationsMoveEveryPixel)
{
    const KVBitmap b = smallPicture();
    const Rgba grey{100, 100, 100, 128};
    const struct {
        const char* name;
        KVBitmap result;
        int width, height, redX, redY, greyX, greyY;
    } cases[] = {
        {"vertical", b.flippedVertically(), 4, 2, 0, 1, 3, 0},
        {"horizontal", b.flippedHorizontally(), 4, 2, 3, 0, 0, 1},
        {"quarter", b.rotatedBy(90.0f), 2, 4, 0, 3, 1, 0},
        {"half", b.rotatedBy(180.0f), 4, 2, 3, 1, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(std::pair(c.result.width(), c.result.height()), std::pair(c.width, c.height));
        EXPECT_EQ(Picture(c.result).at(c.redX, c.redY), (Rgba{255, 0, 0, 255}));
        expectNear(Picture(c.result).at(c.greyX, c.greyY), grey, 1, "grey");
    }

    // Any other angle: a box that holds the turned picture, empty corners.
    KVBitmap square(10, 10);
    std::fill(square.pixels().begin(), square.pixels().end(), 255);
    const KVBitmap turned = square.rotatedBy(45.0f);
    EXPECT_EQ(std::pair(turned.width(), turned.height()), std::pair(15, 15));  // 10 * sqrt(2) = 14.14, rounded up
    EXPECT_EQ(Picture(turned).at(0, 0).a, 0);
    EXPECT_EQ(Picture(turned).at(7, 7), (Rgba{255, 255, 255, 255}));
    EXPECT_TRUE(b.rotatedBy(NAN).empty());
    EXPECT_TRUE(KVBitmap().flippedVertically().empty());
}

TEST(KVBitmap, SavesPngAtomicallyAndReadsItBack)
{
    TempDir dir;
    const std::string path = dir.file("picture.png");
    writeFile(path, "old contents");
    const KVBitmap b = smallPicture();
    std::string error;
    ASSERT_TRUE(b.savePNG(path, &error)) << error;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary file left behind";
    const KVBitmap back = KVBitmap::loadFile(path, &error);
    ASSERT_FALSE(back.empty()) << error;
    EXPECT_TRUE(back.hasAlpha());
    EXPECT_EQ(back.pixels(), b.pixels());

    KVBitmap opaque = smallPicture();
    opaque.dropAlpha();
    ASSERT_TRUE(opaque.savePNG(path, &error)) << error;
    EXPECT_FALSE(KVBitmap::loadFile(path).hasAlpha());

    // A folder that does not exist: refused, and nothing is left behind.
    EXPECT_FALSE(b.savePNG(dir.file("missing/picture.png"), &error));
    EXPECT_NE(error.find("missing/picture.png"), std::string::npos) << error;
    EXPECT_FALSE(KVBitmap().savePNG(path, &error));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}
