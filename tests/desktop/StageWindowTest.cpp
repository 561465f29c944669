// What the window offers the user at each step of the road: a command counts as offered when
// its button is shown and enabled, or its menu item shown and enabled. The procedures and the
// table of stages agree: after every step the form holds exactly what the table gives for the
// stage the work is in.
#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <filesystem>
#include <initializer_list>

#include "WindowFixture.h"
#include "construction/Commands.h"
#include "construction/ConstructionState.h"

namespace vesta::desktop {
namespace {

class StageWindowTest : public test::WindowTest {
  protected:
    bool offered(const std::string& name) const {
        if (const QAction* item = window.menuAction(name)) {
            return item->isEnabled() && item->isVisible();
        }
        const QWidget* button = window.control(name);
        return button->isEnabled() && button->isVisible();
    }
    // The work is in the stage given, and a command set by hand against the table, or a
    // procedure that forgets to enter its stage, shows as a difference. Each name with + must
    // be offered, with - not.
    void expectOffers(const char* step, Stage stage, std::initializer_list<const char*> names) {
        const Context& ctx = window.context();
        EXPECT_EQ(stageName(stageOf(ctx.s)), stageName(stage)) << step;
        FormModel table = ctx.form;
        applyStage(table, stageOf(ctx.s), stageFacts(ctx));
        const auto sameAsTable = [step](const auto& form, const auto& fromTable) {
            for (std::size_t i = 0; i < form.size(); ++i) {
                EXPECT_TRUE(form[i]->enabled == fromTable[i]->enabled &&
                            form[i]->visible == fromTable[i]->visible)
                    << step << ": " << form[i]->name;
            }
        };
        sameAsTable(ctx.form.menus(), table.menus());
        sameAsTable(ctx.form.controls(), table.controls());
        for (const char* n : names) {
            EXPECT_EQ(offered(n + 1), n[0] == '+') << step << ": " << n + 1;
        }
    }
    void click(const char* name) { QTest::mouseClick(window.control(name), Qt::LeftButton); }
    // The clicks [from, to) of the sample's lines.
    void clickSample(int from, int to) {
        for (int i = from; i < to; ++i) {
            clickPhoto(test::kSampleLines[i][0], test::kSampleLines[i][1]);
        }
    }
    void clickResult(int x, int y) {
        QTest::mouseClick(window.pictureWidget("Picture2"), Qt::LeftButton, {}, QPoint(x, y));
    }
};

TEST_F(StageWindowTest, EachStepOffersWhatTheUserCanDoThere) {
    expectOffers("start", Stage::NoPhotograph,
                 {"-RADDRIZZA", "-cancella", "-CENTRO", "-RETTANG", "-GRIGLIA", "-save", "-print1",
                  "-raddrizza1", "-ruotaDestra", "-focale", "+agganciaBordi"});
    const std::filesystem::path photo = scratch / "facciata.bmp";
    std::filesystem::copy_file(VESTA_SAMPLES_DIR "/facciata_ruotata.bmp", photo);
    openFile(photo.string());
    expectOffers(
        "opened", Stage::DrawingLines,
        {"+ruotaDestra", "+agganciaBordi", "+focale", "+print1", "+canc", "-cancella", "-RADDRIZZA",
         "-RETTANG", "-CENTRO", "-area", "-save", "-altra", "-bilineare", "-misureNote"});
    clickSample(0, 2);
    expectOffers("a line", Stage::DrawingLines,
                 {"+cancella", "-agganciaBordi", "-ruotaDestra", "-RADDRIZZA"});
    clickSample(2, 8);
    expectOffers("four lines", Stage::Area,
                 {"+RADDRIZZA", "+GRIGLIA", "+RETTANG", "+CENTRO", "+area", "+griglia2", "+centro1",
                  "+start", "+misureNote", "+MISURENOTE", "+altraRettaOrizz", "-save", "-altra",
                  "-ruotaDestra"});
    click("cancella");
    expectOffers("the fourth line taken back", Stage::DrawingLines,
                 {"-misureNote", "-MISURENOTE", "-altraRettaOrizz", "-RADDRIZZA", "-CENTRO",
                  "-area", "+cancella"});
    clickSample(6, 8);
    click("RETTANG");
    clickPhoto(200, 150);
    expectOffers("an area's first corner", Stage::Construction,
                 {"-RADDRIZZA", "-GRIGLIA", "-start", "+CENTRO"});
    clickPhoto(620, 500);
    expectOffers("an area", Stage::Area, {"+RADDRIZZA", "+GRIGLIA", "+start"});

    bool seen = false;
    events.duringYield = [&](int) {
        if (!seen) {
            window.push();
            expectOffers("rows computed", Stage::Rectifying,
                         {"+cancella", "-RADDRIZZA", "-RETTANG", "-start", "-save", "-print1",
                          "-area", "-centro1", "-griglia2", "-misureNote", "-ruotaDestra"});
            seen = true;
        }
    };
    click("RADDRIZZA");
    events.duringYield = nullptr;
    EXPECT_TRUE(seen);
    const auto onResult = {"+RADDRIZZA", "+cancella",    "+save",       "+print1",
                           "+altra",     "+ruotaDestra", "-start",      "-area",
                           "-centro1",   "-canc",        "-griglia2",   "-CENTRO",
                           "-RETTANG",   "-GRIGLIA",     "-misureNote", "-stampaScala"};
    expectOffers("a result", Stage::Result, onResult);
    window.run(GRANDEZZA_SpinUp);
    expectOffers("a size step on the result", Stage::Result, onResult);
    click("RADDRIZZA");
    expectOffers("Misura", Stage::Measuring, {});
    dialogs.inputs.push_back("200");
    clickResult(20, 100);
    clickResult(220, 100);
    expectOffers("a scale taken", Stage::Measuring, {"+stampaScala", "+save", "-start"});

    choose("altra");
    expectOffers("Altra", Stage::Area,
                 {"+RADDRIZZA", "+start", "+GRIGLIA", "+RETTANG", "+CENTRO", "+area", "+centro1",
                  "+canc", "+griglia2", "+save", "+altra", "-ruotaDestra", "-stampaScala"});
    choose("canc");
    EXPECT_FALSE(offered("save")) << "Canc. takes Save away";
    window.context().form.save.enabled = true;  // the one command the table does not decide
    expectOffers("Canc. back to the area", Stage::Area, {});
    openFile(photo.string());
    expectOffers(
        "another photograph", Stage::DrawingLines,
        {"+ruotaDestra", "-RETTANG", "-cancella", "-altra", "-save", "-area", "-RADDRIZZA"});
}

}  // namespace
}  // namespace vesta::desktop
