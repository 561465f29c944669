// Rette automatiche in the window: the lines found offered in their directions' colours, one
// dropped with a click, the rest accepted into the same construction as clicked lines; a line
// of the user's own, or Canc., takes the offer away. Never a box.
#include <gtest/gtest.h>

#include <QTest>

#include "WindowFixture.h"
#include "state/Prompts.h"

namespace vesta::desktop {
namespace {

class AutoLinesWindowTest : public test::WindowTest {
  protected:
    AutoLinesWindowTest() { openFile(VESTA_SAMPLES_DIR "/facciata_ruotata.bmp"); }
    Context& ctx() { return window.context(); }
    std::size_t offered() {
        return ctx().s.proposedLines[0].size() + ctx().s.proposedLines[1].size();
    }
};

TEST_F(AutoLinesWindowTest, OfferedLinesAreDroppedAndAcceptedIntoTheConstruction) {
    EXPECT_FALSE(window.menuAction("accettaRette")->isEnabled());
    // Canc. takes the offer away; so does a click far from any line, the first end of the user's
    // own line (taken back with Canc. in turn).
    choose("retteAutomatiche");
    ASSERT_GT(offered(), 0u);
    choose("canc");
    EXPECT_EQ(offered(), 0u);
    EXPECT_EQ(ctx().form.domanda1.caption, prompts::kPrimaOrizz);
    EXPECT_TRUE(window.menuAction("retteAutomatiche")->isEnabled());
    choose("retteAutomatiche");
    ASSERT_GT(offered(), 0u);
    clickPhoto(3, 3);
    EXPECT_EQ(offered(), 0u);
    EXPECT_EQ(ctx().s.attesaSecondo, 1);
    choose("canc");

    choose("retteAutomatiche");
    ASSERT_GE(ctx().s.proposedLines[0].size(), 3u);
    ASSERT_GE(ctx().s.proposedLines[1].size(), 3u);
    EXPECT_EQ(ctx().form.domanda1.caption, prompts::kRetteTrovate);
    EXPECT_TRUE(window.menuAction("accettaRette")->isEnabled());
    EXPECT_FALSE(window.menuAction("retteAutomatiche")->isEnabled()) << "offered already";
    // Drawn in the horizontal colour along the first horizontal line.
    const auto [a, b] = ctx().s.proposedLines[0][0];
    const Point mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
    const QImage near = window.pictureWidget("Picture1")
                            ->grab()
                            .toImage()
                            .copy(int(mid.x) - 1, int(mid.y) - 1, 3, 3);
    bool green = false;
    for (int i = 0; i < 9; ++i) {
        green = green || near.pixelColor(i % 3, i / 3) == QColor(0, 255, 0);
    }
    EXPECT_TRUE(green);

    // A click on a further vertical line drops that line only.
    const std::size_t before = offered();
    const auto [c, d] = ctx().s.proposedLines[1].back();
    clickPhoto(int(std::lround((c.x + d.x) / 2)), int(std::lround((c.y + d.y) / 2)));
    EXPECT_EQ(offered(), before - 1);
    EXPECT_EQ(ctx().s.attesaSecondo, 0) << "no line begun";

    const std::size_t horizontal = ctx().s.proposedLines[0].size();
    choose("accettaRette");
    EXPECT_EQ(offered(), 0u);
    EXPECT_EQ(ctx().s.nRette, 4);
    EXPECT_EQ(ctx().s.extraLines.size(), before - 1 - 4);
    EXPECT_EQ(ctx().s.residualsH.size(), horizontal);
    ASSERT_TRUE(ctx().s.construction.has_value());
    EXPECT_TRUE(window.menuAction("altraRettaOrizz")->isEnabled());
    EXPECT_FALSE(window.menuAction("retteAutomatiche")->isEnabled());
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace vesta::desktop
