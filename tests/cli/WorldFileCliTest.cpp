#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "BatchRuns.h"
#include "rectify/WorldFile.h"
#include "state/Numbers.h"

namespace vesta {
namespace {

namespace fs = std::filesystem;
using test::textOf;

// Two points of the result 300 pixels apart, 600 cm on the facade: 2 cm a pixel. The image's
// bytes are those of the run without a scale; --known writes the file too, and a file of the
// user's at its name refuses the run before anything is written. The file is named after the
// extension's first and last letters and a w, a capital W after a capital; .wld without one.
TEST(WorldFile, TheBatchToolWritesItBesideAResultWhoseScaleIsKnown) {
    test::TempDir dir;
    const auto rectify = [&](const std::string& output, const std::string& more) {
        return test::runOnArea(dir, test::kSample, output, more).code;
    };
    ASSERT_EQ(rectify("senza.bmp", ""), 0);
    EXPECT_FALSE(fs::exists(dir / "senza.bpw"));
    ASSERT_EQ(rectify("r.bmp", " --scale 10,20,190,260,600"), 0);
    EXPECT_EQ(test::readBytes(dir / "r.bmp"), test::readBytes(dir / "senza.bmp"));
    EXPECT_EQ(textOf(dir / "r.bpw"), "0.02\n0\n0\n-0.02\n0.01\n-0.01\n");
    // Replaced by a run of its own kind; the image and its scale come again.
    ASSERT_EQ(rectify("r.bmp", " --scale 0,0,0,100,50"), 0);
    EXPECT_EQ(textOf(dir / "r.bpw"), worldFileText(0.5));

    ASSERT_EQ(rectify("k.PNG", " --known 1200,900"), 0);
    const std::string known = textOf(dir / "k.PGW");
    EXPECT_EQ(known.find(','), std::string::npos) << known;
    EXPECT_GT(typedNumber(known.substr(0, known.find('\n'))).value_or(0), 0);

    test::writeBytes(dir / "mio.bpw", {'n', 'o', 't', 'e'});
    EXPECT_EQ(rectify("mio.bmp", " --scale 0,0,1,0,5"), 1);
    EXPECT_FALSE(fs::exists(dir / "mio.bmp"));
    EXPECT_EQ(textOf(dir / "mio.bpw"), "note");

    for (const char* bad : {" --scale 1,1,1,1,5", " --scale 0,0,1,0,0", " --scale 0,0,1,0"}) {
        EXPECT_EQ(rectify("u.bmp", bad), 2) << bad;
    }
    EXPECT_EQ(worldFilePathFor("a/r"), "a/r.wld");
}

}  // namespace
}  // namespace vesta
