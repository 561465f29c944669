#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BitmapBytes.h"
#include "codec/CameraFile.h"
#include "codec/ColourFileWriter.h"
#include "image/BitmapFile.h"

namespace vesta {
namespace {

namespace fs = std::filesystem;

const std::string kSample = VESTA_SAMPLES_DIR "/facciata_ruotata.bmp";
const std::string kClicks =
    " --h1 234,174,615,135 --h2 201,352,602,379 --v1 163,448,216,174 --v2 635,525,651,129"
    " --area 200,150,620,500";

int rectify(const std::string& args, const std::string& err = "/dev/null") {
    const std::string command =
        std::string(VESTA_RECTIFY) + " " + args + kClicks + " > /dev/null 2> " + err;
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ColourImage readBack(const fs::path& path) {
    Result<CameraPhoto> read = readCameraFile(path.string());
    EXPECT_TRUE(read.ok()) << path << ": " << (read.ok() ? "" : read.error());
    return read.ok() ? std::move(read.value().image) : ColourImage{};
}

// The palette bitmap as red, green and blue; `width` columns of it (0: all).
ColourImage expanded(const IndexedImage& image, int width = 0) {
    ColourImage out;
    out.width = width > 0 ? width : image.width;
    out.height = image.height;
    out.samples8.reserve(out.rowSamples() * std::size_t(out.height));
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const Rgb c = image.colour(image.row(y)[x]);
            out.samples8.insert(out.samples8.end(), {c.r, c.g, c.b});
        }
    }
    return out;
}

// By known measures, a colour photograph that is the palette sample expanded, rectified with
// the nearest pixel, is the palette result expanded: the same source pixel for every output
// pixel. Bilinear is another image of the same size. The output's name chooses its format.
TEST(CliColour, KnownMeasuresNearestOnTheExpandedPaletteGivesThePaletteResultExpanded) {
    test::TempDir dir;
    const Result<SourceBitmap> palette = readSourceBitmap(kSample);
    ASSERT_TRUE(palette.ok());
    ASSERT_EQ(saveColourImage((dir / "foto.png").string(), expanded(palette.value().image)), "");
    ASSERT_EQ(rectify(kSample + " " + (dir / "kpal.bmp").string() + " --known 300,250"), 0);
    ASSERT_EQ(rectify((dir / "foto.png").string() + " " + (dir / "kcol.png").string() +
                      " --interp nearest --known 300,250"),
              0);
    const ColourImage known = readBack(dir / "kcol.png");
    EXPECT_EQ(test::readBytes(dir / "kcol.png")[1], 'P');
    Result<SourceBitmap> knownPalette = readSourceBitmap((dir / "kpal.bmp").string());
    ASSERT_TRUE(knownPalette.ok());
    ASSERT_GT(known.width, 100);
    EXPECT_TRUE(known.samples8 == expanded(knownPalette.value().image, known.width).samples8);
    ASSERT_EQ(rectify((dir / "foto.png").string() + " " + (dir / "kbil.tif").string() +
                      " --known 300,250"),
              0);
    EXPECT_EQ(test::readBytes(dir / "kbil.tif")[0], 'I');
    const ColourImage knownBilinear = readBack(dir / "kbil.tif");
    EXPECT_EQ(knownBilinear.width, known.width);
    EXPECT_NE(knownBilinear.samples8, known.samples8);
}

// A bitmap holds no colour profile: the result is written without it and stderr says so; a
// TIFF result keeps it, without a word.
TEST(CliColour, AProfileTheOutputCannotHoldIsNoticedOnStderr) {
    test::TempDir dir;
    const Result<SourceBitmap> palette = readSourceBitmap(kSample);
    ASSERT_TRUE(palette.ok());
    ColourImage photo = expanded(palette.value().image);
    photo.iccProfile.assign(300, 7);
    ASSERT_EQ(saveColourImage((dir / "foto.tif").string(), photo), "");
    for (const std::string name : {"r.bmp", "r.tif"}) {
        ASSERT_EQ(rectify((dir / "foto.tif").string() + " " + (dir / name).string(),
                          (dir / "err.txt").string()),
                  0)
            << name;
        const auto err = test::readBytes(dir / "err.txt");
        const bool bmp = name == "r.bmp";
        EXPECT_EQ(std::string(err.begin(), err.end()),
                  bmp ? profileNotice(ColourFileFormat::Bmp, 300) + "\n" : "")
            << name;
        EXPECT_EQ(readBack(dir / name).iccProfile.empty(), bmp) << name;
    }
}

// A result far larger than its photograph (800 x 600 pixels opened out to 12803 x 8945) is
// computed and written a band at a time: the batch tool's peak memory stays a small part of the
// result's pixels. (Under AddressSanitizer its own bookkeeping swamps the figure.)
TEST(CliColour, ALargeResultIsWrittenWithoutHoldingItInMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's bookkeeping swamps a process's memory";
#endif
    test::TempDir dir;
    const std::string photo = (dir / "foto.png").string(), out = (dir / "out.tif").string();
    ASSERT_EQ(saveColourImage(photo, test::patternImage(800, 600, 3, 8)), "");
    // The largest child waited for is the batch tool, which the shell became.
    ASSERT_EQ(std::system((std::string("exec ") + VESTA_RECTIFY + " " + photo + " " + out +
                           kClicks.substr(0, kClicks.find(" --area")) +
                           " --area -300,-200,1100,800 > /dev/null")
                              .c_str()),
              0);
    rusage usage{};
    ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &usage), 0);
    const ColourImage result = readBack(out);
    const double resultBytes = double(result.width) * result.height * 3;
    ASSERT_GT(resultBytes, 100e6);
    EXPECT_LT(double(usage.ru_maxrss) * 1024, resultBytes / 4);
}

}  // namespace
}  // namespace vesta
