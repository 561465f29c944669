#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>

#include "WindowFixture.h"
#include "desktop/ZoomWindow.h"

namespace vesta::desktop {
namespace {

class MainWindowTest : public test::WindowTest {
  protected:
    MainWindowTest() : WindowTest(',') {}
    QString prompt() const { return qobject_cast<QLabel*>(window.control("domanda1"))->text(); }
    QRgb pixel1(int x, int y) { return window.picture1().canvas().pixel(x, y) & 0xFFFFFF; }

    const std::string sample = VESTA_SAMPLES_DIR "/facciata_centrata.bmp";
};

// A click on the background redraws, a double click takes the defaults; the text boxes never
// take the focus.
TEST_F(MainWindowTest, AClickOnTheBackgroundRedrawsAndTheTextBoxesNeverTakeTheFocus) {
    openFile(sample);
    window.picture1().line(0, 200, 300, 200, colours::blue);
    QTest::mouseClick(window.client(), Qt::LeftButton, {}, QPoint(1010, 700));
    EXPECT_EQ(prompt(), "Definire la 1°retta orizz.");
    EXPECT_NE(pixel1(150, 200), 0x0000FFu) << "the repaint erased the stray line";
    // A double click there takes the photograph's centre and corners again.
    QTest::mouseDClick(window.client(), Qt::LeftButton, {}, QPoint(1010, 700));
    const WorkingState& s = window.context().s;
    EXPECT_TRUE(s.centroX == s.larghezzaPic1 / 2 && s.corner(3).x == s.larghezzaPic1 - 1);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    window.context().form.domanda1.caption = "x";
    window.push();
    QTest::mouseClick(window.control("RADDRIZZA"), Qt::LeftButton);  // disabled
    EXPECT_EQ(prompt(), "x") << "a click on a disabled button is no background click";
    // A file name typed at the wrong moment, or Ctrl+C meant for Canc, must not land in a box.
    for (const char* name : {"tfuox", "Text1", "Text3", "Text6(1)", "tfuvy"}) {
        auto* box = qobject_cast<QLineEdit*>(window.control(name));
        ASSERT_NE(box, nullptr) << name;
        const QString shown = box->text();
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClicks(box, "facciata");
        EXPECT_FALSE(box->hasFocus()) << name;
        EXPECT_EQ(box->text(), shown) << name;
    }
}

// Only a release beside the picture fits the viewer; one on the picture leaves it alone. The
// wheel scrolls it an arrow-click's step a line, and closed it opens again.
TEST_F(MainWindowTest, TheZoomViewerScrollsFitsOnAReleaseOutsideThePictureAndReopens) {
    openFile(sample);
    // The button is seen, not covered by the photograph, and covers none of it.
    QWidget* zoo = window.control("zoo");
    EXPECT_EQ(window.client()->childAt(zoo->geometry().center()), zoo);
    EXPECT_FALSE(zoo->geometry().intersects(window.control("Picture1")->geometry()));
    QTest::mouseClick(zoo, Qt::LeftButton);
    ZoomWindow* zoom = window.zoomWindow();
    ASSERT_NE(zoom, nullptr);
    QTest::mouseClick(zoom->spin()->upArrow(), Qt::LeftButton);
    QScrollBar* down = zoom->vertical();
    ASSERT_GT(down->maximum(), 0);
    const QPointF at(zoom->image()->width() / 2.0, zoom->image()->height() / 2.0);
    QWheelEvent wheel(at, zoom->image()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(zoom->image(), &wheel);
    EXPECT_EQ(down->value(),
              std::min(down->maximum(), QApplication::wheelScrollLines() * down->singleStep()));
    EXPECT_EQ(window.context().zoomForm.image.top, -down->value());

    const QSize before = zoom->size();
    const QRect picture = zoom->image()->geometry();
    ASSERT_TRUE(picture.width() > before.width() || picture.height() > before.height());
    QTest::mouseClick(zoom->image(), Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_EQ(zoom->size(), before);
    zoom->resize(picture.width() + 60, picture.height() + 60);
    QTest::mouseClick(zoom, Qt::LeftButton, {},
                      QPoint(picture.width() + 30, picture.height() + 30));
    EXPECT_EQ(zoom->width(), picture.width()) << "fitted to the picture";
    zoom->close();
    EXPECT_FALSE(window.context().zoomForm.loaded);
    QTest::mouseClick(window.control("zoo"), Qt::LeftButton);
    EXPECT_TRUE(zoom->isVisible());
}

// Rette automatiche: the lines found offered in their directions' colours, one dropped with a
// click, the rest accepted into the same construction as clicked lines; a line of the user's own,
// or Canc., takes the offer away. Never a box.
TEST_F(MainWindowTest, OfferedLinesAreDroppedAndAcceptedIntoTheConstruction) {
    openFile(VESTA_SAMPLES_DIR "/facciata_ruotata.bmp");
    const WorkingState& s = window.context().s;
    const auto offered = [&] { return s.proposedLines[0].size() + s.proposedLines[1].size(); };
    EXPECT_FALSE(window.menuAction("accettaRette")->isEnabled());
    // Canc. takes the offer away; so does a click far from any line, the first end of the user's
    // own line (taken back with Canc. in turn).
    choose("retteAutomatiche");
    ASSERT_GT(offered(), 0u);
    choose("canc");
    EXPECT_EQ(offered(), 0u);
    choose("retteAutomatiche");
    ASSERT_GT(offered(), 0u);
    clickPhoto(3, 3);
    EXPECT_EQ(offered(), 0u);
    EXPECT_EQ(s.attesaSecondo, 1);
    choose("canc");

    choose("retteAutomatiche");
    ASSERT_TRUE(s.proposedLines[0].size() >= 3 && s.proposedLines[1].size() >= 3);
    EXPECT_TRUE(window.menuAction("accettaRette")->isEnabled());
    EXPECT_FALSE(window.menuAction("retteAutomatiche")->isEnabled()) << "offered already";

    // A click on a further vertical line drops that line only.
    const std::size_t before = offered();
    const auto [c, d] = s.proposedLines[1].back();
    clickPhoto(int(std::lround((c.x + d.x) / 2)), int(std::lround((c.y + d.y) / 2)));
    EXPECT_EQ(offered(), before - 1);
    EXPECT_EQ(s.attesaSecondo, 0) << "no line begun";

    choose("accettaRette");
    EXPECT_EQ(offered(), 0u);
    EXPECT_EQ(s.nRette, 4);
    EXPECT_EQ(s.extraLines.size(), before - 1 - 4);
    ASSERT_TRUE(s.construction.has_value());
    EXPECT_FALSE(window.menuAction("retteAutomatiche")->isEnabled());
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace vesta::desktop
