#include <gtest/gtest.h>

#include "rectify/PrintLayout.h"

namespace vesta {
namespace {

TEST(PrintLayoutTest, AScaleIsTypedAsOneToNOrN) {
    // One case a branch: the colon, its lead, the digits, the bounds.
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"1:75", 75},  {" 1 : 200 ", 200}, {"1:100000", 100000}, {"1", 1},
        {"2:100", {}}, {"1:", {}},         {"9999999", {}},      {"1:+50", {}},
        {"75.5", {}},  {"1:0", {}},        {"100001", {}}};
    for (const auto& [typed, denominator] : cases) {
        EXPECT_EQ(typedPrintScale(typed), denominator) << typed;
    }
}

// Every sheet's pixels cover its share, begin less than a pixel before it, and the shares
// tile the image without gap or overlap, pixels straddling two sheets included; as long as the
// sheets are not too many nor too small.
TEST(PrintLayoutTest, SheetsTileTheImageExactlyUnlessTooManyOrTooSmall) {
    const int width = 1013, height = 1471;
    const Result<PrintLayout> laid = layOutPrint(190, 277, width, height, 0.7, 20);
    ASSERT_TRUE(laid.ok());
    const PrintLayout& l = laid.value();
    EXPECT_DOUBLE_EQ(l.footerTop, 259) << "A4's printable area less the footer";
    ASSERT_EQ(l.columns, 2);  // 354.55 mm across 190 mm sheets
    ASSERT_EQ(l.rows, 2);     // 514.85 mm down 259 mm sheets
    ASSERT_EQ(l.sheets.size(), 4u);
    double across = 0, down = 0;
    for (const PrintSheet& s : l.sheets) {
        EXPECT_LE(s.left, 1e-9);
        EXPECT_GT(s.left, -l.mmPerPixel);
        EXPECT_GE(s.left + (s.x1 - s.x0) * l.mmPerPixel, s.clipWidth - 1e-9);
        EXPECT_GE(s.top + (s.y1 - s.y0) * l.mmPerPixel, s.clipHeight - 1e-9);
        across += s.row == 0 ? s.clipWidth : 0;
        down += s.column == 0 ? s.clipHeight : 0;
    }
    EXPECT_NEAR(across, width * 0.35, 1e-9);
    EXPECT_NEAR(down, height * 0.35, 1e-9);
    EXPECT_EQ(l.sheets[3].x1, width);
    EXPECT_EQ(l.sheets[3].x0, 542) << "190 mm is 542.86 pixels: the straddling one is on both";

    // Too many sheets, or too small a sheet, are refused.
    EXPECT_FALSE(layOutPrint(190, 277, 20000, 20000, 1.0, 20).ok());
    EXPECT_FALSE(layOutPrint(15, 277, 100, 100, 1.0, 100).ok());
    EXPECT_FALSE(layOutPrint(190, 30, 100, 100, 1.0, 100).ok());
    // An image ending a rounding's sliver past a sheet takes no second sheet.
    EXPECT_EQ(layOutPrint(190, 277, 190, 100, 1 + 1e-13, 10).value().columns, 1);
}

TEST(PrintLayoutTest, TheScaleBarIsTheLongestRoundLengthThatFits) {
    // Denominator, room in mm; then metres, mm, divisions and label of the bar.
    for (const auto& [denominator, room, want] :
         {std::tuple{100, 95.0, std::tuple{5.0, 50.0, 5, "5 m"}},
          std::tuple{100, 100.0, std::tuple{10.0, 100.0, 5, "10 m"}},
          std::tuple{20, 100.0, std::tuple{2.0, 100.0, 4, "2 m"}},
          std::tuple{1, 100.0, std::tuple{0.1, 100.0, 5, "10 cm"}}}) {
        const ScaleBar bar = scaleBarFor(denominator, room);
        EXPECT_EQ(std::tuple(bar.metres, bar.lengthMm, bar.divisions, bar.label), want)
            << denominator;
    }
}

}  // namespace
}  // namespace vesta
