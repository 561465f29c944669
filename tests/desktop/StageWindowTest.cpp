// What the window offers the user at each step of the road: a command counts as offered when
// its button is shown and enabled, or its menu item shown and enabled. The procedures and the
// table of stages agree: after every step the form holds exactly what the table gives for the
// stage the work is in. Turning: the photograph before its lines (never once a line stands), the
// rectified image after.
#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <filesystem>
#include <initializer_list>

#include "WindowFixture.h"
#include "codec/CameraFile.h"
#include "codec/ColourFileWriter.h"
#include "construction/Commands.h"
#include "construction/ConstructionState.h"
#include "image/BitmapFile.h"
#include "image/QuarterTurns.h"
#include "ui/TurnCommands.h"

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
        EXPECT_EQ(stageName(stageOf(ctx().s)), stageName(stage)) << step;
        FormModel table = ctx().form;
        applyStage(table, stageOf(ctx().s), stageFacts(ctx()));
        const auto sameAsTable = [step](const auto& form, const auto& fromTable) {
            for (std::size_t i = 0; i < form.size(); ++i) {
                EXPECT_TRUE(form[i]->enabled == fromTable[i]->enabled &&
                            form[i]->visible == fromTable[i]->visible)
                    << step << ": " << form[i]->name;
            }
        };
        sameAsTable(ctx().form.menus(), table.menus());
        sameAsTable(ctx().form.controls(), table.controls());
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
    Context& ctx() { return window.context(); }
    WorkingState& s() { return window.context().s; }
};

TEST_F(StageWindowTest, EachStepOffersWhatTheUserCanDoThere) {
    expectOffers("start", Stage::NoPhotograph,
                 {"-RADDRIZZA", "-cancella", "-RETTANG", "-GRIGLIA", "-save", "-print1",
                  "-raddrizza1", "-ruotaDestra", "-focale", "+agganciaBordi"});
    const std::filesystem::path photo = scratch / "facciata.bmp";
    std::filesystem::copy_file(VESTA_SAMPLES_DIR "/facciata_ruotata.bmp", photo);
    openFile(photo.string());
    // A turn starts the construction over for the turned photograph: a first point left pending
    // on the old one is dropped, the principal point and the area are the turned photograph's.
    clickPhoto(10, 10);  // the first end of a line
    choose("ruotaDestra");
    EXPECT_EQ(window.pictureWidget("Picture1")->size(), QSize(600, 800));
    EXPECT_TRUE(s().attesaSecondo == 0 && s().nRette == 0 && s().photographTurn == 1);
    EXPECT_TRUE(s().centroX == 300 && s().centroY == 400 && s().corner(3) == (Point{599, 799}));
    choose("capovolgi");
    choose("ruotaDestra");
    EXPECT_EQ(s().photographTurn, 0) << "four quarters are no turn";
    expectOffers("opened", Stage::DrawingLines,
                 {"+ruotaDestra", "+agganciaBordi", "+focale", "+print1", "+canc", "-cancella",
                  "-RADDRIZZA", "-RETTANG", "-area", "-save", "-bilineare", "-misureNote"});
    clickSample(0, 2);
    expectOffers("a line", Stage::DrawingLines,
                 {"+cancella", "-agganciaBordi", "-ruotaDestra", "-RADDRIZZA"});
    window.run(ruotaDestra_Click);
    EXPECT_TRUE(s().photographTurn == 0 && s().nRette == 1) << "the line is not thrown away";
    clickSample(2, 8);
    expectOffers("four lines", Stage::Area,
                 {"+RADDRIZZA", "+GRIGLIA", "+RETTANG", "+area", "+start", "+misureNote", "-save",
                  "-ruotaDestra"});
    click("cancella");
    expectOffers("the fourth line taken back", Stage::DrawingLines,
                 {"-misureNote", "-RADDRIZZA", "-area", "+cancella"});
    clickSample(6, 8);
    click("RETTANG");
    clickPhoto(200, 150);
    expectOffers("an area's first corner", Stage::Construction,
                 {"-RADDRIZZA", "-GRIGLIA", "-start"});
    clickPhoto(620, 500);
    expectOffers("an area", Stage::Area, {"+RADDRIZZA", "+GRIGLIA", "+start"});

    bool seen = false;
    events.duringYield = [&](int) {
        if (!seen) {
            window.push();
            expectOffers("rows computed", Stage::Rectifying,
                         {"+cancella", "-RADDRIZZA", "-RETTANG", "-start", "-save", "-print1",
                          "-area", "-misureNote", "-ruotaDestra"});
            seen = true;
        }
    };
    click("RADDRIZZA");
    events.duringYield = nullptr;
    EXPECT_TRUE(seen);
    const auto onResult = {"+RADDRIZZA",   "+cancella", "+save",       "+print1",
                           "+ruotaDestra", "-start",    "-area",       "-canc",
                           "-RETTANG",     "-GRIGLIA",  "-misureNote", "-stampaScala"};
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
                 {"+RADDRIZZA", "+start", "+GRIGLIA", "+RETTANG", "+area", "+canc", "+save",
                  "-ruotaDestra", "-stampaScala"});
    choose("canc");
    EXPECT_FALSE(offered("save")) << "Canc. takes Save away";
    window.context().form.save.enabled = true;  // the one command the table does not decide
    expectOffers("Canc. back to the area", Stage::Area, {});
    openFile(photo.string());
    expectOffers("another photograph", Stage::DrawingLines,
                 {"+ruotaDestra", "-RETTANG", "-cancella", "-save", "-area", "-RADDRIZZA"});
}

// The result turns as a whole: what is shown, what Save keeps, and what Misura measures. The
// scale taken before the turn stays (cm per pixel), so the same two points of the facade,
// where the turn put them, measure the same, as sure as before. Never while rows are computed.
TEST_F(StageWindowTest, TheResultTurnsWithWhatIsSavedAndMeasured) {
    const std::string sample = VESTA_SAMPLES_DIR "/facciata_ruotata.bmp";
    std::filesystem::copy_file(sample, scratch / "facciata.bmp");
    openFile((scratch / "facciata.bmp").string());
    clickSampleLines();
    bool duringRows = true;
    events.duringYield = [&](int) {
        window.run(ruotaDestra_Click);
        duringRows = duringRows && s().resultTurn == 0;
    };
    QTest::mouseClick(window.control("RADDRIZZA"), Qt::LeftButton);
    events.duringYield = nullptr;
    EXPECT_TRUE(duringRows);
    const IndexedImage result = s().immagineRaddrizzata;
    const int w = result.width, h = result.height;
    // A size step after the result is for the next one: Save keeps the record of this one.
    window.run(GRANDEZZA_SpinUp);

    QTest::mouseClick(window.control("RADDRIZZA"), Qt::LeftButton);  // Misura
    dialogs.inputs.push_back("200");
    clickResult(20, 100);
    clickResult(220, 100);
    const std::string measured = ctx().form.incertezzaMisura.caption;  // the length and its ±
    clickResult(30, 40);  // a first point, dropped by the turn

    choose("ruotaDestra");
    // Turned, and ending at the visible width (783), left of the panel.
    EXPECT_EQ(window.pictureWidget("Picture2")->size(), QSize(std::min(h, 783), w));
    clickResult(h - 1 - 100, 20);
    clickResult(h - 1 - 100, 220);
    EXPECT_EQ(ctx().form.incertezzaMisura.caption, measured);
    EXPECT_TRUE(dialogs.prompts.size() == 1) << "no second reference length asked";

    // Saved, turned again, saved again: the second file is what was on show, and the kept
    // construction replays to it.
    dialogs.saveAnswers.push_back((scratch / "destra.bmp").string());
    choose("save");
    choose("ruotaSinistra");
    choose("ruotaSinistra");
    dialogs.saveAnswers.push_back((scratch / "girata.bmp").string());
    choose("save");
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text;
    EXPECT_TRUE(readSourceBitmap((scratch / "girata.bmp").string()).value().image.pixels ==
                turnedClockwise(result, -1).pixels);
    EXPECT_TRUE(test::replaysTo(scratch / "girata.bmp"));
}

// A colour photograph turned upright and its colour result turned: the scratch file (TIFF in
// the window) and a save in another format both hold the turned result, and the kept
// construction replays to the saved bytes.
TEST_F(StageWindowTest, AColourPhotographAndItsResultTurnAndReplay) {
    const ColourImage upright = test::patternImage(800, 600, 3, 16);
    ASSERT_EQ(saveColourImage((scratch / "foto.png").string(), turnedClockwise(upright, 1)), "");
    openFile((scratch / "foto.png").string());
    choose("ruotaSinistra");
    ASSERT_TRUE(s().fotoColori && s().fotoColori->samples16 == upright.samples16);
    clickSampleLines();
    EXPECT_TRUE(window.menuAction("bilineare")->isChecked()) << "a colour photograph's default";
    QTest::mouseClick(window.control("RADDRIZZA"), Qt::LeftButton);
    const ColourImage result = s().risultatoColori;
    ASSERT_GT(result.width, 0);
    choose("capovolgi");
    const Result<CameraPhoto> kept = readCameraFile(ctx().paths.scratchFile());
    ASSERT_TRUE(kept.ok()) << kept.error();
    EXPECT_TRUE(kept.value().image.samples16 == turnedClockwise(result, 2).samples16);
    dialogs.saveAnswers.push_back((scratch / "girata.png").string());
    choose("save");
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text;
    EXPECT_TRUE(test::replaysTo(scratch / "girata.png"));
    // Saved once, the result on show is offered again, in another format.
    dialogs.saveAnswers.push_back((scratch / "girata.tif").string());
    choose("save");
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text;
    EXPECT_TRUE(readCameraFile((scratch / "girata.tif").string()).value().image.samples16 ==
                kept.value().image.samples16);
}

}  // namespace
}  // namespace vesta::desktop
