#include <gtest/gtest.h>

#include <algorithm>

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

TEST_F(FormLoadTest, ShowsTheFirstPromptAndTheSizeFactor) {
    EXPECT_EQ(f.caption, "VESTA 3.04");
    EXPECT_EQ(f.domanda1.caption, prompts::kCaricare);
    EXPECT_EQ(f.Text3.caption, "1");
    EXPECT_EQ(app.ctx.s.grandezza, 1.0);
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

namespace vesta {
namespace {

// Every control as the user first meets it: a typo in an Italian text or a wrong start state
// shows here.
TEST(FormAtStart, EveryControlHasItsCaptionTooltipAndState) {
    test::FakeApp app;
    Form_Load(app.ctx, test::screen1024x768());
    struct Expected {
        const char* name;
        const char* caption;
        const char* tooltip;
        bool visible;
        bool enabled;
    };
    const Expected table[] = {
        {"Frame1", "COMANDI", "", true, true},
        {"cancella", "Canc.", "cancella l'ultima operazione", true, false},
        {"RADDRIZZA", "Raddrizza", "opera il raddrizzamento", true, false},
        {"GRIGLIA", "Griglia", "visualizza una griglia regolare in prospettiva", true, false},
        {"RETTANG", "Area", "stabilisce un'area di calcolo", true, false},
        {"CENTRO", "Centro", "riposiziona il centro dell'immagine", true, false},
        {"tfuox", "fuox", "Parametri di calcolo", true, true},
        {"tfuoy", "fuoy", "Parametri di calcolo", true, true},
        {"tfuvx", "fuvx", "Parametri di calcolo", true, true},
        {"tfuvy", "fuvy", "Parametri di calcolo", true, true},
        {"Text6(1)", "m1", "Parametri di calcolo", true, true},
        {"Text6(3)", "m3", "Parametri di calcolo", true, true},
        {"Text1", "x.", "coordinate X", true, true},
        {"Text2", "y.", "coordinate Y", true, true},
        {"Text3", "1", "è possibile variare la grandeza dell'immagine raddrizzata", false, true},
        {"Text4", " ", "", false, true},
        {"GRANDEZZA", "", "", false, true},
        {"domanda1", "Caricare un'immagine ", "seguire le istruzioni", true, true},
        {"Label2", "y.", "", true, true},
        {"Label3", "x.", "", true, true},
        {"zoo", "Zoom", "visualizza l'immagine ingrandita o ridotta", false, true},
        {"Picture2", "", "immagine raddrizzata", true, true},
        {"Label1", "Immagine raddrizzata", "", false, true},
        {"Picture1", "", "inserire i punti relativi alle rette", true, true},
        {"Label4", "Immagine sorgente", "", true, true},
        {"VScroll1", "", "", false, true},
        {"HScroll2", "", "", false, true},
    };
    const auto controls = app.ctx.form.controls();
    for (const Expected& e : table) {
        const auto it = std::find_if(controls.begin(), controls.end(),
                                     [&](const Control* c) { return c->name == e.name; });
        ASSERT_NE(it, controls.end()) << e.name;
        EXPECT_EQ((*it)->caption, e.caption) << e.name;
        EXPECT_EQ((*it)->tooltip, e.tooltip) << e.name;
        EXPECT_EQ((*it)->visible, e.visible) << e.name;
        EXPECT_EQ((*it)->enabled, e.enabled) << e.name;
    }
    EXPECT_EQ(controls.size(), 31u);
    const FormModel& f = app.ctx.form;
    EXPECT_EQ(f.RADDRIZZA.background, colours::orange);
    EXPECT_EQ(f.Frame1.foreground, colours::orange);
    EXPECT_EQ(f.Picture2.foreground, colours::resultForeground);
    EXPECT_EQ(f.zoo.font->family, "Small Fonts");
    EXPECT_EQ(f.Text4.font->bold, true);
    EXPECT_EQ(f.Label4.container, "Picture1");
    EXPECT_EQ(f.cancella.container, "Frame1");
}

}  // namespace
}  // namespace vesta
