// Turning in the window: the photograph before its lines, the rectified image after.
#include <gtest/gtest.h>

#include <QTest>
#include <array>
#include <filesystem>

#include "BitmapBytes.h"
#include "WindowFixture.h"
#include "codec/CameraFile.h"
#include "codec/ColourFileWriter.h"
#include "image/BitmapFile.h"
#include "image/QuarterTurns.h"
#include "ui/TurnCommands.h"

namespace vesta::desktop {
namespace {

class TurnWindowTest : public test::WindowTest {
  protected:
    // Whether the turns are offered: the three go together.
    bool offered() {
        const bool on = window.menuAction("ruotaDestra")->isEnabled();
        for (const char* name : {"ruotaSinistra", "capovolgi"}) {
            EXPECT_EQ(window.menuAction(name)->isEnabled(), on) << name;
        }
        return on;
    }
    void clickResult(int x, int y) {
        QTest::mouseClick(window.pictureWidget("Picture2"), Qt::LeftButton, {}, QPoint(x, y));
    }
    Context& ctx() { return window.context(); }
    WorkingState& s() { return window.context().s; }
};

// A turn of the photograph is offered only before its first line, and starts the construction
// over for the turned photograph: a first point left pending on the old one is dropped, the
// principal point and the area are the turned photograph's.
TEST_F(TurnWindowTest, ThePhotographTurnsBeforeItsLinesAndStartsOver) {
    EXPECT_FALSE(offered()) << "nothing open";
    test::writeBytes(scratch / "foto.bmp", test::bitmapBytes({.width = 61, .height = 40}));
    openFile((scratch / "foto.bmp").string());
    ASSERT_TRUE(offered());
    const IndexedImage upright = s().sorgente.image;
    clickPhoto(10, 10);  // the first end of a line
    choose("ruotaDestra");
    EXPECT_TRUE(s().sorgente.image.pixels == turnedClockwise(upright, 1).pixels);
    EXPECT_EQ(window.pictureWidget("Picture1")->size(), QSize(40, 61));
    EXPECT_TRUE(s().attesaSecondo == 0 && s().nRette == 0 && s().photographTurn == 1);
    EXPECT_TRUE(s().centroX == 20 && s().centroY == 30.5);
    EXPECT_EQ(s().corner(3), (Point{39, 60}));

    choose("capovolgi");
    choose("ruotaDestra");
    EXPECT_EQ(s().photographTurn, 0);
    EXPECT_TRUE(s().sorgente.image.pixels == upright.pixels) << "four quarters are no turn";
    clickPhoto(10, 10);
    clickPhoto(50, 12);
    EXPECT_FALSE(offered()) << "a line stands";
    window.run(ruotaDestra_Click);
    EXPECT_TRUE(s().photographTurn == 0 && s().nRette == 1) << "the line is not thrown away";
}

// The result turns as a whole: what is shown, what Save keeps, and what Misura measures. The
// scale taken before the turn stays (cm per pixel), so the same two points of the facade,
// where the turn put them, measure the same. Never while rows are computed.
TEST_F(TurnWindowTest, TheResultTurnsWithWhatIsSavedAndMeasured) {
    const std::string sample = VESTA_SAMPLES_DIR "/facciata_ruotata.bmp";
    std::filesystem::copy_file(sample, scratch / "facciata.bmp");
    openFile((scratch / "facciata.bmp").string());
    clickSampleLines();
    EXPECT_FALSE(offered());
    bool duringRows = true;
    events.duringYield = [&](int) {
        window.run(ruotaDestra_Click);
        duringRows = duringRows && window.menuAction("ruotaDestra")->isEnabled() == false &&
                     s().resultTurn == 0;
    };
    QTest::mouseClick(window.control("RADDRIZZA"), Qt::LeftButton);
    events.duringYield = nullptr;
    EXPECT_TRUE(duringRows);
    ASSERT_TRUE(offered());
    const IndexedImage result = s().immagineRaddrizzata;
    const int w = result.width, h = result.height;

    QTest::mouseClick(window.control("RADDRIZZA"), Qt::LeftButton);  // Misura
    dialogs.inputs.push_back("200");
    clickResult(20, 100);
    clickResult(220, 100);
    const std::string length = ctx().form.Text6[1].caption;
    const double scale = s().scala;
    clickResult(30, 40);  // a first point, dropped by the turn

    choose("ruotaDestra");
    EXPECT_TRUE(s().immagineRaddrizzata.pixels == turnedClockwise(result, 1).pixels);
    EXPECT_TRUE(s().largRaddr == h && s().altRaddr == w && s().attesaSecondo == 0);
    // Turned, and ending at the visible width (783), left of the panel.
    EXPECT_EQ(window.pictureWidget("Picture2")->size(), QSize(std::min(h, 783), w));
    const Result<SourceBitmap> scratchFile = readSourceBitmap(ctx().paths.scratchFile());
    ASSERT_TRUE(scratchFile.ok());
    EXPECT_TRUE(scratchFile.value().image.pixels == s().immagineRaddrizzata.pixels);
    EXPECT_EQ(s().scala, scale);
    EXPECT_EQ(s().scalaCoppia, (std::array<double, 4>{h - 1 - 100.0, 20, h - 1 - 100.0, 220}));
    clickResult(h - 1 - 100, 20);
    clickResult(h - 1 - 100, 220);
    EXPECT_EQ(ctx().form.Text6[1].caption, length);
    EXPECT_TRUE(dialogs.prompts.size() == 1) << "no second reference length asked";

    // Saved, turned again, saved again: each file is what was on show, and the kept
    // construction replays to the last one.
    dialogs.saveAnswers.push_back((scratch / "destra.bmp").string());
    choose("save");
    choose("ruotaSinistra");
    dialogs.saveAnswers.push_back((scratch / "sinistra.bmp").string());
    choose("save");
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text;
    EXPECT_TRUE(readSourceBitmap((scratch / "sinistra.bmp").string()).value().image.pixels ==
                result.pixels);
    choose("ruotaSinistra");
    dialogs.saveAnswers.push_back((scratch / "girata.bmp").string());
    choose("save");
    EXPECT_TRUE(readSourceBitmap((scratch / "girata.bmp").string()).value().image.pixels ==
                turnedClockwise(result, -1).pixels);
    EXPECT_TRUE(test::replaysTo(scratch / "girata.bmp"));
}

// A colour photograph turned upright and its colour result turned: the scratch file (TIFF in
// the window) and a save in another format both hold the turned result, and the kept
// construction replays to the saved bytes.
TEST_F(TurnWindowTest, AColourPhotographAndItsResultTurnAndReplay) {
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
