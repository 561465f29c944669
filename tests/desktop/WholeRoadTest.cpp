#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPageLayout>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <sstream>
#include <utility>

#include "EventWatch.h"
#include "WindowFixture.h"
#include "desktop/QtPlatform.h"
#include "desktop/Translations.h"
#include "rectify/PrintLayout.h"

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
        return std::exchange(input, std::nullopt);
    }
    std::optional<std::string> saveFile(const std::string&, const std::string&) override {
        return save;
    }
    std::optional<std::string> chooseOrType(const std::string&, const std::string&,
                                            const std::vector<std::string>&,
                                            const std::string&) override {
        return std::exchange(input, std::nullopt);
    }
    bool confirm(const std::string& text, const std::string&) override {
        questions.push_back(text);
        if (onConfirm) {
            onConfirm();
        }
        return true;
    }
    std::function<void()> onConfirm;
    // Answered by the script, or by the real box when no answer is set.
    SaveChoice askToSave(const std::string& text, const std::string& title) override {
        return saveAnswer ? *saveAnswer : QtDialogs::askToSave(text, title);
    }
    std::string open, save, pdf;
    std::optional<std::string> input;
    std::optional<SaveChoice> saveAnswer = SaveChoice::DontSave;
    std::vector<std::string> messages, questions;
    QRectF printable;  // the chosen sheet's printable area, millimetres from its corner

  protected:
    bool choosePrinter(QPrinter& printer) override {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        printer.setPageSize(QPageSize(QPageSize::A4));
        printable = printer.pageLayout().paintRect(QPageLayout::Millimeter);
        return true;
    }
};

// The clicks of the sample's lines and an area, for the batch tool.
const char* const kClicks =
    " --h1 234,174,615,135 --h2 201,352,602,379 --v1 163,448,216,174"
    " --v2 635,525,651,129 --area 200,150,620,500";
const std::string kSample = VESTA_SAMPLES_DIR "/facciata_ruotata.bmp";

// Width, height, resolution (x and y, per inch) and page of each image of a PDF, from pdfimages.
std::vector<std::vector<int>> imagesOf(const std::string& pdf) {
    std::vector<std::vector<int>> images;
    std::system(("pdfimages -list " + pdf + " > " + pdf + ".txt").c_str());
    const std::vector<std::uint8_t> listed = test::readBytes(pdf + ".txt");
    std::istringstream lines(std::string(listed.begin(), listed.end()));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::vector<std::string> f{std::istream_iterator<std::string>(fields), {}};
        if (f.size() >= 14 && f[2] == "image") {
            images.push_back({std::stoi(f[3]), std::stoi(f[4]), std::stoi(f[12]), std::stoi(f[13]),
                              std::stoi(f[0])});
        }
    }
    return images;
}

// The bounding box of the pixels darker than white in the rows [0, bottom) of a grey PGM
// page that pdftoppm rendered.
QRect inkAbove(const std::filesystem::path& pgm, int bottom) {
    QImage page(QString::fromStdString(pgm.string()));
    QRect box;
    for (int y = 0; y < std::min(bottom, page.height()); ++y) {
        const uchar* row = page.constScanLine(y);
        for (int x = 0; x < page.width(); ++x) {
            if (row[x] < 250) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
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
    void click(const char* name) { QTest::mouseClick(window.control(name), Qt::LeftButton); }
    void clickPhoto(int x, int y) {
        QTest::mouseClick(window.pictureWidget("Picture1"), Qt::LeftButton, {}, QPoint(x, y));
    }
    QString prompt() const { return qobject_cast<QLabel*>(window.control("domanda1"))->text(); }
    // The sample opened, the lines of its notes, then the area.
    void construct() {
        window.menuAction("open")->trigger();
        for (const auto& p : test::kSampleLines) {
            clickPhoto(p[0], p[1]);
        }
        click("RETTANG");
        clickPhoto(200, 150);
        clickPhoto(620, 500);
    }

    test::TempDir dir;
    ScriptedQtDialogs dialogs;
    test::CountingEventLoop events;
    MainWindow window;
};

// The road once through the real widgets: what the window shows, saves, prints and keeps is
// what the batch tool makes of the same clicks, byte for byte. A metre of the facade is a
// centimetre of paper at 1:100, on the PDF the real window writes: the image's pixels, its
// resolution on the page and where it lies, then a scale that takes several sheets, and a scale
// typed wrongly.
TEST_F(WholeRoadTest, OpenLinesAreaRectifyMeasureSavePrintAndClose) {
    ASSERT_EQ(std::system("command -v pdftoppm pdfimages > /dev/null"), 0)
        << "poppler-utils is missing: scripts/install-deps.sh installs it";
    construct();
    click("RADDRIZZA");
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0];
    EXPECT_EQ(prompt(), "Vuoi misurare ?");
    const Context& ctx = window.context();
    const auto scratch = test::readBytes(ctx.paths.scratchFile());
    // The title of the result, whole: its caption fits the label's box.
    const QLabel* title = qobject_cast<QLabel*>(window.control("Label1"));
    EXPECT_EQ(title->text(), "Immagine raddrizzata");
    EXPECT_LE(title->heightForWidth(title->width()), title->height());

    // Clicks on the result are its pixels: at a centimetre a pixel, a vertical pair of 150
    // pixels measures 150 cm, and its ± reaches the panel.
    click("RADDRIZZA");  // now "Misura"
    PictureWidget* result = window.pictureWidget("Picture2");
    const auto measure = [&](QPoint a, QPoint b) {
        QTest::mouseClick(result, Qt::LeftButton, {}, a);
        QTest::mouseClick(result, Qt::LeftButton, {}, b);
    };
    dialogs.input = "200";
    measure({20, 100}, {220, 100});
    measure({100, 20}, {100, 170});
    const auto* spread = window.findChild<QLabel*>("incertezzaMisura");
    ASSERT_NE(spread, nullptr);
    EXPECT_TRUE(spread->isVisible() && spread->text().startsWith("d 150 ±"))
        << spread->text().toStdString();
    // Each move erases the band drawn at the one before: once the pointer rests, only the band
    // from the first point to it differs from the image.
    QTest::mouseClick(result, Qt::LeftButton, {}, QPoint(30, 30));
    const QImage bare = window.picture2().canvas().copy();
    for (const QPoint p : {QPoint(200, 120), QPoint(60, 150), QPoint(150, 100)}) {
        QTest::mouseMove(result, p);
    }
    EXPECT_GE(test::changedAlong(bare, window.picture2().canvas(), {30, 30}, {150, 100}), 100);
    QTest::mouseClick(result, Qt::LeftButton, {}, QPoint(150, 100));
    QAction* print = window.menuAction("stampaScala");
    ASSERT_TRUE(print->isEnabled());
    const int width = ctx.s.largRaddr, height = int(ctx.s.altRaddr);

    dialogs.pdf = (dir / "1-100.pdf").string();
    dialogs.input = "1:100";
    print->trigger();
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0];
    // A pixel is a centimetre of the facade and a tenth of a millimetre of paper: 254 per inch,
    // on the first page, the only one rendered below.
    const auto images = imagesOf(dialogs.pdf);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0], (std::vector<int>{width, height, 254, 254, 1}));
    // Rendered at 254 dots per inch a pixel of the result is a dot: the image starts at the
    // printable area's corner.
    ASSERT_EQ(
        std::system(("pdftoppm -r 254 -gray " + dialogs.pdf + " " + (dir / "p").string()).c_str()),
        0);
    const QRectF area = dialogs.printable;
    const QRect ink = inkAbove(dir / "p-1.pgm", int((area.bottom() - kPrintFooterMm) * 10));
    EXPECT_NEAR(ink.left(), area.left() * 10, 1);
    EXPECT_NEAR(ink.top(), area.top() * 10, 1);

    // At 1:20 a pixel is half a millimetre: the image runs over as many sheets as it takes.
    dialogs.pdf = (dir / "1-20.pdf").string();
    dialogs.input = "20";
    print->trigger();
    const int columns = int(std::ceil(width * 0.5 / area.width()));
    const int rows = int(std::ceil(height * 0.5 / (area.height() - kPrintFooterMm)));
    ASSERT_GT(columns * rows, 1);
    const auto sheets = imagesOf(dialogs.pdf);
    ASSERT_EQ(int(sheets.size()), columns * rows);
    int across = 0;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        EXPECT_EQ(sheets[i][4], int(i) + 1) << "a sheet a page";
        EXPECT_EQ(sheets[i][2], 51) << "a pixel is half a millimetre: 50.8 per inch";
        across += int(i) < columns ? sheets[i][0] : 0;
    }
    EXPECT_GE(across, width) << "the sheets of a row hold every column";
    EXPECT_LE(across, width + columns - 1) << "only a straddling pixel is on two";

    dialogs.pdf = (dir / "rifiutata.pdf").string();
    dialogs.input = "1:75,5";
    print->trigger();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(dialogs.pdf));

    // Qt's own dialogs speak Italian.
    ASSERT_TRUE(installItalianQtTexts(*QCoreApplication::instance()));
    const QDialogButtonBox buttons(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Save)->text().remove('&'), "Salva");
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text().remove('&'), "Annulla");

    dialogs.save = (dir / "facciata").string();
    window.menuAction("save")->trigger();
    EXPECT_EQ(test::readBytes(dir / "facciata.BMP"), scratch);
    dialogs.pdf = (dir / "finestra.pdf").string();
    window.menuAction("print")->trigger();
    EXPECT_EQ(imagesOf(dialogs.pdf).size(), 1u) << "the window, as one image";

    const std::string batch = kSample + " " + (dir / "batch.bmp").string() + kClicks;
    ASSERT_EQ(std::system((VESTA_RECTIFY " " + batch + " > /dev/null").c_str()), 0);
    EXPECT_EQ(test::readBytes(dir / "batch.bmp"), scratch);
    // Save kept the construction beside the image, and the latest for the photograph in the
    // data folder (the samples are the program's): the photograph opened again offers it back,
    // once it is painted, ready to rectify to the same bytes.
    EXPECT_FALSE(std::filesystem::exists(kSample + ".json"));
    std::filesystem::copy_file(kSample, dir / "facciata_ruotata.bmp");
    dialogs.open = (dir / "facciata_ruotata.bmp").string();
    int paints = 0;
    int paintsWhenAsked = -1;
    test::OnEvent counter(window.pictureWidget("Picture1"), QEvent::Paint, [&] { ++paints; });
    dialogs.onConfirm = [&] { paintsWhenAsked = paints; };
    window.menuAction("open")->trigger();
    EXPECT_TRUE(dialogs.questions.empty()) << "not over the previous picture";
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_GT(paintsWhenAsked, 0);
    EXPECT_EQ(prompt(), "Vuoi raddrizzare ?");
    click("RADDRIZZA");
    const std::string again = ctx.paths.scratchFile();
    EXPECT_EQ(test::readBytes(again), scratch);

    // Closing the window with this result never saved asks in the window's own box: "Annulla"
    // keeps the window and the result; "Salva" saves it, then the window closes and its scratch
    // file goes with it.
    dialogs.saveAnswer.reset();
    QStringList choices;
    QTimer::singleShot(0, [&choices] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        for (QAbstractButton* button : box ? box->buttons() : QList<QAbstractButton*>{}) {
            choices << button->text();
        }
        if (box) {
            box->reject();  // as the window's close button or Esc
        }
    });
    EXPECT_FALSE(window.close());
    choices.sort();
    EXPECT_EQ(choices, (QStringList{"Annulla", "Non salvare", "Salva"}));
    EXPECT_TRUE(window.isVisible() && std::filesystem::exists(again));
    dialogs.saveAnswer = SaveChoice::Save;
    dialogs.save = (dir / "chiusura.bmp").string();
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(std::filesystem::exists(dir / "chiusura.bmp"));
    EXPECT_FALSE(std::filesystem::exists(again)) << "the window's scratch file goes with it";
}

// While rows are computed only one cancel gets through: keys, shortcuts and clicks are dropped
// there and then, a second cancel does not also take a line away, and what reaches the window
// only after the last row (here posted during the loop) is dropped as well, so nothing acts on
// the result.
TEST_F(WholeRoadTest, WhileRowsAreComputedOnlyOneCancelGetsThrough) {
    construct();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QWidget* cancel = window.control("cancella");
    PictureWidget* photo = window.pictureWidget("Picture1");
    QSignalSpy photoClicks(photo, &PictureWidget::mouseDown);
    const auto post = [](QWidget* to, QEvent::Type type) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QCoreApplication::postEvent(
            to, new QMouseEvent(type, QPointF(5, 5), to->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                                held, {}));
    };
    events.duringYield = [&](int yield) {
        if (yield != 2) {
            return;
        }
        for (const Qt::Key key : {Qt::Key_F6, Qt::Key_Escape, Qt::Key_F7, Qt::Key_F2, Qt::Key_F4}) {
            QTest::keyClick(&window, key);
        }
        QTest::keyClick(&window, Qt::Key_C, Qt::ControlModifier);  // the cancel
        QTest::keyClick(&window, Qt::Key_C, Qt::ControlModifier);
        QTest::mouseClick(cancel, Qt::LeftButton);
        for (QWidget* to : {cancel, static_cast<QWidget*>(photo), static_cast<QWidget*>(photo)}) {
            post(to, QEvent::MouseButtonPress);
            post(to, QEvent::MouseButtonRelease);
        }
    };
    click("RADDRIZZA");
    QCoreApplication::processEvents();
    const Context& ctx = window.context();
    EXPECT_EQ(events.yields, 2) << "stopped before the next row";
    EXPECT_TRUE(ctx.s.nRette == 4 && ctx.s.nRaddr == 1);
    EXPECT_EQ(prompt(), "Vuoi misurare ?");
    EXPECT_TRUE(events.terminations == 0 && photoClicks.isEmpty() && dialogs.messages.empty());
}

}  // namespace
}  // namespace vesta::desktop
