// The palette road and the colour bands against the formulas, and the window around the loop.
#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <set>

#include "RectifySupport.h"
#include "construction/Commands.h"
#include "rectify/Bands.h"
#include "rectify/PaletteSampler.h"
#include "rectify/Rectification.h"
#include "rectify/SaveAndPrint.h"
#include "state/Prompts.h"
#include "ui/Undo.h"

namespace vesta {
namespace {

using test::FakeApp;

// The palette sampler's four-at-a-time pass against the nearest-pixel rule on the points where a
// rounding or a bound could slip: NaN, infinities, the clip's bounds and just beyond, negative
// fractions, the photograph's last row and column and one past, in both column orders.
TEST(Rectification, ThePaletteSamplerKeepsTheNearestRuleOnEveryEdge) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double xs[] = {nan, -inf, inf,   -2.5, -0.5, 0, 0.25, 1,
                         1.5, 7,    7.999, 8,    8.5,  9, 12,   12.5};
    const double ys[] = {nan, inf, -1e-9, -0.5, 0, 0.5, 2.999, 3, 4.75, 5, 5.5, 6, 7.25};
    IndexedImage photo{8, 5, {}, {}};
    for (int i = 0; i < 40; ++i) {
        photo.pixels.push_back(std::uint8_t(i + 1));
    }
    RowWork work;
    for (const double x : xs) {
        for (const double y : ys) {
            work.sx.push_back(x);
            work.sy.push_back(y);
        }
    }
    // Clips beyond the photograph and within it: left, right, top, bottom.
    for (const auto [left, right, top, bottom] :
         {std::array{-0.5, 12.0, -0.5, 6.0}, std::array{-0.5, 7.0, 0.5, 3.0}}) {
        RectifyInputs in;
        in.clipLeft = left;
        in.clipRight = right;
        in.clipTop = top;
        in.clipBottom = bottom;
        in.largOut = int(work.sx.size()) - 1;  // not a whole number of vectors
        std::vector<std::uint8_t> want(std::size_t(in.largOut), 0);
        forEachNearestPixel(
            work, in.largOut, AreaClip::of(in), photo.width, photo.height,
            [&](int i, int row, int cell) { want[std::size_t(i)] = photo.row(row)[cell]; });
        for (const bool reversed : {false, true}) {
            in.columnsReversed = reversed;
            std::vector<std::uint8_t> got(want.size(), 0xff);
            samplePalette(in, photo, work, got.data());
            if (reversed) {
                std::reverse(got.begin(), got.end());
            }
            EXPECT_EQ(got, want) << "right " << right << ", reversed " << reversed;
        }
    }
}

using RectifyTest = test::RectifyTest;

// The visible region is 783 x 720: a larger result gets the bars of the result's picture. The
// button then measures and computes nothing again.
TEST_F(RectifyTest, ComputingIsPromptedALargeResultGetsItsBarsAndTheButtonThenMeasures) {
    resize(1200, 800);
    std::set<std::string> shown;
    app.events.duringYield = [&](int) { shown.insert(f.domanda1.caption); };
    RADDR1(app.ctx);
    EXPECT_EQ(shown, std::set<std::string>{"Sto calcolando..."});
    ASSERT_TRUE(f.HScroll2.visible && f.VScroll2.visible);
    EXPECT_EQ((std::array{f.HScroll2.max, f.VScroll2.max, f.VScroll2.largeChange}),
              (std::array{1200 - 783, 800 - 720, 72}));
    EXPECT_FALSE(f.HScroll1.visible || f.VScroll1.visible) << "the photograph's bars go";
    RADDR1(app.ctx);
    EXPECT_EQ(f.domanda1.caption, prompts::kDuePunti);
    EXPECT_EQ(app.events.beeps, 1) << "nothing computed again";
}

// Bands of 64 rows: the cancel seen after the second hands on nothing more.
TEST_F(RectifyTest, ACancelDuringTheLoopStopsBeforeTheNextBandAndZeroesTheRest) {
    resize(120, 200);
    // Taken before the loop: the cancel takes the construction back.
    auto want = test::referenceIndices(s);
    std::string prompt;
    app.events.duringYield = [&](int n) {
        if (n == 2) {
            CANC2(app.ctx);
            prompt = f.domanda1.caption;
        }
    };
    RADDR1(app.ctx);
    EXPECT_EQ(prompt, "Ho finito.");
    std::fill(want.begin() + 128 * 120, want.end(), 0);  // the rows below the two bands
    EXPECT_EQ(test::fileImage(app.ctx.paths.scratchFile(), 120, 200).pixels, want);
}

// What the user may do while rows are computed: a size step, F6, Save, Open. What they change
// must not pull the tables from under the loop: the result is the one started, shown at the
// size it was computed with; nothing reads the unfinished file; an Open throws the result away
// and leaves the new photograph as it opened.
TEST_F(RectifyTest, CommandsDuringTheLoopNeitherSpoilNorReadTheResult) {
    resize(60, 400);  // seven bands
    const auto want = test::referenceIndices(s);
    app.dialogs.saveAnswers.push_back((app.folder / "presto.bmp").string());
    app.events.duringYield = [&](int n) {
        if (n == 5) {
            GRANDEZZA_SpinUp(app.ctx);  // another frame size from now on
            RADDR1(app.ctx);
            save_Click(app.ctx);
        }
    };
    RADDR1(app.ctx);
    EXPECT_EQ(s.sorgente.image.pixels.size(), 200u * 150) << "the photograph given back";
    EXPECT_EQ(test::fileImage(app.ctx.paths.scratchFile(), 60, 400).pixels, want);
    EXPECT_EQ(s.nRaddr, 1) << "F6 during the loop started nothing";
    EXPECT_TRUE(s.largRaddr == 60 && app.picture2.width == 60);
    EXPECT_FALSE(std::filesystem::exists(app.folder / "presto.bmp"));

    ALTRA1(app.ctx);
    ASSERT_TRUE(test::construct(app));
    app.events.yields = 0;
    app.events.duringYield = [&](int n) {
        if (n == 3) {
            test::openBitmap(app, 90, 70);
        }
    };
    RADDR1(app.ctx);
    EXPECT_EQ(app.events.yields, 3) << "nothing computed after the Open";
    EXPECT_EQ(s.sorgente.image.pixels.size(), 90u * 70) << "the new photograph kept";
    EXPECT_TRUE(f.Picture1.visible && f.RADDRIZZA.visible && !f.Picture2.visible &&
                !f.Text4.visible && !f.save.enabled && !f.RADDRIZZA.enabled && s.nRaddr == 0);
    EXPECT_EQ(f.RADDRIZZA.caption, "Raddrizza");
    const std::size_t messages = app.dialogs.messages.size();
    RADDR1(app.ctx);  // "Misura" once rectified the new photograph with the old frame
    EXPECT_EQ(app.dialogs.messages.size(), messages + 1);
    EXPECT_FALSE(std::filesystem::exists(app.ctx.paths.scratchFile()));
}

// A scratch file that cannot be written, and sizes no bitmap can hold: refused with the reason,
// the window put back as before the command, nothing left written.
TEST_F(RectifyTest, WhatCannotBeWrittenIsRefusedAndTheWindowPutBack) {
    const std::string scratchDir = app.ctx.paths.scratchDir;
    app.ctx.paths.scratchDir = "/proc/vesta-cannot-write-here";
    const std::pair<std::pair<int, int>, const char*> refused[] = {
        {{60, 40}, "vesta.bmp"},
        {{3001, 2}, "Immagine troppo grande; selezionare un'area più piccola"},
        {{5, 0}, "L'immagine raddrizzata sarebbe vuota; selezionare un'area più grande"},
        {{5, 32768}, "Immagine troppo alta (più di 32767 righe); selezionare un'area più piccola"},
    };
    for (const auto& [size, message] : refused) {
        resize(size.first, size.second);
        app.dialogs.messages.clear();
        RADDR1(app.ctx);
        ASSERT_EQ(app.dialogs.messages.size(), 1u);
        EXPECT_NE(app.dialogs.messages[0].text.find(message), std::string::npos);
        EXPECT_EQ(app.dialogs.messages[0].title, "IMPOSSIBILE RADDRIZZARE");
        EXPECT_TRUE(f.RADDRIZZA.visible && f.CENTRO.visible && f.Picture1.enabled &&
                    !f.Text4.visible && f.RADDRIZZA.caption == "Raddrizza");
        app.ctx.paths.scratchDir = scratchDir;
        EXPECT_FALSE(std::filesystem::exists(app.ctx.paths.scratchFile()));
    }
    resize(3000, 2);
    RADDR1(app.ctx);
    EXPECT_EQ(std::filesystem::file_size(app.ctx.paths.scratchFile()), 1078u + 2 * 3000);
}

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

// Both roads against the formulas pixel by pixel, over every case of the reference corner, both
// row orders, mirrored rows, every padding and areas reaching beyond the photograph: the palette
// road's fast loop (column lines made once, rows streamed) through the window, then nearest and
// bilinear in grey and colour, 8 and 16 bits, taken in turn. Rows depend on their number alone,
// so the band heights and thread counts taken in turn must not change a byte.
TEST(Rectification, BothRoadsMatchTheFormulasBitForBitInEveryLayoutDepthAndBanding) {
    constexpr std::array<int, 2> kFormats[] = {{3, 8}, {3, 16}, {1, 8}, {1, 16}};
    using Area = std::array<double, 4>;  // left, top, right, bottom
    std::set<int> cases, pads;
    int run = 0;
    // The rolled sample's construction at a quarter of its size over these areas and size
    // factors, mirrored and flipped.
    for (int mirrorFlip = 0; mirrorFlip < 4; ++mirrorFlip) {
        for (const double size : {1.0, 1.5}) {
            for (const Area& a :
                 {Area{0, 0, 203, 152}, Area{120, 80, 197, 147}, Area{3, 3, 61, 40},
                  Area{150, 5, 196, 70}, Area{4, 100, 90, 146}, Area{30, 20, 171, 131}}) {
                FakeApp app;
                Form_Load(app.ctx, test::screen1024x768());
                test::openBitmap(app, 200, 150);
                WorkingState& s = app.ctx.s;
                s.setCorner(1, {a[0], a[1]});
                s.setCorner(2, {a[0], a[3]});
                s.setCorner(3, {a[2], a[3]});
                s.setCorner(4, {a[2], a[1]});
                s.nAree = 1;
                s.grandezza = size;
                if (!test::construct(app, mirrorFlip & 1, mirrorFlip & 2)) {
                    continue;
                }
                const Frame& f = s.construction->frame;
                if (f.largOut < 1 || f.altOut < 1 || f.largOut > 3000) {
                    continue;
                }
                cases.insert(f.casoFughe);
                pads.insert(int(f.largOut) % 4);
                const std::string layout = "case " + std::to_string(f.casoFughe) + " sign " +
                                           std::to_string(f.segnoX) + " size " +
                                           std::to_string(size);
                RADDR1(app.ctx);
                ASSERT_TRUE(app.dialogs.messages.empty()) << app.dialogs.messages[0].text;
                const IndexedImage got =
                    test::fileImage(app.ctx.paths.scratchFile(), int(f.largOut), int(f.altOut));
                ASSERT_EQ(got.pixels, test::referenceIndices(s)) << layout;
                EXPECT_EQ(got.palette, s.sorgente.image.palette) << "the photograph's palette";

                for (const bool bilinear : {false, true}) {
                    const auto [channels, bits] = kFormats[run / 2 % 4];
                    const BandOptions options{std::array{1, 2, 4}[run % 3],
                                              std::array{1, 7, 0}[run / 3 % 3],
                                              nullptr,
                                              {}};
                    ++run;
                    const ColourImage photo = test::patternImage(200, 150, channels, bits);
                    const ColourImage colour =
                        whole(byLines(s, photo,
                                      bilinear ? Interpolation::Bilinear : Interpolation::Nearest),
                              options);
                    const ColourImage want = test::referenceImage(s, photo, bilinear);
                    ASSERT_TRUE(colour.width == want.width && colour.height == want.height &&
                                colour.samples8 == want.samples8 &&
                                colour.samples16 == want.samples16)
                        << channels << " channels, " << bits << " bits, bilinear " << bilinear
                        << ", " << layout;
                }
            }
        }
    }
    // Every case of the reference corner, mirrored rows and both row orders; every padding.
    EXPECT_EQ(cases, (std::set<int>{1, 2, 3, 4}));
    EXPECT_EQ(pads.size(), 4u);
}

// A cancel seen at a band boundary hands on nothing more; a sink that fails stops the run. A
// photograph whose samples stop short of its last row (a reader's fault) is not read beyond them.
TEST_F(RectifyTest, ACancelOrAFailingSinkStopsTheColourBandsAndAShortPhotographIsNotOverread) {
    resize(120, 200);
    const ColourImage photo = test::patternImage(200, 150, 3, 8);
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
    ColourImage cut = photo;
    cut.samples8.pop_back();
    EXPECT_EQ(whole(byLines(s, cut, Interpolation::Bilinear)).samples8,
              std::vector<std::uint8_t>(120 * 200 * 3, 0));
}

// A 20000 x 15000 result of 16-bit colour would need 1.8 GB; the run holds a few bands of at
// most 1 MiB, recycled, whatever the number of rows.
TEST_F(RectifyTest, AHugeResultIsHeldABandAtATime) {
    resize(20000, 15000);
    const ColourImage deep = test::patternImage(200, 150, 3, 16);
    const BandRectifier rectifier = byLines(s, deep, Interpolation::Bilinear);
    const BandOptions options{4, 0, nullptr, {}};
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
