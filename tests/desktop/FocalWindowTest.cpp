// The focal length in the window: typed through Focale..., or offered from the camera file,
// on a level camera whose far vertical vanishing point leaves the derived distance to chance.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <QLabel>
#include <QTest>

#include <cmath>
#include <cstdlib>

#include "../codec/CodecFixtures.h"
#include "../geometry/FacadeClicks.h"
#include "WindowFixture.h"
#include "codec/ColourFileWriter.h"
#include "construction/Commands.h"
#include "geometry/FocalLength.h"
#include "geometry/RadialLens.h"
#include "state/Numbers.h"

namespace vesta::desktop {
namespace {

using namespace facade;

class FocalWindowTest : public test::WindowTest {
  protected:
    // The construction goes by the photograph's size and the clicks, not by what it shows.
    FocalWindowTest() {
        test::writeBytes(dir / "livella.bmp", test::bitmapBytes({.width = 800, .height = 600}));
    }
    void open(const std::string& name) { openFile((dir / name).string()); }
    // An 800 x 600 JPEG whose camera file holds exif.
    void writeJpeg(const std::string& name, const test::ExifFields& exif) {
        const std::string path = (dir / name).string();
        ASSERT_EQ(saveColourImage(path, test::patternImage(800, 600, 3, 8)), "");
        test::writeBytes(path, test::withExifSegment(test::readBytes(path), test::exifBlock(exif)));
    }
    // The cornice bottom, the string-course top and the two facade edges, as a mouse gives them.
    void clickLines() {
        for (const auto& line : clicks.lines) {
            for (const Point& p : line) {
                QTest::mouseClick(window.pictureWidget("Picture1"), Qt::LeftButton, {},
                                  QPoint(int(p.x), int(p.y)));
            }
        }
    }
    Context& ctx() { return window.context(); }

    FacadeScene scene = facade::samples::level();  // 800 x 600: a diagonal of 1000 pixels
    const ConstructionClicks clicks = test::clicksFor(scene.camera).value();
    test::TempDir& dir = scratch;
};

TEST_F(FocalWindowTest,
       ALevelCameraIsWarnedAndTheTypedOrDeclaredFocalLengthIsThePrincipalDistance) {
    open("livella.bmp");
    clickLines();
    const QLabel* figure = qobject_cast<QLabel*>(window.control("incertezza"));
    const QLabel* notice = qobject_cast<QLabel*>(window.control("avviso"));
    ASSERT_NE(notice, nullptr);
    EXPECT_NE(figure->toolTip().indexOf("(Focale...)"), -1);
    // The figure in red above 2%, and the panel's foot says so.
    EXPECT_EQ(figure->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(notice->isVisible() && notice->text().startsWith("Proporzioni incerte (±"));

    const std::string typed = plainForm(scene.camera.focal * kDiagonal35mm / 1000, ',');
    dialogs.inputs.push_back(typed);
    window.menuAction("focale")->trigger();
    EXPECT_NEAR(ctx().s.construction->orientation.distanzaPrinc, scene.camera.focal, 1e-6);
    EXPECT_TRUE(figure->palette().color(QPalette::WindowText) == QColor(0, 0, 0) &&
                notice->text().isEmpty());

    // The field opens holding the focal length in use, and Enter keeps it to the bit; one out
    // of the plausible range, one that reads 1200 or 1.2, or words, are refused with a message,
    // and the one in use stays.
    const std::optional<double> inUse = ctx().focal35;
    const double distance = ctx().s.construction->orientation.distanzaPrinc;
    const std::string shown = plainForm(*inUse, ctx().decimalSeparator);
    for (const std::string& answer :
         {shown, std::string("100000"), std::string("1.200"), std::string("ventotto")}) {
        dialogs.inputs.push_back(answer);
        window.menuAction("focale")->trigger();
        EXPECT_EQ(ctx().focal35, inUse) << answer;
        EXPECT_EQ(ctx().s.construction->orientation.distanzaPrinc, distance) << answer;
    }
    EXPECT_EQ(dialogs.initials, (std::vector<std::string>{"", shown, shown, shown, shown}))
        << "empty while none is in use";
    EXPECT_EQ(dialogs.messages.size(), 3u) << "the refusals, and no box for the warning";

    // The camera file's 35 mm equivalent is offered, not applied, once for these lines; a
    // photograph without one forgets it.
    test::ExifFields exif;
    const int declared = int(std::lround(scene.camera.focal * kDiagonal35mm / 1000));
    exif.focalLength35mm = declared;
    writeJpeg("livella.jpg", exif);
    open("livella.jpg");
    dialogs.confirmAnswer = false;
    clickLines();
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_NE(dialogs.questions[0].find("dichiara una focale equivalente di " +
                                        std::to_string(declared) + " mm"),
              std::string::npos)
        << dialogs.questions[0];
    EXPECT_FALSE(ctx().focal35.has_value());
    window.run(GRANDEZZA_SpinUp);
    EXPECT_EQ(dialogs.questions.size(), 1u) << "once for these lines and principal point";

    // Another principal point is another construction: asked again, and accepted.
    dialogs.confirmAnswer = true;
    window.run(CENTRO_Click);
    QTest::mouseClick(window.pictureWidget("Picture1"), Qt::LeftButton, {}, QPoint(400, 310));
    ASSERT_EQ(dialogs.questions.size(), 2u);
    EXPECT_EQ(ctx().focal35, double(declared)) << "taken as the typed one is";

    open("livella.bmp");
    EXPECT_FALSE(ctx().focal35.has_value());

    // A declared focal length no lens has is a camera file's error: never offered.
    exif.focalLength35mm = 5000;
    writeJpeg("errata.jpg", exif);
    open("errata.jpg");
    clickLines();
    EXPECT_EQ(dialogs.questions.size(), 2u);
    EXPECT_FALSE(ctx().focal35.has_value());
    // Nor taken by vesta-rectify --focal35 exif.
    const std::string command = " " + (dir / "errata.jpg").string() + " " +
                                (dir / "errata.png").string() +
                                " --focal35 exif --h1 234,174,615,135 --h2 201,352,602,379"
                                " --v1 163,448,216,174 --v2 635,525,651,129 2> /dev/null";
    EXPECT_EQ(WEXITSTATUS(std::system((VESTA_RECTIFY + command).c_str())), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "errata.png"));
}

// A JPEG whose lens the database holds is said so on the panel, in no box, and the menu item
// takes the lens's bend out of the lines clicked after it: the construction's ends are the
// clicks straightened. A lens the database lacks shows no item at all, nor does one whose name's
// number would overrun lensfun's buffer: that photograph opens like any other.
TEST_F(FocalWindowTest, TheLensTheDatabaseHoldsIsOfferedOnThePanel) {
    test::ExifFields exif;
    exif.make = "Canon";
    exif.model = "Canon EOS 550D";
    exif.focalLengthMm = 24;
    for (const std::string& lens : {std::string("Obiettivo Immaginario 24mm"),
                                    "Canon EF-S " + std::string(150, '9') + "mm f/3.5"}) {
        const std::string name = std::to_string(lens.size()) + ".jpg";
        exif.lensModel = lens;
        writeJpeg(name, exif);
        open(name);
        EXPECT_EQ(ctx().s.nomeFile, (dir / name).string());
        EXPECT_FALSE(window.menuAction("distorsioneObiettivo")->isVisible());
    }

    exif.lensModel = "Canon EF-S 18-55mm f/3.5-5.6 IS";
    writeJpeg("obiettivo.jpg", exif);
    open("obiettivo.jpg");
    EXPECT_TRUE(dialogs.messages.empty() && dialogs.questions.empty()) << "no box on opening";
    const QLabel* notice = qobject_cast<QLabel*>(window.control("avviso"));
    EXPECT_TRUE(notice->text().startsWith("Obiettivo nel database: Canon EF-S 18-55mm"))
        << notice->text().toStdString();
    QAction* item = window.menuAction("distorsioneObiettivo");
    ASSERT_TRUE(item->isVisible() && item->isEnabled());
    item->trigger();
    ASSERT_TRUE(ctx().s.lensProfile);
    EXPECT_TRUE(item->isChecked());
    clickLines();
    // The view fits the window: the click's photograph pixel is the mouse's over the scale.
    const RadialLens lens = RadialLens::ofProfile(*ctx().s.lensProfile, 800, 600);
    const Point end = ctx().s.line(1).first, bentBack = lens.distorted(end).value();
    const double scale = ctx().form.viewScale;
    EXPECT_NEAR(bentBack.x, int(clicks.lines[0][0].x) / scale, 1 / scale);
    EXPECT_GT(std::hypot(end.x - bentBack.x, end.y - bentBack.y), 1) << "taken out of the bend";
    EXPECT_FALSE(item->isEnabled()) << "not once a line stands";
}

}  // namespace
}  // namespace vesta::desktop
