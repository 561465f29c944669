// Saving: the format by the name, and a failed save that leaves the old file as it was.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>

#include "BitmapBytes.h"
#include "CodecFixtures.h"
#include "codec/CameraFile.h"
#include "codec/ColourFileWriter.h"
#include "codec/JpegFile.h"
#include "codec/ResultExif.h"

namespace vesta {
namespace {

// The format is the last extension's (in any case, as CameraReadTest's names show); any other
// name is refused with the extensions that are known.
TEST(ColourWriteTest, ANameWithoutAKnownExtensionIsRefused) {
    for (const char* name : {"a.gif", "a.png.txt", "png"}) {
        const auto found = colourFormatForPath(name);
        EXPECT_TRUE(!found.ok() && found.error().find(".tiff") != std::string::npos) << name;
    }
}

TEST(ColourWriteTest, AFailedSaveLeavesTheOldFileAndNoTemporary) {
    test::TempDir dir;
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
}

// A write that does not reach the disk must never pass for a saved file.
TEST(ColourWriteTest, AFullDiskIsReportedInEveryFormat) {
    const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const ColourImage image = test::patternImage(300, 200, 3, 8);
    for (const ColourFileFormat format : {ColourFileFormat::Png, ColourFileFormat::Tiff,
                                          ColourFileFormat::Jpeg, ColourFileFormat::Bmp}) {
        EXPECT_NE(writeColourImage(fd, image, format), "") << int(format);
    }
    ::close(fd);
}

// A profile is kept wherever the format can hold it: libpng dropped one over 8 MB without a
// word, and a JPEG's 255 segments were overrun (their count wrapped and the profile was lost).
// Where it cannot be kept, the notice says so.
TEST(ColourWriteTest, ALargeProfileIsKeptWhereTheFormatHoldsItAndNoticedWhereNot) {
    const test::TempDir dir;
    for (const auto& [name, size] :
         {std::pair{"a.png", std::size_t(9) << 20}, std::pair{"b.jpg", kMaxJpegProfileBytes},
          std::pair{"c.jpg", kMaxJpegProfileBytes + 1}, std::pair{"d.tif", std::size_t(9) << 20}}) {
        ColourImage image = test::patternImage(30, 20, 3, 8);
        image.iccProfile = test::smallIccProfile(false);
        image.iccProfile.resize(size, 0x5A);
        test::putNumber(image.iccProfile, 0, std::uint32_t(size));
        const auto path = dir / name;
        ASSERT_EQ(saveColourImage(path.string(), image), "") << name;
        const auto read = readCameraFile(path.string());
        ASSERT_TRUE(read.ok()) << name << ": " << read.error();
        const auto format = colourFormatForPath(name).value();
        const bool fits = profileNotice(format, size).empty();
        EXPECT_EQ(read.value().image.iccProfile == image.iccProfile, fits) << name;
        EXPECT_EQ(fits, size <= kMaxJpegProfileBytes || format != ColourFileFormat::Jpeg) << name;
    }
    EXPECT_EQ(profileNotice(ColourFileFormat::Bmp, 0), "");
}

// A result keeps who took the photograph with what, when and through which lens, written
// upright: an orientation carried over would turn it again on opening. Nothing of the
// photograph's pixels (its recorded size) is kept. Every format that holds EXIF, and either
// byte order.
TEST(ColourWriteTest, AResultKeepsThePhotographsCameraDateAndLens) {
    test::TempDir dir;
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
        const auto source = dir / "foto.jpg";
        ASSERT_EQ(saveColourImage(source.string(), test::patternImage(16, 12, 3, 8)), "");
        test::writeBytes(source,
                         test::withExifSegment(test::readBytes(source), test::exifBlock(fields)));
        const Result<CameraPhoto> photo = readCameraFile(source.string());
        ASSERT_TRUE(photo.ok()) << photo.error();
        ASSERT_EQ(photo.value().image.width, 12) << "set upright";
        for (const char* name : {"r.jpg", "r.png", "r.tif"}) {
            ASSERT_EQ(saveColourImage((dir / name).string(), photo.value().image), "") << name;
            const Result<CameraPhoto> back = readCameraFile((dir / name).string());
            ASSERT_TRUE(back.ok()) << back.error();
            const CameraFacts& f = back.value().facts;
            EXPECT_TRUE(f.orientation == 1 && back.value().image.width == 12) << name;
            EXPECT_TRUE(f.make == "Fotocamere SpA" && f.model == "F1") << name << f.make;
            EXPECT_TRUE(f.focalLengthMm == 24.0 && f.focalLength35mm == 36) << name;
            EXPECT_FALSE(f.pixelXDimension) << name;
            // A TIFF's own tags hold them, read back into the same block.
            const ResultExifTags tags = resultExifTags(back.value().image.exif);
            EXPECT_EQ(tags.dateTimeOriginal, "2026:05:04 10:11:12") << name;
            EXPECT_EQ(tags.lensModel, "24mm F2.8") << name;
        }
    }
}

}  // namespace
}  // namespace vesta
