#include <gtest/gtest.h>

#include "Fakes.h"
#include "measure/Measuring.h"
#include "state/Prompts.h"

namespace vesta {
namespace {

class MeasuringTest : public test::AppTest {
  protected:
    void SetUp() override {
        s.nRaddr = 2;  // measuring started
        s.construction.emplace();
        s.construction->frame.largOut = 300;
        s.construction->frame.altOut = 200;
    }
    void pair(float x1, float y1, float x2, float y2) {
        Picture2_MouseDown(app.ctx, x1, y1);
        Picture2_MouseDown(app.ctx, x2, y2);
    }
};

// Presses only repaint before measuring starts. The zoom viewer's factor must not enter the
// lengths, or they come out about ten times too long.
TEST_F(MeasuringTest, TheFirstPairFixesTheScaleAndEveryPairShowsItsParts) {
    s.nRaddr = 1;
    pair(1, 1, 5, 5);
    EXPECT_TRUE(app.dialogs.prompts.empty());
    s.nRaddr = 2;
    s.fattoreZoom = 9.7;
    app.dialogs.inputs.push_back("100");
    pair(10, 20, 40, 60);
    EXPECT_EQ(app.dialogs.prompts, std::vector<std::string>{"Inserire la misura in cm."});
    // Each part cut to six characters, the sign's place included: 53.130102354156 shows as 53.13.
    const auto parts = [&] {
        return f.Text6[1].caption + "|" + f.Text6[2].caption + "|" + f.Text6[3].caption + "|" +
               f.Text6[4].caption;
    };
    EXPECT_EQ(parts(), "d 100|dx 60|dy 80|a 53.13");
    EXPECT_EQ(f.domanda1.caption, "Altra misura ?");
    pair(5, 5, 5, 30);
    EXPECT_EQ(parts(), "d 50|dx 0|dy 50|a 90");
    EXPECT_EQ(app.dialogs.prompts.size(), 1u) << "asked only for the first pair";
}

TEST_F(MeasuringTest, EachLengthShowsItsPlusMinusWithTheProportionsPart) {
    app.ctx.decimalSeparator = ',';
    s.aspectSigma = 0.05;
    app.dialogs.inputs.push_back("100");
    pair(10, 10, 10, 110);  // upright: 1 cm a pixel
    // A level length against an upright reference takes the whole of the proportions' spread.
    pair(10, 150, 210, 150);
    const std::string& shown = f.incertezzaMisura.caption;
    EXPECT_EQ(shown.rfind("d 200 ±", 0), 0u) << "to the whole cm of the reference: " << shown;
    EXPECT_NE(shown.find("proporzioni ±10)"), std::string::npos) << shown;
    // A reference typed to the tenth of a millimetre gives lengths to it, and a spread below
    // that unit keeps a figure of its own.
    s.nMisura = 0;
    app.dialogs.inputs.push_back("12,25");
    pair(10, 10, 10, 110);
    pair(10, 150, 210, 150);
    EXPECT_EQ(shown.rfind("d 24,50 ±", 0), 0u) << shown;
    EXPECT_EQ(shown.find("±0,00"), std::string::npos) << shown;
}

TEST_F(MeasuringTest, ABadReferenceLengthSetsNoScaleAndTheNextPairAsksAgain) {
    for (const std::optional<std::string>& answer : std::vector<std::optional<std::string>>{
             std::nullopt, "", "abc", "0", "-3", "12 cm", "1.200"}) {
        app.dialogs.inputs.push_back(answer);
        pair(0, 0, 10, 0);
    }
    ASSERT_EQ(app.dialogs.messages.size(), 7u);
    EXPECT_NE(app.dialogs.messages.back().text.find("scrivere 1200 "), std::string::npos);
    EXPECT_EQ(f.domanda1.caption, prompts::kDuePunti);
    app.dialogs.inputs.push_back("12,5");  // the comma as decimal separator
    pair(0, 0, 10, 0);
    EXPECT_EQ(s.scala, 1.25);
    // A first pair of length 0 after a new start keeps the earlier scale.
    s.nMisura = 0;
    app.dialogs.inputs.push_back("7.5");
    pair(3, 3, 3, 3);
    EXPECT_EQ(s.scala, 1.25);
    EXPECT_EQ(app.dialogs.messages.size(), 8u);
}

TEST_F(MeasuringTest, ADoubleClickDrawsTheReferenceGridEvery80Pixels) {
    Picture2_DblClick(app.ctx);
    const auto& c = app.picture2.calls;
    ASSERT_EQ(c.size(), 4u + 3u);  // x = 1, 81, 161, 241; y = 1, 81, 161
    EXPECT_EQ(c[3].at, (std::vector<float>{241, 1, 241, 200}));
    EXPECT_EQ(c[6].at, (std::vector<float>{1, 161, 300, 161}));
}

}  // namespace
}  // namespace vesta
