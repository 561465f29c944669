#include <gtest/gtest.h>

#include <algorithm>

#include "Fakes.h"
#include "construction/Commands.h"
#include "construction/PictureInput.h"
#include "rectify/Rectification.h"
#include "state/Prompts.h"
#include "ui/Undo.h"

namespace vesta {
namespace {

class UndoTest : public test::AppTest {
  protected:
    // A rubber band is erased by drawing it once more: whether the latest calls do.
    bool drawnAgain(const test::DrawCall& band) const {
        const auto& calls = app.picture1.calls;
        return std::any_of(calls.end() - 8, calls.end(), [&](const test::DrawCall& c) {
            return c.figure == band.figure && c.at == band.at && c.mode == DrawMode::Invert;
        });
    }
};

// Canc. with only a line's first end clicked abandons that end alone: the line before it
// stands, the same line is asked for again and the next two clicks make it.
TEST_F(UndoTest, CancelTakesTheLinesAwayOneByOne) {
    test::openBitmap(app, 800, 600);
    CANC2(app.ctx);
    EXPECT_EQ(s.nRette, -1);
    EXPECT_EQ(f.domanda1.caption, prompts::kDueRetteOrizz) << "unchanged with no line";
    test::clickLine(app.ctx, 100, 100, 700, 160);
    EXPECT_EQ(s.nRette, 1) << "the next click starts the first line normally";
    const std::string angle = f.Text6[1].caption;
    test::click(app.ctx, 100, 520);
    Picture1_MouseMove(app.ctx, 400, 480);
    const test::DrawCall band = app.picture1.calls.back();
    CANC2(app.ctx);
    EXPECT_TRUE(s.nRette == 1 && s.attesaSecondo == 0 && f.Text6[1].caption == angle);
    EXPECT_EQ(f.domanda1.caption, prompts::kSecondaOrizz);
    EXPECT_TRUE(drawnAgain(band)) << "the band erased";
    test::clickLine(app.ctx, 100, 500, 700, 450);
    EXPECT_TRUE(s.nRette == 2 && s.line(2).first == (Point{100, 500}));
    test::clickLine(app.ctx, 120, 520, 150, 80);
    test::clickLine(app.ctx, 680, 520, 650, 90);
    CANC2(app.ctx);
    EXPECT_TRUE(s.nRette == 3 && f.Text6[4].caption.empty());
    EXPECT_EQ(f.domanda1.caption, prompts::kSecondaVert);
    const auto& calls = app.picture1.calls;
    // The repaint erased every line; the three that stand are drawn again and the cancelled one
    // is not.
    const auto is = [](const char* figure) {
        return [figure](const test::DrawCall& c) { return c.figure == figure; };
    };
    const auto refresh = std::find_if(calls.rbegin(), calls.rend(), is("refresh"));
    ASSERT_NE(refresh, calls.rend());
    EXPECT_EQ(std::count_if(refresh.base(), calls.end(), is("line")), 3);
    CANC2(app.ctx);
    EXPECT_EQ(f.domanda1.caption, prompts::kPrimaVert);
    RETTANG3(app.ctx);  // a pending area input is abandoned with the last line
    CANC2(app.ctx);
    EXPECT_TRUE(s.nRette == 1 && s.modoClick == ClickMode::LineEnd);
    EXPECT_EQ(f.domanda1.caption, prompts::kSecondaOrizzCanc);
}

// A first corner or a first line end left pending must not become half of the next input,
// and its rubber band must not stay on the photograph.
TEST_F(UndoTest, CancelAndAnotherAbandonAHalfDoneInput) {
    test::openBitmap(app, 800, 600);
    test::clickFourLines(app.ctx);
    RETTANG3(app.ctx);
    PICTURE1_MouseDown(app.ctx, 200, 150);
    Picture1_MouseMove(app.ctx, 300, 300);
    CANC2(app.ctx);  // line 4 goes with the pending corner
    PICTURE1_MouseDown(app.ctx, 600, 400);
    EXPECT_EQ(s.nRette, 3) << "the click starts line 4 again";
    EXPECT_EQ(s.xPrimo, 600);

    test::click(app.ctx, 650, 90);
    RETTANG3(app.ctx);
    PICTURE1_MouseDown(app.ctx, 200, 150);
    Picture1_MouseMove(app.ctx, 300, 300);
    const test::DrawCall band = app.picture1.calls.back();
    ALTRA1(app.ctx);
    EXPECT_TRUE(drawnAgain(band)) << "the band erased";
    PICTURE1_MouseDown(app.ctx, 600, 400);
    EXPECT_TRUE(s.corner(1).x == 600 && s.attesaSecondo == 1) << "the click starts a new area";
}

// "Altra ?" and F7 lead back to the same photograph with the same construction, awaiting an
// area: both offer Raddrizza, Start and Griglia on it at once (Canc. takes Save away), and
// Raddrizza rectifies it again, its bars ranged for it; the first corner of a new area takes them
// away until that area is complete.
TEST_F(UndoTest, AfterAResultAltraAndF7BothOfferTheStandingConstruction) {
    for (void (*back)(Context&) : {CANC2, ALTRA1}) {
        test::openBitmap(app, 1500, 900);  // beyond the visible 783 x 720
        test::clickFourLines(app.ctx);
        RETTANG3(app.ctx);
        test::click(app.ctx, 150, 150);
        test::click(app.ctx, 600, 450);
        RADDR1(app.ctx);
        ASSERT_EQ(f.cancella.caption, "Altra ?");
        back(app.ctx);
        EXPECT_TRUE(s.construction && s.nRaddr == 0 && s.nRette == 4 &&
                    s.modoClick == ClickMode::AreaCorner);
        if (back == CANC2) {
            EXPECT_EQ(f.domanda1.caption, prompts::kDeviDefinireArea);
        }
        EXPECT_TRUE(f.Picture1.visible && !f.Picture2.visible &&
                    f.RADDRIZZA.caption == "Raddrizza");
        EXPECT_EQ(f.save.enabled, back == ALTRA1);
        EXPECT_TRUE(f.HScroll1.visible && f.VScroll1.visible && f.HScroll1.max == 1500 - 783)
            << "the photograph's bars ranged again";
        RADDR1(app.ctx);
        EXPECT_TRUE(s.nRaddr == 1 && f.RADDRIZZA.caption == "Misura") << "rectified again";
        ALTRA1(app.ctx);
        RETTANG3(app.ctx);
        test::click(app.ctx, 200, 200);
        EXPECT_FALSE(f.RADDRIZZA.enabled || f.start.enabled || f.GRIGLIA.enabled);
    }
}

}  // namespace
}  // namespace vesta
