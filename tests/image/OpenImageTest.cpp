#include <gtest/gtest.h>

#include "BitmapBytes.h"
#include "Fakes.h"
#include "image/OpenImage.h"
#include "state/Prompts.h"

namespace vesta {
namespace {

class OpenImageTest : public test::AppTest {
  protected:
    std::string photo(int width, int height, const std::string& name = "casa.bmp") {
        const auto path = dir / name;
        test::writeBytes(path, test::bitmapBytes({.width = width, .height = height}));
        return path.string();
    }
    void open(const std::optional<std::string>& answer) {
        app.dialogs.openAnswers.push_back(answer);
        open_Click(app.ctx);
    }

    test::TempDir dir;
};

// An odd size puts the principal point between pixels; the default area is the picture one
// pixel in.
TEST_F(OpenImageTest, OpeningShowsThePhotographAndStartsTheFirstLine) {
    const std::string path = photo(801, 601);
    open(path);
    EXPECT_EQ(f.caption, "Raddrizzamento di   ' " + path + " '");
    EXPECT_EQ(f.domanda1.caption, prompts::kDueRetteOrizz);
    EXPECT_EQ(s.centroX, 400.5);
    EXPECT_EQ(s.centroY, 300.5);
    const auto& a = s.areaCalcolo;
    EXPECT_EQ(std::vector<double>(
                  {a[1][1], a[1][2], a[2][1], a[2][2], a[3][1], a[3][2], a[4][1], a[4][2]}),
              std::vector<double>({1, 1, 1, 600, 800, 600, 800, 1}));
    EXPECT_FALSE(f.RADDRIZZA.enabled);
    EXPECT_FALSE(f.save.enabled) << "nothing rectified yet";
}

TEST_F(OpenImageTest, OpeningAgainResetsTheConstructionWhateverWasSet) {
    open(photo(640, 480));
    s.nRette = 4;
    s.modoClick = ClickMode::AreaCorner;
    s.nRaddr = 3;
    s.grandezza = 1.7;
    s.attesaSecondo = 1;
    f.RADDRIZZA.caption = "Misura";
    open(photo(320, 200, "piccola.bmp"));
    EXPECT_EQ(s.nRette, 0);
    EXPECT_EQ(s.modoClick, ClickMode::LineEnd);
    EXPECT_EQ(s.nRaddr, 0);
    EXPECT_EQ(s.grandezza, 1.0);
    EXPECT_EQ(s.attesaSecondo, 0) << "a pending first point must not carry over";
    EXPECT_EQ(f.RADDRIZZA.caption, "Raddrizza");
    EXPECT_EQ(s.centroX, 160.0);
}

class KeepsEverythingTest : public OpenImageTest {
  protected:
    void SetUp() override {
        OpenImageTest::SetUp();
        open(photo(640, 480));
        s.nRette = 3;
        s.rette[2][1] = 17.5;
        s.centroX = 111;
        before = s;
        beforeForm = f;
        app.picture1.calls.clear();
    }
    void expectUnchanged() {
        EXPECT_EQ(f.caption, beforeForm.caption);
        EXPECT_EQ(f.domanda1.caption, beforeForm.domanda1.caption);
        EXPECT_EQ(f.Picture1.pointer, beforeForm.Picture1.pointer);
        EXPECT_EQ(s.nomeFile, before.nomeFile);
        EXPECT_EQ(s.nRette, 3);
        EXPECT_EQ(s.rette[2][1], 17.5);
        EXPECT_EQ(s.centroX, 111.0);
        EXPECT_EQ(s.sorgente.image.pixels, before.sorgente.image.pixels);
        EXPECT_TRUE(app.picture1.calls.empty()) << "nothing drawn over the photograph on show";
    }
    WorkingState before;
    FormModel beforeForm;
};

TEST_F(KeepsEverythingTest, CancellingTheDialogKeepsThePhotographOnShow) {
    open(std::nullopt);
    expectUnchanged();
    EXPECT_TRUE(app.dialogs.messages.empty());
}

TEST_F(KeepsEverythingTest, ARefusedFileIsReportedAndChangesNothing) {
    const auto broken = dir / "rotta.bmp";
    auto bytes = test::bitmapBytes({.width = 300, .height = 200});
    bytes.resize(bytes.size() / 2);
    test::writeBytes(broken, bytes);
    open(broken.string());
    expectUnchanged();
    ASSERT_EQ(app.dialogs.messages.size(), 1u);
    EXPECT_EQ(app.dialogs.messages[0].icon, MessageIcon::Critical);
    EXPECT_NE(app.dialogs.messages[0].text.find(broken.string()), std::string::npos);
    EXPECT_NE(app.dialogs.messages[0].text.find("incompleto"), std::string::npos);
}

}  // namespace
}  // namespace vesta
