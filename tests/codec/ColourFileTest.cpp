// Real files of every kind written to disk and read back through the one entry point; saving,
// with the format by the name and a failed save that leaves the old file as it was.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <tiffio.h>
#include <unistd.h>

#include <cstdlib>
#include <numeric>

#include "CodecFixtures.h"
#include "codec/JpegFile.h"
#include "codec/ResultExif.h"
#include "codec/RowWriter.h"

namespace vesta {
namespace {

using ColourFileTest = test::CodecTest;

// Lossless formats must give back every sample, both bytes of 16-bit ones (byte order), rows
// in order (a bottom-first format read upside down), padded rows (an odd width), and the
// profile. A bitmap holds 8-bit colour: grey is expanded, 16 bits rounded as every 8-bit output
// rounds them.
TEST_F(ColourFileTest, LosslessFormatsGiveBackEverySampleAndTheProfile) {
    struct Case {
        std::string name;
        int channels, bits;
        TiffCompression compression = TiffCompression::Deflate;
    };
    for (const Case& c :
         {Case{"a.png", 1, 8}, Case{"b.png", 3, 16}, Case{"c.tif", 3, 16, TiffCompression::Lzw},
          Case{"d.TIFF", 1, 8}, Case{"e.bmp", 3, 8}}) {
        ColourImage image = test::patternImage(37, 23, c.channels, c.bits);
        ColourWriteOptions options;
        options.tiffCompression = c.compression;
        if (c.name != "e.bmp") {
            image.iccProfile = test::smallIccProfile(c.channels == 1);
        }
        const ColourImage got = read(save(c.name, image, options)).image;
        EXPECT_TRUE(got.width == image.width && got.height == image.height &&
                    got.channels == image.channels && got.bitsPerChannel == image.bitsPerChannel &&
                    got.samples8 == image.samples8 && got.samples16 == image.samples16 &&
                    got.iccProfile == image.iccProfile)
            << c.name;
    }
    const ColourImage grey = test::patternImage(5, 3, 1, 16);
    std::vector<std::uint8_t> eight(grey.samples16.size()), want;
    roundTo8Bits(grey.samples16.data(), eight.size(), eight.data());
    for (const std::uint8_t v : eight) {
        want.insert(want.end(), {v, v, v});
    }
    EXPECT_EQ(read(save("f.BMP", grey)).image.samples8, want);
}

// (Its profile is kept as the large profiles' test shows.)
TEST_F(ColourFileTest, JpegKeepsThePhotographWithinItsLoss) {
    for (int channels : {1, 3}) {
        // A smooth picture, which JPEG keeps closely.
        ColourImage image{64, 40, channels, 8, {}, {}, {}, {}};
        for (int i = 0; i < 64 * 40 * channels; ++i) {
            const int x = i / channels % 64, y = i / channels / 64;
            image.samples8.push_back(std::uint8_t((x * 3 + y * 2 + i % channels * 60) % 256));
        }
        const CameraPhoto photo = read(save("a.jpg", image));
        ASSERT_EQ(photo.image.samples8.size(), image.samples8.size());
        const double error = std::transform_reduce(image.samples8.begin(), image.samples8.end(),
                                                   photo.image.samples8.begin(), 0.0, std::plus<>(),
                                                   [](int a, int b) { return std::abs(a - b); });
        EXPECT_LT(error / double(image.samples8.size()), 1.5) << channels;
    }
    // 16-bit input is rounded to 8 bits: 33036 is 128.55 and 33024 is 128.498, where dropping
    // the low byte would give 129 for both and truncating 128 for both.
    for (const auto& [value, expected] : {std::pair{33036, 129}, std::pair{33024, 128}}) {
        ColourImage deep = test::patternImage(16, 16, 3, 16);
        deep.samples16.assign(deep.samples16.size(), std::uint16_t(value));
        const CameraPhoto photo = read(save("b.JPEG", deep));
        ASSERT_EQ(photo.image.samples8.size(), deep.samples16.size());
        EXPECT_EQ(photo.image.samples8[100], expected) << value;
    }
}

// The upright photograph is 3 x 2 blocks numbered 1 2 3 / 4 5 6 from the top left. For each
// orientation the camera stored the blocks as the EXIF definition of the tag says: row 0 of the
// file is the upright photograph's top, bottom, left or right side, column 0 its left, right,
// top or bottom side.
TEST_F(ColourFileTest, EveryExifOrientationShowsThePhotographUpright) {
    struct Stored {
        int orientation, columns, rows;
        std::vector<int> blocks;
    };
    const std::vector<Stored> cases = {
        {1, 3, 2, {1, 2, 3, 4, 5, 6}}, {2, 3, 2, {3, 2, 1, 6, 5, 4}}, {3, 3, 2, {6, 5, 4, 3, 2, 1}},
        {4, 3, 2, {4, 5, 6, 1, 2, 3}}, {5, 2, 3, {1, 4, 2, 5, 3, 6}}, {6, 2, 3, {3, 6, 2, 5, 1, 4}},
        {7, 2, 3, {6, 3, 5, 2, 4, 1}}, {8, 2, 3, {4, 1, 5, 2, 6, 3}},
    };
    // The stored blocks, `side` pixels square, each showing its level (40 .. 240) in red.
    const auto storedImage = [](const Stored& s, int side) {
        ColourImage stored{s.columns * side, s.rows * side, 3, 8, {}, {}, {}, {}};
        for (int i = 0; i < stored.width * stored.height; ++i) {
            const int block = s.blocks[std::size_t(i / stored.width / side * s.columns +
                                                   i % stored.width / side)];
            stored.samples8.insert(stored.samples8.end(), {std::uint8_t(40 * block), 100, 50});
        }
        return stored;
    };
    const auto expectBlocks = [&](const ColourImage& image, int side, int near,
                                  const std::string& what) {
        ASSERT_TRUE(image.width == 3 * side && image.height == 2 * side)
            << what << ": " << image.width << " x " << image.height;
        for (int block = 1; block <= 6; ++block) {
            const int cx = (block - 1) % 3 * side + side / 2,
                      cy = (block - 1) / 3 * side + side / 2;
            EXPECT_NEAR(image.samples8[(std::size_t(cy) * image.width + cx) * 3], 40 * block, near)
                << what << " block " << block;
        }
    };
    for (const Stored& s : cases) {
        const auto exif =
            test::exifBlock({.orientation = s.orientation, .bigEndian = s.orientation % 2 == 1});
        const std::string what = "orientation " + std::to_string(s.orientation);
        const auto jpeg = test::withExifSegment(saved("a.jpg", storedImage(s, 16)), exif);
        expectBlocks(read(put("oriented.jpg", jpeg)).image, 16, 6, what);
        // The first view, a quarter of the size, is turned the same way: each block in its place.
        const auto view = decodeJpegFirstView(jpeg.data(), jpeg.size(), 12, 8);
        ASSERT_TRUE(view.ok()) << what << ": " << view.error();
        EXPECT_TRUE(view.value().width == 48 && view.value().height == 32) << what;
        expectBlocks(view.value().image, 4, 8, what + " first view");
        // The JPEG reader turns the rows while decoding, the others after: a PNG with the same
        // stored blocks in its eXIf chunk must come out the same, to the last pixel.
        const auto png = saved("a.png", storedImage(s, 1));
        expectBlocks(read(put("oriented.png", test::withExifChunk(png, exif))).image, 1, 0,
                     what + " PNG");
    }
}

// A first view is reduced by the most (8, 4 or 2) that still leaves it at least as large as the
// view it is shown at: a coarser one would show the photograph blurred, then sharp. Where the
// view takes more than half the photograph no reduction is worth a second decoding.
TEST_F(ColourFileTest, AJpegsFirstViewIsTheMostReducedTheViewStillOnlyReduces) {
    const auto bytes = saved("a.jpg", test::patternImage(400, 300, 3, 8));
    // The view's width and height, then the first view's; 0 where none is made.
    for (const auto& [viewWidth, viewHeight, width, height] :
         {std::tuple{50.0, 40.0, 50, 38}, std::tuple{100.0, 75.0, 100, 75},
          std::tuple{101.0, 80.0, 200, 150}, std::tuple{210.0, 500.0, 0, 0}}) {
        const auto view = decodeJpegFirstView(bytes.data(), bytes.size(), viewWidth, viewHeight);
        const ColourImage none;
        const ColourImage& got = view.ok() ? view.value().image : none;
        EXPECT_EQ(std::pair(got.width, got.height), std::pair(width, height)) << viewWidth;
    }
}

// Tiles that overhang the image, one plane a channel, 16 bits, LZW, turned half round by the
// Orientation tag.
TEST_F(ColourFileTest, TiffTilesPlanesAndOrientation) {
    const auto path = dir / "tiled.tif";
    constexpr int kWidth = 40, kHeight = 20;
    auto sample = [](int x, int y, int c) { return std::uint16_t(x * 1500 + y * 3 + c * 20000); };
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_SEPARATE);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_BOTRIGHT);
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
    std::vector<std::uint16_t> tile(16 * 16);
    // Three planes of 2 x 3 tiles, the last row and column of tiles overhanging.
    for (int t = 0; t < 18; ++t) {
        const int c = t / 6, ty = t / 3 % 2 * 16, tx = t % 3 * 16;
        for (int i = 0; i < 256; ++i) {
            tile[std::size_t(i)] = sample(tx + i % 16, ty + i / 16, c);
        }
        TIFFWriteTile(tif, tile.data(), std::uint32_t(tx), std::uint32_t(ty), 0, std::uint16_t(c));
    }
    TIFFClose(tif);
    std::vector<std::uint16_t> upright;
    for (int i = 0; i < kWidth * kHeight * 3; ++i) {
        upright.push_back(sample(kWidth - 1 - i / 3 % kWidth, kHeight - 1 - i / 3 / kWidth, i % 3));
    }
    EXPECT_EQ(read(path).image.samples16, upright);
}

// A write that does not reach the disk must never pass for a saved file. The format a result is
// saved in is the last extension's (in any case, as the names above show).
TEST_F(ColourFileTest, AFailedSaveLeavesTheOldFileAndNoTemporary) {
    const auto target = dir / "result.png";
    test::writeBytes(target, {'o', 'l', 'd'});

    // An image the format cannot hold, a missing folder or a name of no known format (told the
    // extensions that are known): the writer's reason, the old file whole and nothing beside it.
    const ColourImage empty;  // no pixels
    const ColourImage small = test::patternImage(2, 2, 3, 8);
    EXPECT_NE(saveColourImage(target.string(), empty), "");
    EXPECT_NE(saveColourImage((dir / "no" / "such.png").string(), small), "");
    for (const char* name : {"a.gif", "a.png.txt", "png"}) {
        EXPECT_NE(saveColourImage((dir / name).string(), small).find(".tiff"), std::string::npos)
            << name;
    }
    EXPECT_EQ(test::namesIn(dir.path()), std::vector<std::string>{"result.png"});
    EXPECT_EQ(test::readBytes(target), (std::vector<std::uint8_t>{'o', 'l', 'd'}));

    EXPECT_EQ(saveColourImage(target.string(), small), "");
    EXPECT_EQ(test::readBytes(target)[1], 'P');
    EXPECT_EQ(test::namesIn(dir.path()), std::vector<std::string>{"result.png"});

    const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const ColourImage image = test::patternImage(300, 200, 3, 8);
    for (const ColourFileFormat format : {ColourFileFormat::Png, ColourFileFormat::Tiff,
                                          ColourFileFormat::Jpeg, ColourFileFormat::Bmp}) {
        EXPECT_NE(writeColourImage(fd, image, format), "") << "a full disk, " << int(format);
    }
    ::close(fd);
}

// A profile is kept wherever the format can hold it: libpng dropped one over 8 MB without a
// word, and a JPEG's 255 segments were overrun (their count wrapped and the profile was lost).
// Where it cannot be kept, the notice says so.
TEST_F(ColourFileTest, ALargeProfileIsKeptWhereTheFormatHoldsItAndNoticedWhereNot) {
    for (const auto& [name, size] :
         {std::pair{"a.png", std::size_t(9) << 20}, std::pair{"b.jpg", kMaxJpegProfileBytes},
          std::pair{"c.jpg", kMaxJpegProfileBytes + 1}, std::pair{"d.tif", std::size_t(9) << 20}}) {
        ColourImage image = test::patternImage(30, 20, 3, 8);
        image.iccProfile = test::smallIccProfile(false);
        image.iccProfile.resize(size, 0x5A);
        test::putNumber(image.iccProfile, 0, std::uint32_t(size));
        const CameraPhoto back = read(save(name, image));
        const bool noticed = !profileNotice(colourFormatForPath(name).value(), size).empty();
        EXPECT_NE(back.image.iccProfile == image.iccProfile, noticed) << name;
    }
    EXPECT_EQ(profileNotice(ColourFileFormat::Bmp, 0), "");
}

// A result keeps who took the photograph with what, when and through which lens, written
// upright: an orientation carried over would turn it again on opening. Nothing of the
// photograph's pixels (its recorded size) is kept. (The orientations' test reads both byte
// orders; the batch tool's tests write the kept facts in every format.)
TEST_F(ColourFileTest, AResultKeepsThePhotographsCameraDateAndLens) {
    const test::ExifFields fields{.orientation = 6,
                                  .bigEndian = true,
                                  .focalLengthMm = 24,
                                  .focalLength35mm = 36,
                                  .pixelXDimension = 4000,
                                  .make = "Fotocamere SpA",
                                  .model = "F1",
                                  .dateTimeOriginal = "2026:05:04 10:11:12",
                                  .lensModel = "24mm F2.8"};
    const auto source = save("foto.jpg", test::patternImage(16, 12, 3, 8));
    test::writeBytes(source,
                     test::withExifSegment(test::readBytes(source), test::exifBlock(fields)));
    const CameraPhoto photo = read(source);
    ASSERT_EQ(photo.image.width, 12) << "set upright";
    EXPECT_EQ(photo.facts.pixelXDimension, 4000) << "the photograph's own";
    const CameraPhoto back = read(save("r.jpg", photo.image));
    const CameraFacts& f = back.facts;
    EXPECT_TRUE(f.orientation == 1 && back.image.width == 12);
    EXPECT_TRUE(f.make == "Fotocamere SpA" && f.model == "F1") << f.make;
    EXPECT_TRUE(f.focalLengthMm == 24.0 && f.focalLength35mm == 36 && !f.pixelXDimension);
    const ResultExifTags tags = resultExifTags(back.image.exif);
    EXPECT_EQ(tags.dateTimeOriginal + " " + tags.lensModel, "2026:05:04 10:11:12 24mm F2.8");
}

}  // namespace
}  // namespace vesta
