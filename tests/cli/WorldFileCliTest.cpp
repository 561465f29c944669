#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "BitmapBytes.h"
#include "rectify/WorldFile.h"
#include "state/Numbers.h"

namespace vesta {
namespace {

namespace fs = std::filesystem;

const std::string kSample = VESTA_SAMPLES_DIR "/facciata_ruotata.bmp";
const std::string kRoad =
    " --h1 234,174,615,135 --h2 201,352,602,379 --v1 163,448,216,174 --v2 635,525,651,129"
    " --area 200,150,620,500";

int rectify(const std::string& args) {
    const int status = std::system(
        (std::string(VESTA_RECTIFY) + " " + args + " > /dev/null 2> /dev/null").c_str());
    return WEXITSTATUS(status);
}

std::string text(const fs::path& path) {
    const auto bytes = test::readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(WorldFile, NamedAfterTheImagesExtensionInItsCase) {
    for (const auto& [image, world] : {std::pair<const char*, const char*>{"a/r.bmp", "a/r.bpw"},
                                       {"r.BMP", "r.BPW"},
                                       {"r.png", "r.pgw"},
                                       {"r.tiff", "r.tfw"},
                                       {"r.tif", "r.tfw"},
                                       {"r.jpeg", "r.jgw"},
                                       {"r.JPG", "r.JGW"},
                                       {"r", "r.wld"}}) {
        EXPECT_EQ(worldFilePathFor(image), world) << image;
    }
}

// Two points of the result 300 pixels apart, 600 cm on the facade: 2 cm a pixel. The image's
// bytes are those of the run without a scale; --known writes the file too, and a file of the
// user's at its name refuses the run before anything is written.
TEST(WorldFile, TheBatchToolWritesItBesideAResultWhoseScaleIsKnown) {
    test::TempDir dir;
    ASSERT_EQ(rectify(kSample + " " + (dir / "senza.bmp").string() + kRoad), 0);
    EXPECT_FALSE(fs::exists(dir / "senza.bpw"));
    ASSERT_EQ(
        rectify(kSample + " " + (dir / "r.bmp").string() + kRoad + " --scale 10,20,190,260,600"),
        0);
    EXPECT_EQ(test::readBytes(dir / "r.bmp"), test::readBytes(dir / "senza.bmp"));
    EXPECT_EQ(text(dir / "r.bpw"), "0.02\n0\n0\n-0.02\n0.01\n-0.01\n");
    // Replaced by a run of its own kind; the image and its scale come again.
    ASSERT_EQ(rectify(kSample + " " + (dir / "r.bmp").string() + kRoad + " --scale 0,0,0,100,50"),
              0);
    EXPECT_EQ(text(dir / "r.bpw"), worldFileText(0.5));

    ASSERT_EQ(rectify(kSample + " " + (dir / "k.png").string() + kRoad + " --known 1200,900"), 0);
    const std::string known = text(dir / "k.pgw");
    EXPECT_EQ(known.find(','), std::string::npos) << known;
    EXPECT_GT(typedNumber(known.substr(0, known.find('\n'))).value_or(0), 0);

    test::writeBytes(dir / "mio.bpw", {'n', 'o', 't', 'e'});
    EXPECT_EQ(rectify(kSample + " " + (dir / "mio.bmp").string() + kRoad + " --scale 0,0,1,0,5"),
              1);
    EXPECT_FALSE(fs::exists(dir / "mio.bmp"));
    EXPECT_EQ(text(dir / "mio.bpw"), "note");

    for (const char* bad : {" --scale 1,1,1,1,5", " --scale 0,0,1,0,0", " --scale 0,0,1,0"}) {
        EXPECT_EQ(rectify(kSample + " " + (dir / "u.bmp").string() + kRoad + bad), 2) << bad;
    }
}

}  // namespace
}  // namespace vesta
