#include <gtest/gtest.h>

#include "Fakes.h"
#include "state/Prompts.h"
#include "ui/Startup.h"

namespace vesta {
namespace {

using test::FakeApp;

TEST(WorkingStateAtStart, EveryFieldIsZeroButTheFewWithStartValues) {
    const WorkingState s;
    EXPECT_EQ(s.nRette, 0);
    EXPECT_EQ(s.modoClick, ClickMode::LineEnd);
    EXPECT_EQ(s.attesaSecondo, 0);
    EXPECT_EQ(s.primoMovimento, 1);
    EXPECT_EQ(s.raddrAvviato + s.interrompi + s.nRaddr + s.nAree + s.nMisura, 0);
    EXPECT_EQ(s.grandezza, 1.0);
    EXPECT_TRUE(s.misuraCm.empty());
    EXPECT_EQ(s.centroX, 0.0);
    EXPECT_EQ(s.largOut + s.altOut + s.altRaddr + s.largRaddr, 0.0);
    EXPECT_EQ(s.zoomPerc + s.zoomDir + s.posH + s.posV, 0);
    EXPECT_EQ(s.fattoreZoom, 0.0);
    for (const auto& row : s.rette) {
        for (double v : row) {
            EXPECT_EQ(v, 0.0);
        }
    }
    EXPECT_TRUE(s.divRighe.empty());
    EXPECT_EQ(s.larghezzaSorg(), 0);
}

class FormLoadTest : public ::testing::Test {
  protected:
    void SetUp() override { Form_Load(app.ctx, test::screen1024x768()); }
    FakeApp app;
    FormModel& f = app.ctx.form;
};

TEST_F(FormLoadTest, MeasuresTheScreenAndPlacesThePanelTopRight) {
    EXPECT_EQ(app.ctx.s.schermoLarg, 1024.0f);
    EXPECT_EQ(app.ctx.s.schermoAlt, 768.0f);
    EXPECT_EQ(f.Frame1.top, 10);
    // 1024 less the panel's 209 less the vertical bar's 16.
    EXPECT_DOUBLE_EQ(f.Frame1.left, 1024 - 3135 / 15.0 - 240 / 15.0);
    EXPECT_DOUBLE_EQ(f.HScroll1.width, 1024);
    EXPECT_DOUBLE_EQ(f.HScroll2.width, 1024);
}

TEST_F(FormLoadTest, DesignPositionsFollowTheScreensResolution) {
    EXPECT_DOUBLE_EQ(f.RADDRIZZA.left, 96);
    EXPECT_DOUBLE_EQ(f.RADDRIZZA.width, 105);
    EXPECT_DOUBLE_EQ(f.domanda1.height, 44);
    FakeApp hiDpi;
    Form_Load(hiDpi.ctx, ScreenInfo{1920 * 12.0, 1080 * 12.0, 12.0, 12.0});  // 120 dpi
    EXPECT_DOUBLE_EQ(hiDpi.ctx.form.RADDRIZZA.left, 120);
    EXPECT_DOUBLE_EQ(hiDpi.ctx.form.Frame1.left, 1920 - 3135 / 12.0 - 20);
}

TEST_F(FormLoadTest, OnlyWhatIsUsableIsShownAndEnabled) {
    EXPECT_EQ(f.caption, "VESTA 3.04");
    EXPECT_EQ(f.domanda1.caption, prompts::kCaricare);
    for (const Control* b : {&f.cancella, &f.CENTRO, &f.RADDRIZZA, &f.GRIGLIA, &f.RETTANG}) {
        EXPECT_FALSE(b->enabled) << b->name;
        EXPECT_TRUE(b->visible) << b->name;
    }
    for (const Control* c : {&f.zoo, &f.Text3, &f.Text4, &f.GRANDEZZA, &f.VScroll1, &f.HScroll1,
                             &f.VScroll2, &f.HScroll2}) {
        EXPECT_FALSE(c->visible) << c->name;
    }
    EXPECT_EQ(f.Text3.caption, "1");
    EXPECT_EQ(app.ctx.s.grandezza, 1.0);
    EXPECT_EQ(f.tfuox.caption, "fuox");
    EXPECT_EQ(f.Text6[4].caption, "m4");
    EXPECT_EQ(f.Text3.tooltip, "è possibile variare la grandeza dell'immagine raddrizzata");
    EXPECT_EQ(f.Picture1.tooltip, "inserire i punti relativi alle rette");
}

TEST_F(FormLoadTest, MenusStartAsDesigned) {
    EXPECT_FALSE(f.raddrizza1.enabled);
    EXPECT_FALSE(f.save.enabled);
    EXPECT_FALSE(f.print1.enabled);
    EXPECT_TRUE(f.edit.visible);
    EXPECT_TRUE(f.open.enabled);
    EXPECT_TRUE(f.exit.enabled);
    EXPECT_TRUE(f.start.enabled);
    EXPECT_FALSE(f.altra.visible);
    EXPECT_TRUE(f.frame_m.checked);
    for (const MenuItem* m : {&f.canc, &f.centro1, &f.area, &f.griglia2}) {
        EXPECT_FALSE(m->enabled) << m->name;
    }
    EXPECT_EQ(f.open.caption, "&Open File");
    EXPECT_EQ(f.open.shortcut, "F2");
    EXPECT_EQ(f.centro1.caption, "&Centro Oo");
    EXPECT_EQ(f.centro1.shortcut, "Ctrl+O");
    EXPECT_EQ(f.help.caption, "&?");
    EXPECT_EQ(f.help1.shortcut, "F1");
}

}  // namespace
}  // namespace vesta
