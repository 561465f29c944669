// Real files of every kind written to disk and read back through the one entry point; saving,
// with the format by the name and a failed save that leaves the old file as it was.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <tiffio.h>
#include <unistd.h>

#include <cstdlib>
#include <numeric>

#include "BitmapBytes.h"
#include "CodecFixtures.h"
#include "codec/CameraFile.h"
#include "codec/ColourFileWriter.h"
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
    const ColourImage expanded = read(save("f.BMP", grey)).image;
    std::vector<std::uint8_t> eight(grey.samples16.size());
    roundTo8Bits(grey.samples16.data(), eight.size(), eight.data());
    ASSERT_EQ(expanded.samples8.size(), 3 * eight.size());
    for (std::size_t i = 0; i < eight.size(); ++i) {
        EXPECT_TRUE(expanded.samples8[3 * i] == eight[i] &&
                    expanded.samples8[3 * i + 2] == eight[i]);
    }
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
    constexpr int kBlock = 16;
    auto level = [](int block) { return 40 * block; };  // 40 .. 240
    // Each block's centre shows its level in red.
    const auto expectBlocks = [&](const ColourImage& image, int side, int near,
                                  const std::string& what) {
        ASSERT_TRUE(image.width == 3 * side && image.height == 2 * side)
            << what << ": " << image.width << " x " << image.height;
        for (int block = 1; block <= 6; ++block) {
            const int cx = (block - 1) % 3 * side + side / 2,
                      cy = (block - 1) / 3 * side + side / 2;
            EXPECT_NEAR(image.samples8[(std::size_t(cy) * image.width + cx) * 3], level(block),
                        near)
                << what << " block " << block;
        }
    };
    for (const Stored& s : cases) {
        ColourImage stored{s.columns * kBlock, s.rows * kBlock, 3, 8, {}, {}, {}, {}};
        for (int i = 0; i < stored.width * stored.height; ++i) {
            const int x = i % stored.width, y = i / stored.width;
            const int block = s.blocks[std::size_t((y / kBlock) * s.columns + x / kBlock)];
            stored.samples8.insert(stored.samples8.end(), {std::uint8_t(level(block)), 100, 50});
        }
        const auto plain = save("plain.jpg", stored);
        test::ExifFields fields;
        fields.orientation = s.orientation;
        fields.bigEndian = s.orientation % 2 == 1;
        const auto oriented = put(
            "oriented.jpg", test::withExifSegment(test::readBytes(plain), test::exifBlock(fields)));
        const CameraPhoto photo = read(oriented);
        const std::string what = "orientation " + std::to_string(s.orientation);
        expectBlocks(photo.image, kBlock, 6, what);
        // The first view, a quarter of the size, is turned the same way: each block in its place.
        const auto bytes = test::readBytes(oriented);
        const auto view = decodeJpegFirstView(bytes.data(), bytes.size(), 12, 8);
        ASSERT_TRUE(view.ok()) << what << ": " << view.error();
        EXPECT_TRUE(view.value().width == 3 * kBlock && view.value().height == 2 * kBlock) << what;
        expectBlocks(view.value().image, 4, 8, what + " first view");

        // The JPEG reader turns the rows while decoding, the others after: a PNG with the same
        // stored blocks in its eXIf chunk must come out the same, to the last pixel.
        ColourImage blocks{s.columns, s.rows, 1, 8, {}, {}, {}, {}};
        blocks.samples8.assign(s.blocks.begin(), s.blocks.end());
        const ColourImage small =
            read(put("oriented.png", test::withExifChunk(test::readBytes(save("plain.png", blocks)),
                                                         test::exifBlock(fields))))
                .image;
        EXPECT_EQ(small.samples8, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6})) << what;
    }
}

// A first view is reduced by the most (8, 4 or 2) that still leaves it at least as large as the
// view it is shown at: a coarser one would show the photograph blurred, then sharp. Where the
// view takes more than half the photograph no reduction is worth a second decoding.
TEST_F(ColourFileTest, AJpegsFirstViewIsTheMostReducedTheViewStillOnlyReduces) {
    const auto bytes = test::readBytes(save("a.jpg", test::patternImage(400, 300, 3, 8)));
    struct Case {
        double viewWidth, viewHeight;
        int width, height;  // of the first view; 0 where none is made
    };
    for (const Case c : {Case{50, 40, 50, 38}, Case{100, 75, 100, 75}, Case{101, 80, 200, 150},
                         Case{210, 500, 0, 0}}) {
        const auto view =
            decodeJpegFirstView(bytes.data(), bytes.size(), c.viewWidth, c.viewHeight);
        const std::string what = std::to_string(c.viewWidth) + " x " + std::to_string(c.viewHeight);
        ASSERT_EQ(view.ok(), c.width > 0) << what;
        if (view.ok()) {
            EXPECT_TRUE(view.value().width == 400 && view.value().height == 300) << what;
            EXPECT_EQ(view.value().image.width, c.width) << what;
            EXPECT_EQ(view.value().image.height, c.height) << what;
        } else {
            EXPECT_EQ(view.error(), "") << what;
        }
    }
}

// Tiles that overhang the image, one plane a channel, 16 bits, LZW, turned half round by the
// Orientation tag.
TEST_F(ColourFileTest, TiffTilesPlanesAndOrientation) {
    const auto path = dir / "tiled.tif";
    constexpr int kWidth = 40, kHeight = 20;
    auto sample = [](int x, int y, int c) { return std::uint16_t(x * 1500 + y * 3 + c * 20000); };
    {
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
            TIFFWriteTile(tif, tile.data(), std::uint32_t(tx), std::uint32_t(ty), 0,
                          std::uint16_t(c));
        }
        TIFFClose(tif);
    }
    const CameraPhoto photo = read(path);
    EXPECT_EQ(photo.facts.orientation, 3);
    ASSERT_TRUE(photo.image.width == kWidth && photo.image.height == kHeight &&
                photo.image.bitsPerChannel == 16);
    for (int i = 0; i < kWidth * kHeight * 3; ++i) {
        const int x = i / 3 % kWidth, y = i / 3 / kWidth;
        ASSERT_EQ(photo.image.samples16[std::size_t(i)],
                  sample(kWidth - 1 - x, kHeight - 1 - y, i % 3))
            << x << "," << y;
    }
}

// The kind is told by the bytes: a palette bitmap named .jpg still takes the palette road. The
// format a result is saved in is the last extension's (in any case, as the names above show);
// any other name is refused with the extensions that are known.
TEST_F(ColourFileTest, TheKindIsToldByTheBytesAndTheFormatByTheName) {
    EXPECT_TRUE(
        read(put("palette.jpg", test::bitmapBytes({.width = 5, .height = 3}))).paletteBitmap);
    for (const char* name : {"a.gif", "a.png.txt", "png"}) {
        const auto found = colourFormatForPath(name);
        EXPECT_TRUE(!found.ok() && found.error().find(".tiff") != std::string::npos) << name;
    }
}

// A write that does not reach the disk must never pass for a saved file.
TEST_F(ColourFileTest, AFailedSaveLeavesTheOldFileAndNoTemporary) {
    const auto target = dir / "result.png";
    test::writeBytes(target, {'o', 'l', 'd'});

    // An image the format cannot hold or a missing folder: the writer's reason, the old file
    // whole and no temporary left beside it.
    const ColourImage empty;  // no pixels
    EXPECT_NE(saveColourImage(target.string(), empty), "");
    EXPECT_NE(saveColourImage((dir / "no" / "such.png").string(), test::patternImage(2, 2, 3, 8)),
              "");
    EXPECT_EQ(test::namesIn(dir.path()), std::vector<std::string>{"result.png"});
    EXPECT_EQ(test::readBytes(target), (std::vector<std::uint8_t>{'o', 'l', 'd'}));

    EXPECT_EQ(saveColourImage(target.string(), test::patternImage(2, 2, 3, 8)), "");
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
        const auto format = colourFormatForPath(name).value();
        const bool fits = profileNotice(format, size).empty();
        EXPECT_EQ(back.image.iccProfile == image.iccProfile, fits) << name;
        EXPECT_EQ(fits, size <= kMaxJpegProfileBytes || format != ColourFileFormat::Jpeg) << name;
    }
    EXPECT_EQ(profileNotice(ColourFileFormat::Bmp, 0), "");
}

// A result keeps who took the photograph with what, when and through which lens, written
// upright: an orientation carried over would turn it again on opening. Nothing of the
// photograph's pixels (its recorded size) is kept. Either byte order. (The batch tool's tests
// write the kept facts in every format.)
TEST_F(ColourFileTest, AResultKeepsThePhotographsCameraDateAndLens) {
    for (const bool bigEndian : {false, true}) {
        test::ExifFields fields;
        fields.orientation = 6;
        fields.bigEndian = bigEndian;
        fields.focalLengthMm = 24;
        fields.focalLength35mm = 36;
        fields.pixelXDimension = 4000;
        fields.make = "Fotocamere SpA";
        fields.model = "F1";
        fields.dateTimeOriginal = "2026:05:04 10:11:12";
        fields.lensModel = "24mm F2.8";
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
}

}  // namespace
}  // namespace vesta
