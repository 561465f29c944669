#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <set>

#include "RectifySupport.h"
#include "geometry/Frame.h"
#include "rectify/Bands.h"

namespace vesta {
namespace {

using test::FakeApp;

struct Format {
    int channels;
    int bits;
};
constexpr Format kFormats[] = {{3, 8}, {3, 16}, {1, 8}, {1, 16}};

// A palette image in grey or colour: the palette's colours, or the index itself as the grey
// value; 16 bits repeat the byte (v · 257).
ColourImage expand(const IndexedImage& image, Format f) {
    ColourImage out{image.width, image.height, f.channels, f.bits, {}, {}, {}};
    for (const std::uint8_t index : image.pixels) {
        const Rgb c = image.colour(index);
        for (const std::uint8_t v : f.channels == 1 ? std::vector<std::uint8_t>{index}
                                                    : std::vector<std::uint8_t>{c.r, c.g, c.b}) {
            if (f.bits == 8) {
                out.samples8.push_back(v);
            } else {
                out.samples16.push_back(std::uint16_t(v * 257));
            }
        }
    }
    return out;
}

// The whole result, gathered from the bands as a sink would write them.
ColourImage whole(const BandRectifier& rectifier, BandOptions options = {}) {
    ColourImage out{
        rectifier.width(), 0, rectifier.channels(), rectifier.bitsPerChannel(), {}, {}, {}};
    const BandsOutcome outcome =
        rectifyInBands(rectifier, options, [&](int first, const ColourImage& band) {
            EXPECT_EQ(first, out.height) << "bands in row order, none missing";
            out.height += band.height;
            out.samples8.insert(out.samples8.end(), band.samples8.begin(), band.samples8.end());
            out.samples16.insert(out.samples16.end(), band.samples16.begin(), band.samples16.end());
            return true;
        });
    EXPECT_EQ(outcome, BandsOutcome::Finished);
    return out;
}

bool sameSamples(const ColourImage& a, const ColourImage& b) {
    return a.width == b.width && a.height == b.height && a.channels == b.channels &&
           a.bitsPerChannel == b.bitsPerChannel && a.samples8 == b.samples8 &&
           a.samples16 == b.samples16;
}

// Areas reaching beyond the photograph, widths of every remainder.
template <class Check>
void forEachConstruction(Check check) {
    test::forEachConstruction({{0, 0, 203, 152}, {120, 80, 197, 147}, {150, 5, 196, 70}},
                              {1.0, 1.3}, [&](FakeApp& app) { check(app.ctx.s); });
}

// The palette road through the bands gives the loop's bytes, and nearest on a grey or colour
// photograph that is the palette bitmap expanded gives exactly that result expanded.
TEST(ColourRectify, NearestOnAnExpandedPaletteBitmapIsThePaletteResultExpanded) {
    forEachConstruction([](WorkingState& s) {
        // Where the palette road writes index 0 outside the photograph, colour writes black.
        std::fill_n(s.sorgente.image.palette.begin(), 4, std::uint8_t(0));
        const ColourImage indices = whole(BandRectifier(RectifyInputs::from(s), s.sorgente.image));
        // The loop's rows run bottom first, as the bitmap file stores them.
        std::vector<std::uint8_t> shown;
        for (const auto& row : test::referenceRows(s)) {
            shown.insert(shown.begin(), row.begin(), row.end());
        }
        ASSERT_EQ(indices.samples8, shown);
        IndexedImage paletteResult = s.sorgente.image;
        paletteResult.width = indices.width;
        paletteResult.height = indices.height;
        paletteResult.pixels = indices.samples8;
        for (const Format f : kFormats) {
            const ColourImage photo = expand(s.sorgente.image, f);
            const ColourImage got =
                whole(BandRectifier(RectifyInputs::from(s), photo, Interpolation::Nearest));
            ASSERT_TRUE(sameSamples(got, expand(paletteResult, f)))
                << f.channels << " channels, " << f.bits << " bits";
        }
    });
}

struct EdgesSeen {
    bool left = false, right = false, bottom = false;
};

// Bilinear, one pixel at a time: pixel centres at (column + 1.5, row + 0.5), weights in
// 1/128 of a pixel rounded down, neighbours beyond the photograph replaced by its edge, 0 where
// the nearest pixel is outside the area or the photograph.
ColourImage bilinearReference(const WorkingState& s, const ColourImage& photo, EdgesSeen& seen) {
    const int W = int(s.construction->frame.largOut), H = int(s.construction->frame.altOut),
              ch = photo.channels;
    ColourImage out{W, H, ch, photo.bitsPerChannel, {}, {}, {}};
    std::vector<std::uint32_t> samples(std::size_t(W) * H * ch, 0);
    const auto sample = [&](int x, int y, int k) -> std::uint32_t {
        x = std::clamp(x, 0, photo.width - 1);
        y = std::clamp(y, 0, photo.height - 1);
        const std::size_t at = (std::size_t(y) * photo.width + x) * ch + k;
        return photo.bitsPerChannel == 8 ? photo.samples8[at] : photo.samples16[at];
    };
    for (int y = 0; y < H; ++y) {
        const int r = s.fughe->vv.y > s.fughe->vh.y ? y + 1 : H - y;
        for (int c = 1; c <= W; ++c) {
            const auto [sx, sy] = test::sourcePoint(s, r, c);
            if (!test::insideArea(s, sx, sy)) {
                continue;
            }
            if (std::floor(sy) < 0 || std::floor(sy) >= photo.height ||
                std::max(1.0, std::floor(sx)) - 1 >= photo.width) {
                continue;
            }
            const double qx = std::floor((sx - 1.5) * 128), qy = std::floor((sy - 0.5) * 128);
            const int x0 = int(std::floor(qx / 128)), y0 = int(std::floor(qy / 128));
            const std::uint32_t wx = std::uint32_t(qx - x0 * 128.0);
            const std::uint32_t wy = std::uint32_t(qy - y0 * 128.0);
            seen.left |= x0 < 0;
            seen.right |= x0 + 1 >= photo.width;
            seen.bottom |= y0 + 1 >= photo.height;
            const int o = s.construction->frame.segnoX == -1 ? W - c : c - 1;
            for (int k = 0; k < ch; ++k) {
                const std::uint32_t sum = sample(x0, y0, k) * (128 - wx) * (128 - wy) +
                                          sample(x0 + 1, y0, k) * wx * (128 - wy) +
                                          sample(x0, y0 + 1, k) * (128 - wx) * wy +
                                          sample(x0 + 1, y0 + 1, k) * wx * wy;
                samples[(std::size_t(y) * W + o) * ch + k] = (sum + 8192) >> 14;
            }
        }
    }
    for (const std::uint32_t v : samples) {
        if (photo.bitsPerChannel == 8) {
            out.samples8.push_back(std::uint8_t(v));
        } else {
            out.samples16.push_back(std::uint16_t(v));
        }
    }
    return out;
}

TEST(ColourRectify, BilinearMatchesThePixelByPixelFormulaInEveryDepthAndLayout) {
    EdgesSeen seen;
    forEachConstruction([&](WorkingState& s) {
        for (const Format f : kFormats) {
            const ColourImage photo = test::patternImage(200, 150, f.channels, f.bits);
            const ColourImage want = bilinearReference(s, photo, seen);
            const ColourImage got =
                whole(BandRectifier(RectifyInputs::from(s), photo, Interpolation::Bilinear));
            ASSERT_TRUE(sameSamples(got, want))
                << f.channels << " channels, " << f.bits << " bits, case "
                << s.construction->frame.casoFughe;
        }
    });
    EXPECT_TRUE(seen.left && seen.right && seen.bottom) << "the clamped edges were reached";
}

class ColourBandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::openPhoto(app, 200, 150);
        ASSERT_TRUE(test::construct(app));
        photo = test::patternImage(200, 150, 3, 8);
    }
    void resize(int width, int height) {
        test::resizeFrame(app.ctx.s, width, height, 100.0 / width, 100.0 / height);
    }
    FakeApp app;
    ColourImage photo;
};

// Rows depend on their number alone: any band height and any number of threads give the same
// bytes, handed on in row order, with the progress counting every row once.
TEST_F(ColourBandsTest, TheBytesDoNotDependOnBandsOrThreads) {
    resize(301, 203);
    const BandRectifier colour(RectifyInputs::from(app.ctx.s), photo, Interpolation::Bilinear);
    const BandRectifier palette(RectifyInputs::from(app.ctx.s), app.ctx.s.sorgente.image);
    for (const BandRectifier* rectifier : {&colour, &palette}) {
        ColourImage one;
        RowWork work;
        rectifier->fill(0, rectifier->height(), work, one);
        for (const int threads : {1, 2, 4}) {
            for (const int bandRows : {1, 7, 0}) {
                int lastProgress = 0;
                const BandOptions options{threads, bandRows, nullptr, [&](int done, int rows) {
                                              EXPECT_TRUE(done > lastProgress && rows == 203);
                                              lastProgress = done;
                                          }};
                EXPECT_TRUE(sameSamples(whole(*rectifier, options), one))
                    << threads << " threads, bands of " << bandRows;
                EXPECT_EQ(lastProgress, 203);
            }
        }
    }
}

// A cancel seen at a band boundary hands on nothing more; a sink that fails stops the run.
TEST_F(ColourBandsTest, ACancelOrAFailingSinkStopsTheBands) {
    resize(120, 200);
    const BandRectifier rectifier(RectifyInputs::from(app.ctx.s), photo, Interpolation::Bilinear);
    for (const int threads : {1, 4}) {
        std::atomic<bool> cancel = false;
        BandOptions options{threads, 10, &cancel, [&](int done, int) { cancel = done >= 30; }};
        int bands = 0;
        EXPECT_EQ(rectifyInBands(rectifier, options,
                                 [&](int, const ColourImage&) { return ++bands > 0; }),
                  BandsOutcome::Cancelled);
        EXPECT_EQ(bands, 3) << threads << " threads";

        options.cancel = nullptr;
        bands = 0;
        EXPECT_EQ(rectifyInBands(rectifier, options,
                                 [&](int, const ColourImage&) { return ++bands < 5; }),
                  BandsOutcome::SinkStopped);
        EXPECT_EQ(bands, 5);
    }
}

// A photograph whose samples stop short of its last row (a reader's fault) must not be read
// beyond them.
TEST_F(ColourBandsTest, APhotographShortOfSamplesGivesBlackNotARead) {
    resize(120, 90);
    photo.samples8.pop_back();
    const ColourImage got =
        whole(BandRectifier(RectifyInputs::from(app.ctx.s), photo, Interpolation::Bilinear));
    EXPECT_EQ(got.samples8, std::vector<std::uint8_t>(120 * 90 * 3, 0));
}

// A 20000 x 15000 result of 16-bit colour would need 1.8 GB; the run holds a few bands of a
// few rows, recycled, whatever the number of rows.
TEST_F(ColourBandsTest, AHugeResultIsHeldABandAtATime) {
    resize(20000, 15000);
    const ColourImage deep = test::patternImage(200, 150, 3, 16);
    const BandRectifier rectifier(RectifyInputs::from(app.ctx.s), deep, Interpolation::Bilinear);
    const BandOptions options{4, 0, nullptr, {}};
    const std::size_t row = 20000u * 3 * 2;
    ASSERT_EQ(rectifier.rowBytes(), row);
    EXPECT_LE(bandRowsFor(rectifier, options) * row, std::size_t(1) << 20);
    EXPECT_LE(bandMemory(rectifier, options), std::size_t(6) << 20);
    std::set<const std::uint16_t*> buffers;
    int bands = 0;
    const BandsOutcome outcome =
        rectifyInBands(rectifier, options, [&](int first, const ColourImage& band) {
            EXPECT_EQ(first, bands * bandRowsFor(rectifier, options));
            EXPECT_LE(band.samples16.capacity() * 2, bandRowsFor(rectifier, options) * row);
            buffers.insert(band.samples16.data());
            return ++bands < 60;
        });
    EXPECT_EQ(outcome, BandsOutcome::SinkStopped);
    EXPECT_LE(int(buffers.size()), bandsInFlight(options)) << "buffers are reused";
}

}  // namespace
}  // namespace vesta
