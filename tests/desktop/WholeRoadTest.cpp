#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFileDialog>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "../codec/CodecFixtures.h"
#include "BitmapBytes.h"
#include "Fakes.h"
#include "codec/CameraFile.h"
#include "codec/ColourFileWriter.h"
#include "desktop/MainWindow.h"
#include "desktop/PictureWidget.h"
#include "desktop/QtPlatform.h"
#include "desktop/Translations.h"
#include "desktop/ZoomWindow.h"
#include "facade/FacadeRenderer.h"
#include "image/BitmapFile.h"
#include "sidecar/ConstructionFile.h"

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
    bool confirm(const std::string& text, const std::string&) override {
        questions.push_back(text);
        return true;
    }
    std::string open, save, pdf, saveFolder;
    std::vector<std::string> messages, inputs, questions;

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
// The same clicks for the batch tool.
const char* const kClicks =
    " --h1 234,174,615,135 --h2 201,352,602,379 --v1 163,448,216,174"
    " --v2 635,525,651,129 --area 200,150,620,500";
const std::string kSample = VESTA_SAMPLES_DIR "/facciata_ruotata.bmp";

// vesta-rectify as a script runs it; its exit status.
int rectify(const std::string& args) {
    return std::system((std::string(VESTA_RECTIFY) + " " + args + " > /dev/null").c_str());
}

// One notch of the wheel over a widget, as the mouse gives it; Shift makes it sideways.
void turnWheel(QWidget* over, int notches, Qt::KeyboardModifiers modifiers = {}) {
    const QPointF at(over->width() / 2.0, over->height() / 2.0);
    QWheelEvent wheel(at, over->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(over, &wheel);
}

// The texts of the buttons of the real Save dialog, closed as soon as it shows.
QStringList saveDialogButtons(QtDialogs& dialogs, const std::string& folder) {
    QStringList texts;
    QTimer::singleShot(0, [&texts] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            return;
        }
        for (const QAbstractButton* b : dialog->findChildren<QAbstractButton*>()) {
            if (!b->text().isEmpty()) {
                texts << b->text().remove('&');
            }
        }
        dialog->reject();
    });
    dialogs.QtDialogs::saveFile(folder, "*.bmp");
    return texts;
}

// The window on a 1920 x 1080 screen, as large as the screen, as the program starts it.
class WholeRoadTest : public ::testing::Test {
  protected:
    WholeRoadTest()
        : window({dialogs, events,
                  Paths{VESTA_SAMPLES_DIR "/..", (dir / "dati").string(), dir.path().string()},
                  ScreenInfo{1920 * 15.0, 1080 * 15.0, 15.0, 15.0}, '.'}) {
        dialogs.setParent(&window);
        dialogs.open = kSample;
        window.resize(1920, 1080);
        window.show();
    }
    void resize(int width, int height) {
        window.resize(width, height);
        QCoreApplication::processEvents();
        ASSERT_EQ(window.size(), QSize(width, height));
    }
    // Shown, whole inside the window, and the widget under its centre: a click finds it.
    void expectReachable(const char* name) {
        QWidget* c = window.control(name);
        const QRect place(c->mapTo(window.client(), QPoint(0, 0)), c->size());
        EXPECT_TRUE(c->isVisible()) << name;
        EXPECT_TRUE(window.client()->rect().contains(place))
            << name << " lies at " << place.x() << "," << place.y() << " in "
            << window.client()->width() << " x " << window.client()->height();
        EXPECT_EQ(window.client()->childAt(place.center()), c) << name;
    }
    void click(const char* name) { QTest::mouseClick(window.control(name), Qt::LeftButton); }
    void clickPhoto(int x, int y) {
        QTest::mouseClick(window.pictureWidget("Picture1"), Qt::LeftButton, {}, QPoint(x, y));
    }
    QString prompt() const { return qobject_cast<QLabel*>(window.control("domanda1"))->text(); }
    // The lines of the sample's notes, then the area.
    void construct() {
        for (const auto& p : kLines) {
            clickPhoto(p[0], p[1]);
        }
        click("RETTANG");
        clickPhoto(kArea[0][0], kArea[0][1]);
        clickPhoto(kArea[1][0], kArea[1][1]);
    }

    test::TempDir dir;
    ScriptedQtDialogs dialogs;
    test::CountingEventLoop events;
    MainWindow window;
};

TEST_F(WholeRoadTest, OpenLinesAreaRectifySaveAndPrint) {
    window.menuAction("open")->trigger();
    // A window smaller than the screen keeps the panel within reach.
    resize(1024, 768);
    for (const auto& p : kLines) {
        clickPhoto(p[0], p[1]);
    }
    expectReachable("CENTRO");
    expectReachable("RETTANG");
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
    EXPECT_EQ(qobject_cast<QPushButton*>(window.control("RADDRIZZA"))->text(), "Misura");
    expectReachable("RADDRIZZA");
    const auto scratch = test::readBytes(ctx.paths.scratchFile());
    ASSERT_GT(scratch.size(), 1078u);
    // The title of the result, whole: its caption fits the label's box.
    const QLabel* title = qobject_cast<QLabel*>(window.control("Label1"));
    EXPECT_EQ(title->text(), "Immagine raddrizzata");
    EXPECT_LE(title->heightForWidth(title->width()), title->height());

    // In a window too small for the result, the wheel scrolls it down, Shift and the wheel
    // across; bar and picture move together and stop at the bar's end.
    resize(640, 480);
    auto* down = qobject_cast<QScrollBar*>(window.control("VScroll2"));
    auto* across = qobject_cast<QScrollBar*>(window.control("HScroll2"));
    ASSERT_TRUE(down->isVisible() && across->isVisible());
    PictureWidget* result = window.pictureWidget("Picture2");
    turnWheel(result, -1);
    EXPECT_GT(down->value(), 0);
    EXPECT_EQ(result->y(), -down->value());
    EXPECT_EQ(ctx.form.VScroll2.value, down->value());
    turnWheel(result, -100, Qt::ShiftModifier);
    EXPECT_EQ(across->value(), across->maximum());
    EXPECT_EQ(result->x(), -across->maximum());
    EXPECT_EQ(result->x() + result->width(), across->x() + across->width())
        << "the picture's far edge stays at the bar's";
    resize(1024, 768);
    EXPECT_FALSE(down->isVisible() || across->isVisible());
    EXPECT_EQ(result->pos(), QPoint(0, 0)) << "the whole result fits again";

    // Qt's own dialogs speak Italian.
    ASSERT_TRUE(installItalianQtTexts(*QCoreApplication::instance()));
    const QStringList buttons = saveDialogButtons(dialogs, dir.path().string());
    EXPECT_TRUE(buttons.contains("Salva")) << buttons.join(", ").toStdString();
    EXPECT_TRUE(buttons.contains("Annulla")) << buttons.join(", ").toStdString();

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
    ASSERT_EQ(rectify(kSample + " " + (dir / "batch.bmp").string() + kClicks), 0);
    EXPECT_EQ(test::readBytes(dir / "batch.bmp"), scratch);

    // Save kept the construction beside the image: the batch tool replays it to the same
    // bytes, and the photograph opened again offers it back, ready to rectify.
    ASSERT_EQ(rectify(kSample + " " + (dir / "rifatta.bmp").string() + " --from " +
                      (dir / "facciata.json").string()),
              0);
    EXPECT_EQ(test::readBytes(dir / "rifatta.bmp"), scratch);
    const Result<ConstructionRecord> kept = readConstructionFile((dir / "facciata.json").string());
    ASSERT_TRUE(kept.ok()) << kept.error();
    EXPECT_TRUE(kept.value().aspectSigma && kept.value().distanceSigma) << "kept with its ±";
    std::filesystem::copy_file(kSample, dir / "facciata_ruotata.bmp");
    dialogs.open = (dir / "facciata_ruotata.bmp").string();
    window.menuAction("open")->trigger();
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(prompt(), "Vuoi raddrizzare ?");
    click("RADDRIZZA");
    EXPECT_EQ(test::readBytes(ctx.paths.scratchFile()), scratch);
}

// A camera JPEG of the rolled sample in colour, stored lying on its side with the EXIF
// orientation that turns it upright (6: the stored top row is the upright right column). The
// upright photograph's size.
QSize writeTurnedJpeg(const std::filesystem::path& path) {
    Result<SourceBitmap> read = readSourceBitmap(kSample);
    EXPECT_TRUE(read.ok());
    const IndexedImage& upright = read.value().image;
    ColourImage stored;
    stored.width = upright.height;
    stored.height = upright.width;
    stored.samples8.resize(stored.rowSamples() * std::size_t(stored.height));
    for (int y = 0; y < upright.height; ++y) {
        for (int x = 0; x < upright.width; ++x) {
            const Rgb c = upright.colour(upright.row(y)[x]);
            const std::size_t sx = std::size_t(y), sy = std::size_t(upright.width - 1 - x);
            std::uint8_t* to = &stored.samples8[(sy * std::size_t(stored.width) + sx) * 3];
            to[0] = c.r;
            to[1] = c.g;
            to[2] = c.b;
        }
    }
    EXPECT_EQ(saveColourImage(path.string(), stored), "");
    test::ExifFields exif;
    exif.orientation = 6;
    test::writeBytes(path, test::withExifSegment(test::readBytes(path), test::exifBlock(exif)));
    return QSize(upright.width, upright.height);
}

ColourImage readPhoto(const std::filesystem::path& path) {
    Result<CameraPhoto> read = readCameraFile(path.string());
    EXPECT_TRUE(read.ok()) << path;
    return read.ok() ? std::move(read.value().image) : ColourImage{};
}

// A JPEG turned by its EXIF orientation shows upright, takes the same clicks as the bitmap,
// rectifies in colour and saves as PNG: the same picture vesta-rectify makes of it, and the kept
// construction replays to it.
TEST_F(WholeRoadTest, ATurnedCameraJpegRectifiesInColourAndSavesAsPng) {
    const QSize upright = writeTurnedJpeg(dir / "foto.jpg");
    dialogs.open = (dir / "foto.jpg").string();
    window.menuAction("open")->trigger();
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0];
    // Shown upright (the turn itself is the reader's, checked for every orientation there).
    ASSERT_EQ(window.picture1().bare().size(), upright);

    construct();
    EXPECT_TRUE(window.menuAction("bilineare")->isChecked());
    click("RADDRIZZA");
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0];
    dialogs.save = (dir / "facciata.png").string();
    window.menuAction("save")->trigger();
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0];
    const ColourImage saved = readPhoto(dir / "facciata.png");
    EXPECT_EQ(saved.channels, 3);

    ASSERT_EQ(rectify((dir / "foto.jpg").string() + " " + (dir / "batch.png").string() + kClicks),
              0);
    EXPECT_TRUE(readPhoto(dir / "batch.png").samples8 == saved.samples8);
    ASSERT_EQ(
        rectify((dir / "rifatta.png").string() + " --from " + (dir / "facciata.json").string()), 0);
    EXPECT_TRUE(readPhoto(dir / "rifatta.png").samples8 == saved.samples8);
}

// Facade position of an output column (u) or row (v): its division point projected from the
// measuring point onto the side through the reference corner, then back through the camera.
double facadeAt(const WorkingState& s, const DivisionPoint& d, bool column) {
    const facade::PinholeCamera cam = facade::samples::rolled().camera;
    const double px = column ? s.construction->orientation.po.x : s.construction->orientation.pv.x,
                 py = column ? s.construction->orientation.po.y : s.construction->orientation.pv.y;
    const double m = column ? s.construction->frame.mOrizz : s.construction->frame.mVert;
    const double k = (d.y - py) / (d.x - px);
    const double x =
        (px * k - py - s.construction->frame.rif.x * m + s.construction->frame.rif.y) / (k - m);
    const auto f = facade::imageToFacade(cam, {x, k * (x - px) + py});
    return column ? f->u : f->v;
}

TEST_F(WholeRoadTest, MeasuringOnTheResultFindsTheFacadesTrueSizeAndTheZoomOpens) {
    window.menuAction("open")->trigger();
    construct();
    click("RADDRIZZA");
    click("RADDRIZZA");  // now "Misura"
    EXPECT_EQ(prompt(), "Definire due punti");

    const WorkingState& s = window.context().s;
    const int W = int(s.construction->frame.largOut), H = int(s.construction->frame.altOut);
    const bool downward = s.fughe->vv.y > s.fughe->vh.y;
    const auto u = [&](int x) {
        const int c = s.construction->frame.segnoX == -1 ? W - x : x + 1;
        return facadeAt(s, s.construction->frame.divColonne[std::size_t(c)], true);
    };
    const auto v = [&](int y) {
        const int k = H - 1 - y;
        return facadeAt(s, s.construction->frame.divRighe[std::size_t(downward ? H - k : 1 + k)],
                        false);
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
    // Its ± reaches the panel.
    const auto* spread = window.findChild<QLabel*>("incertezzaMisura");
    ASSERT_NE(spread, nullptr);
    EXPECT_TRUE(spread->isVisible());
    EXPECT_TRUE(spread->text().startsWith("d ±")) << spread->text().toStdString();

    click("zoo");
    ZoomWindow* zoom = window.zoomWindow();
    ASSERT_NE(zoom, nullptr);
    EXPECT_TRUE(zoom->isVisible());
    // Enlarged, the picture scrolls with the wheel, an arrow-click's step per line.
    QTest::mouseClick(zoom->spin()->upArrow(), Qt::LeftButton);
    QTest::mouseClick(zoom->spin()->upArrow(), Qt::LeftButton);
    QScrollBar* zoomDown = zoom->vertical();
    ASSERT_GT(zoomDown->maximum(), 0);
    EXPECT_GE(zoomDown->singleStep() / 15, 10) << "an arrow moves at least 10 pixels";
    turnWheel(zoom->image(), -1);
    EXPECT_EQ(zoomDown->value(), std::min(zoomDown->maximum(), QApplication::wheelScrollLines() *
                                                                   zoomDown->singleStep()));
    EXPECT_EQ(window.context().zoomForm.image.top, -zoomDown->value());
    EXPECT_GE(zoom->spin()->downArrow()->height(), 16) << "an arrow a hand can hit";
    const int before = zoom->image()->height();
    QTest::mouseClick(zoom->spin()->downArrow(), Qt::LeftButton);
    EXPECT_LT(zoom->image()->height(), before);
    zoom->close();
    EXPECT_FALSE(window.context().zoomForm.loaded);
    click("zoo");
    EXPECT_TRUE(zoom->isVisible());

    const std::string scratch = window.context().paths.scratchFile();
    ASSERT_TRUE(std::filesystem::exists(scratch));
    window.close();
    EXPECT_FALSE(std::filesystem::exists(scratch)) << "the window's scratch file goes with it";
}

}  // namespace
}  // namespace vesta::desktop
