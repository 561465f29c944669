#include <gtest/gtest.h>

#include <array>

#include "Fakes.h"
#include "codec/ColourFileWriter.h"
#include "image/Scrolling.h"
#include "opening/OpenImage.h"
#include "state/Prompts.h"

namespace vesta {
namespace {

class OpenImageTest : public test::AppTest {
  protected:
    void open(const std::optional<std::string>& answer) {
        app.dialogs.openAnswers.push_back(answer);
        open_Click(app.ctx);
    }
};

// An odd size puts the principal point between pixels; the default area is the picture one
// pixel in. Opening again starts afresh whatever the last photograph left set. The visible
// region is 783 x 720 (the panel's column of 209 + 16 kept) with bars 16 pixels thick; each bar
// appears only for the side that does not fit, and a photograph opened after a scrolled one
// starts at the corner.
TEST_F(OpenImageTest, OpeningShowsThePhotographWithItsBarsAndStartsTheFirstLineAfresh) {
    test::openBitmap(app, 1500, 500);
    ASSERT_TRUE(f.HScroll1.visible);
    EXPECT_EQ(f.HScroll1.max, 1500 - 783);
    EXPECT_LT(f.Picture1.zOrder, f.HScroll1.zOrder) << "the bar stays on top of the picture";
    f.HScroll1.value = 300;
    HScroll1_Change(app.ctx);
    s.nRette = 4;
    s.modoClick = ClickMode::AreaCorner;
    s.nRaddr = 3;
    s.grandezza = 1.7;
    s.attesaSecondo = 1;
    f.RADDRIZZA.caption = "Misura";
    f.incertezzaMisura.caption = "d ±0,4 cm (scala ±0,1%)";
    test::openBitmap(app, 601, 901, "piccola.bmp");
    const std::string path = (app.folder / "piccola.bmp").string();
    EXPECT_EQ(f.caption, "Raddrizzamento di   ' " + path + " '");
    EXPECT_EQ(f.domanda1.caption, prompts::kDueRetteOrizz);
    EXPECT_TRUE(s.centroX == 300.5 && s.centroY == 450.5);
    EXPECT_EQ((std::array{s.corner(1), s.corner(2), s.corner(3), s.corner(4)}),
              (std::array<Point, 4>{{{1, 1}, {1, 900}, {600, 900}, {600, 1}}}));
    EXPECT_FALSE(f.HScroll1.visible);
    ASSERT_TRUE(f.VScroll1.visible);
    EXPECT_EQ(f.VScroll1.max, 901 - 720);
    EXPECT_TRUE(f.Picture1.left == 0 && f.Picture1.width == 601);
    EXPECT_TRUE(s.nRette == 0 && s.modoClick == ClickMode::LineEnd && s.nRaddr == 0 &&
                s.grandezza == 1.0 && f.RADDRIZZA.caption == "Raddrizza");
    EXPECT_EQ(s.attesaSecondo, 0) << "a pending first point must not carry over";
    EXPECT_EQ(f.incertezzaMisura.caption, "") << "the last photograph's measured length";
    // Interpolation is offered only where it acts: on a colour photograph, not a palette bitmap.
    const std::string png = (app.folder / "colori.png").string();
    ASSERT_EQ(saveColourImage(png, test::patternImage(64, 48, 3, 8)), "");
    open(png);
    EXPECT_TRUE(s.fotoColori && f.bilineare.enabled);
}

// Cancelling the dialog, or a file that is refused (reported), keeps the photograph on show and
// its construction, with nothing drawn over it.
TEST_F(OpenImageTest, CancellingOrARefusedFileKeepsThePhotographOnShow) {
    test::openBitmap(app, 640, 480);
    s.nRette = 3;
    s.setLine(2, {17.5, 0}, {0, 0});
    const WorkingState before = s;
    const std::string caption = f.caption;
    app.picture1.calls.clear();
    const auto broken = app.folder / "rotta.bmp";
    auto bytes = test::bitmapBytes({.width = 300, .height = 200});
    bytes.resize(bytes.size() / 2);
    test::writeBytes(broken, bytes);
    // A text file named as a JPEG is told as none of the kinds the program reads, all named.
    const auto text = app.folder / "appunti.jpg";
    test::writeBytes(text, {'n', 'o', 't', 'e', '\n'});
    for (const std::optional<std::string>& answer :
         {std::optional<std::string>(), std::optional(broken.string()),
          std::optional(text.string())}) {
        open(answer);
        EXPECT_TRUE(f.caption == caption && s.nomeFile == before.nomeFile && s.nRette == 3 &&
                    s.line(2).first.x == 17.5 &&
                    s.sorgente.image.pixels == before.sorgente.image.pixels);
        EXPECT_TRUE(app.picture1.calls.empty()) << "nothing drawn over the photograph on show";
    }
    ASSERT_EQ(app.dialogs.messages.size(), 2u) << "the cancel says nothing";
    EXPECT_NE(app.dialogs.messages[1].text.find("JPEG, PNG, TIFF e bitmap"), std::string::npos);
    EXPECT_NE(app.dialogs.messages[0].text.find(broken.string()), std::string::npos);
    EXPECT_NE(app.dialogs.messages[0].text.find("incompleto"), std::string::npos);
}

}  // namespace
}  // namespace vesta
