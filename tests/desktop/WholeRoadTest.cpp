#include <gtest/gtest.h>

#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <filesystem>

#include "BitmapBytes.h"
#include "Fakes.h"
#include "desktop/MainWindow.h"
#include "desktop/PictureWidget.h"
#include "desktop/QtPlatform.h"

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
    std::optional<std::string> saveFile(const std::string& folder, const std::string&) override {
        saveFolder = folder;
        return save;
    }
    std::string open, save, pdf, saveFolder;
    std::vector<std::string> messages;

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

}  // namespace
}  // namespace vesta::desktop
