// The panel says how sure the proportions of the construction are, and warns once when they
// are not sure enough.
#include <gtest/gtest.h>

#include <algorithm>

#include "Fakes.h"
#include "construction/Commands.h"

namespace vesta {
namespace {

class ProportionsPanelTest : public test::AppTest {
  protected:
    void SetUp() override {
        app.ctx.decimalSeparator = ',';
        test::openBitmap(app, 800, 600);
    }
    void line(float x1, float y1, float x2, float y2) { test::clickLine(app.ctx, x1, y1, x2, y2); }
    std::size_t warnings() const {
        return std::size_t(
            std::count_if(app.dialogs.messages.begin(), app.dialogs.messages.end(),
                          [](const auto& m) { return m.title == "Proporzioni incerte"; }));
    }
};

TEST_F(ProportionsPanelTest, ASureConstructionShowsItsFigureAnUnsureOneWarnsOnceAndGoesOn) {
    test::clickFourLines(app.ctx);
    const std::string& shown = app.ctx.form.incertezza.caption;
    ASSERT_EQ(shown.rfind("±", 0), 0u) << shown;
    EXPECT_NE(shown.find(','), std::string::npos) << "the user's decimal separator";
    EXPECT_EQ(warnings(), 0u);

    // Short lines that meet far away: a pixel more or less moves them a great deal.
    test::openBitmap(app, 800, 600);
    line(300, 200, 340, 202);
    line(300, 400, 340, 399);
    line(200, 300, 203, 260);
    line(600, 300, 598, 260);
    EXPECT_TRUE(app.ctx.form.RADDRIZZA.enabled) << "a warning, never a refusal";
    EXPECT_TRUE(app.ctx.s.aspectIndeterminate || app.ctx.s.aspectSigma > 0.02)
        << app.ctx.s.aspectSigma;
    EXPECT_EQ(app.ctx.form.incertezza.foreground, colours::red);
    ASSERT_EQ(warnings(), 1u);
    EXPECT_NE(app.dialogs.messages.back().text.find("Misure note"), std::string::npos);
    // Other sizes of the same construction are not warned about again.
    GRANDEZZA_SpinUp(app.ctx);
    GRANDEZZA_SpinUp(app.ctx);
    EXPECT_EQ(warnings(), 1u);
}

}  // namespace
}  // namespace vesta
