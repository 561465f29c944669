#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <set>

#include "RectifySupport.h"
#include "rectify/Bands.h"

namespace vesta {
namespace {

using test::FakeApp;

// By the construction standing in s.
BandRectifier byLines(const WorkingState& s, const ColourImage& photo, Interpolation how) {
    const RectifyInputs in = RectifyInputs::from(s);
    return BandRectifier(in, PixelMapping::construction(in), photo, how);
}

// The whole result, gathered from the bands as a sink would write them: bands in row order,
// none missing, and the progress counting every row once.
ColourImage whole(const BandRectifier& rectifier, BandOptions options = {}) {
    ColourImage out{
        rectifier.width(), 0, rectifier.channels(), rectifier.bitsPerChannel(), {}, {}, {}, {}};
    int progress = 0;
    options.progress = [&](int done, int rows) {
        EXPECT_TRUE(done > progress && rows == rectifier.height());
        progress = done;
    };
    const BandsOutcome outcome =
        rectifyInBands(rectifier, options, [&](int first, const ColourImage& band) {
            EXPECT_EQ(first, out.height);
            out.height += band.height;
            out.samples8.insert(out.samples8.end(), band.samples8.begin(), band.samples8.end());
            out.samples16.insert(out.samples16.end(), band.samples16.begin(), band.samples16.end());
            return true;
        });
    EXPECT_EQ(outcome, BandsOutcome::Finished);
    EXPECT_EQ(progress, rectifier.height());
    return out;
}

// Nearest and bilinear in grey and colour, 8 and 16 bits, over areas reaching beyond the
// photograph; rows depend on their number alone, so the band heights and thread counts taken in
// turn must not change a byte.
TEST(ColourRectify, BothSamplersMatchTheFormulasInEveryDepthLayoutAndBanding) {
    constexpr std::array<int, 2> kFormats[] = {{3, 8}, {3, 16}, {1, 8}, {1, 16}};
    int run = 0;
    test::forEachConstruction(
        {{0, 0, 203, 152}, {120, 80, 197, 147}, {150, 5, 196, 70}}, {1.0, 1.3}, [&](FakeApp& app) {
            const WorkingState& s = app.ctx.s;
            for (const auto [channels, bits] : kFormats) {
                const ColourImage photo = test::patternImage(200, 150, channels, bits);
                for (const bool bilinear : {false, true}) {
                    const BandOptions options{std::array{1, 2, 4}[run % 3],
                                              std::array{1, 7, 0}[run / 3 % 3],
                                              nullptr,
                                              {}};
                    ++run;
                    const ColourImage got =
                        whole(byLines(s, photo,
                                      bilinear ? Interpolation::Bilinear : Interpolation::Nearest),
                              options);
                    const ColourImage want = test::referenceImage(s, photo, bilinear);
                    ASSERT_TRUE(got.width == want.width && got.height == want.height &&
                                got.samples8 == want.samples8 && got.samples16 == want.samples16)
                        << channels << " channels, " << bits << " bits, bilinear " << bilinear
                        << ", case " << s.construction->frame.casoFughe;
                }
            }
        });
}

class ColourBandsTest : public test::RectifyTest {
  protected:
    ColourImage photo = test::patternImage(200, 150, 3, 8);
};

// A cancel seen at a band boundary hands on nothing more; a sink that fails stops the run.
TEST_F(ColourBandsTest, ACancelOrAFailingSinkStopsTheBands) {
    resize(120, 200);
    const BandRectifier rectifier = byLines(s, photo, Interpolation::Bilinear);
    for (const int threads : {1, 4}) {
        std::atomic<bool> cancel = false;
        int bands = 0;
        const auto sink = [&](int, const ColourImage&) { return ++bands != 5; };
        BandOptions options{threads, 10, &cancel, [&](int done, int) { cancel = done >= 30; }};
        EXPECT_EQ(rectifyInBands(rectifier, options, sink), BandsOutcome::Cancelled);
        EXPECT_EQ(bands, 3) << threads << " threads";
        options.cancel = nullptr;
        bands = 0;
        EXPECT_EQ(rectifyInBands(rectifier, options, sink), BandsOutcome::SinkStopped);
        EXPECT_EQ(bands, 5);
    }
}

// A photograph whose samples stop short of its last row (a reader's fault) must not be read
// beyond them.
TEST_F(ColourBandsTest, APhotographShortOfSamplesGivesBlackNotARead) {
    resize(120, 90);
    photo.samples8.pop_back();
    const ColourImage got = whole(byLines(s, photo, Interpolation::Bilinear));
    EXPECT_EQ(got.samples8, std::vector<std::uint8_t>(120 * 90 * 3, 0));
}

// A 20000 x 15000 result of 16-bit colour would need 1.8 GB; the run holds a few bands of at
// most 1 MiB, recycled, whatever the number of rows.
TEST_F(ColourBandsTest, AHugeResultIsHeldABandAtATime) {
    resize(20000, 15000);
    const ColourImage deep = test::patternImage(200, 150, 3, 16);
    const BandRectifier rectifier = byLines(s, deep, Interpolation::Bilinear);
    const BandOptions options{4, 0, nullptr, {}};
    EXPECT_LE(bandMemory(rectifier, options), std::size_t(6) << 20);
    std::set<const std::uint16_t*> buffers;
    int bands = 0;
    EXPECT_EQ(rectifyInBands(rectifier, options,
                             [&](int, const ColourImage& band) {
                                 EXPECT_LE(band.samples16.capacity() * 2, std::size_t(1) << 20);
                                 buffers.insert(band.samples16.data());
                                 return ++bands < 60;
                             }),
              BandsOutcome::SinkStopped);
    EXPECT_LE(int(buffers.size()), bandsInFlight(options)) << "buffers are reused";
}

}  // namespace
}  // namespace vesta
