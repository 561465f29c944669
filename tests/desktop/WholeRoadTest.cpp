#include <gtest/gtest.h>

#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "BitmapBytes.h"
#include "Fakes.h"
#include "desktop/MainWindow.h"
#include "desktop/PictureWidget.h"
#include "desktop/QtPlatform.h"
#include "desktop/ZoomWindow.h"
#include "facade/FacadeRenderer.h"

namespace vesta::desktop {
namespace {

// The real dialogs of the window, with the file dialogs answered by the script and the
// printer a PDF file.
class ScriptedQtDialogs : public QtDialogs {
  public:
    void messageBox(const std::string& text, const std::string&, MessageIcon) override {
        messages.push_back(text);
    }
    std::optional<std::string> openFile(const std::string&, const std::string&) override {
        return open;
    }
    std::optional<std::string> inputBox(const std::string&, const std::string&) override {
        if (inputs.empty()) {
            return std::nullopt;
        }
        const std::string answer = inputs.front();
        inputs.erase(inputs.begin());
        return answer;
    }
    std::optional<std::string> saveFile(const std::string& folder, const std::string&) override {
        saveFolder = folder;
        return save;
    }
    std::string open, save, pdf, saveFolder;
    std::vector<std::string> messages, inputs;

  protected:
    bool choosePrinter(QPrinter& printer) override {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        return true;
    }
};

// Clicks in picture pixels on the rolled sample: the lines of its notes, then an area.
constexpr int kLines[8][2] = {{234, 174}, {615, 135}, {201, 352}, {602, 379},
                              {163, 448}, {216, 174}, {635, 525}, {651, 129}};
constexpr int kArea[2][2] = {{200, 150}, {620, 500}};

class WholeRoadTest : public ::testing::Test {
  protected:
    WholeRoadTest()
        : window({dialogs, events,
                  Paths{VESTA_SAMPLES_DIR "/..", (dir / "dati").string(), dir.path().string()},
                  test::screen1024x768(), '.'}) {
        dialogs.setParent(&window);
        dialogs.open = VESTA_SAMPLES_DIR "/facciata_ruotata.bmp";
        window.resize(1024, 768);
        window.show();
    }
    void click(const char* name) { QTest::mouseClick(window.control(name), Qt::LeftButton); }
    void clickPhoto(int x, int y) {
        QTest::mouseClick(window.pictureWidget("Picture1"), Qt::LeftButton, {}, QPoint(x, y));
    }
    QString prompt() const { return qobject_cast<QLabel*>(window.control("domanda1"))->text(); }

    test::TempDir dir;
    ScriptedQtDialogs dialogs;
    test::CountingEventLoop events;
    MainWindow window;
};

TEST_F(WholeRoadTest, OpenLinesAreaRectifySaveAndPrint) {
    window.menuAction("open")->trigger();
    for (const auto& p : kLines) {
        clickPhoto(p[0], p[1]);
    }
    click("RETTANG");
    EXPECT_EQ(prompt(), "Definisci un'area di calcolo");
    clickPhoto(kArea[0][0], kArea[0][1]);
    clickPhoto(kArea[1][0], kArea[1][1]);
    EXPECT_EQ(prompt(), "Vuoi raddrizzare ?");
    click("RADDRIZZA");
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0];

    const Context& ctx = window.context();
    EXPECT_EQ(prompt(), "Vuoi misurare ?");
    EXPECT_FALSE(window.pictureWidget("Picture1")->isVisible());
    EXPECT_TRUE(window.pictureWidget("Picture2")->isVisible());
    EXPECT_EQ(window.picture2().canvas().width(), int(ctx.s.largOut));
    EXPECT_EQ(qobject_cast<QPushButton*>(window.control("RADDRIZZA"))->text(), "Misura");
    EXPECT_EQ(qobject_cast<QPushButton*>(window.control("cancella"))->text(), "Altra ?");
    EXPECT_TRUE(window.menuAction("altra")->isVisible());
    const auto scratch = test::readBytes(ctx.paths.scratchFile());
    ASSERT_GT(scratch.size(), 1078u);

    dialogs.save = (dir / "facciata").string();
    window.menuAction("save")->trigger();
    EXPECT_EQ(dialogs.saveFolder, dir.path().string());
    EXPECT_EQ(test::readBytes(dir / "facciata.BMP"), scratch);
    EXPECT_FALSE(std::filesystem::exists(ctx.paths.scratchFile()));

    dialogs.pdf = (dir / "finestra.pdf").string();
    window.menuAction("print")->trigger();
    const auto pdf = test::readBytes(dir / "finestra.pdf");
    ASSERT_GT(pdf.size(), 1000u);
    EXPECT_EQ(std::string(pdf.begin(), pdf.begin() + 4), "%PDF");

    // The same clicks through the batch tool give the same file, byte for byte.
    const std::string command = std::string(VESTA_RECTIFY) + " " + VESTA_SAMPLES_DIR +
                                "/facciata_ruotata.bmp " + (dir / "batch.bmp").string() +
                                " --h1 234,174,615,135 --h2 201,352,602,379 --v1 163,448,216,174"
                                " --v2 635,525,651,129 --area 200,150,620,500 > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(test::readBytes(dir / "batch.bmp"), scratch);
}

// Facade position of an output column (u) or row (v): its division point projected from the
// measuring point onto the side through the reference corner, then back through the camera.
double facadeAt(const WorkingState& s, const DivisionPoint& d, bool column) {
    const facade::PinholeCamera cam = facade::samples::rolled().camera;
    const double px = column ? s.pox : s.pvx, py = column ? s.poy : s.pvy;
    const double m = column ? s.mOrizz : s.mVert;
    const double k = (d[3] - py) / (d[2] - px);
    const double x = (px * k - py - s.angoloRifX * m + s.angoloRifY) / (k - m);
    const auto f = facade::imageToFacade(cam, {x, k * (x - px) + py});
    return column ? f->u : f->v;
}

TEST_F(WholeRoadTest, MeasuringOnTheResultFindsTheFacadesTrueSizeAndTheZoomOpens) {
    window.menuAction("open")->trigger();
    for (const auto& p : kLines) {
        clickPhoto(p[0], p[1]);
    }
    click("RETTANG");
    clickPhoto(kArea[0][0], kArea[0][1]);
    clickPhoto(kArea[1][0], kArea[1][1]);
    click("RADDRIZZA");
    click("RADDRIZZA");  // now "Misura"
    EXPECT_EQ(prompt(), "Definire due punti");

    const WorkingState& s = window.context().s;
    const int W = int(s.largOut), H = int(s.altOut);
    const bool downward = s.fugaVertY > s.fugaOrizzY;
    const auto u = [&](int x) {
        const int c = s.segnoX == -1 ? W - x : x + 1;
        return facadeAt(s, s.divColonne[std::size_t(c)], true);
    };
    const auto v = [&](int y) {
        const int k = H - 1 - y;
        return facadeAt(s, s.divRighe[std::size_t(downward ? H - k : 1 + k)], false);
    };
    PictureWidget* result = window.pictureWidget("Picture2");
    const auto measure = [&](QPoint a, QPoint b) {
        QTest::mouseClick(result, Qt::LeftButton, {}, a);
        QTest::mouseClick(result, Qt::LeftButton, {}, b);
    };
    // The reference: a horizontal pair, its true length taken from the camera.
    const int x1 = W / 5, x2 = 4 * W / 5, y = H / 2;
    const double across = std::fabs(u(x2) - u(x1));
    dialogs.inputs.push_back(std::to_string(across));
    measure({x1, y}, {x2, y});
    // A vertical pair then shows its true length, within a pixel.
    const int y1 = H / 6, y2 = 5 * H / 6, x = W / 2;
    measure({x, y1}, {x, y2});
    const std::string text = window.context().form.Text6[1].caption.substr(1);
    double shown = 0;
    std::from_chars(text.data() + (text[0] == ' '), text.data() + text.size(), shown);
    const double truth = std::fabs(v(y2) - v(y1));
    EXPECT_NEAR(shown, truth, 1.5 * s.scala) << "one pixel is " << s.scala << " cm";

    click("zoo");
    ZoomWindow* zoom = window.zoomWindow();
    ASSERT_NE(zoom, nullptr);
    EXPECT_TRUE(zoom->isVisible());
    const int before = zoom->image()->height();
    QTest::mouseClick(zoom->spin()->downArrow(), Qt::LeftButton);
    EXPECT_LT(zoom->image()->height(), before);
    zoom->close();
    EXPECT_FALSE(window.context().zoomForm.loaded);
    click("zoo");
    EXPECT_TRUE(zoom->isVisible());
    EXPECT_EQ(window.context().s.zoomDir, -1) << "the zoom fields outlive the window";

    const std::string scratch = window.context().paths.scratchFile();
    ASSERT_TRUE(std::filesystem::exists(scratch));
    window.close();
    EXPECT_FALSE(std::filesystem::exists(scratch)) << "the window's scratch file goes with it";
}

}  // namespace
}  // namespace vesta::desktop
