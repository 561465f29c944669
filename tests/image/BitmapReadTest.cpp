#include <gtest/gtest.h>

#include "BitmapBytes.h"
#include "image/BitmapFile.h"

namespace vesta {
namespace {

using test::BitmapLayout;
using test::patternPixel;

class BitmapReadTest : public ::testing::Test {
  protected:
    SourceBitmap load(const BitmapLayout& layout) {
        const auto path = dir / "photo.bmp";
        test::writeBytes(path, test::bitmapBytes(layout));
        auto read = readSourceBitmap(path.string());
        EXPECT_TRUE(read.ok()) << read.error();
        return read.ok() ? read.value() : SourceBitmap{};
    }
    static void expectPattern(const IndexedImage& image) {
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                ASSERT_EQ(image.row(y)[x], patternPixel(x, y)) << "at " << x << ", " << y;
            }
        }
    }
    test::TempDir dir;
};

// Rows wider than 3000 pixels are kept whole too, and bytes after the last row do not shear the
// image, as padding taken from the file's length would.
TEST_F(BitmapReadTest, RowPaddingComesFromTheWidth) {
    const BitmapLayout layouts[] = {{.width = 640, .height = 5},
                                    {.width = 641, .height = 5},
                                    {.width = 642, .height = 5},
                                    {.width = 3203, .height = 5},
                                    {.width = 6, .height = 4, .extraBytes = 10}};
    for (const BitmapLayout& layout : layouts) {
        const SourceBitmap b = load(layout);
        EXPECT_EQ(b.padSorg, (4 - layout.width % 4) % 4) << layout.width;
        expectPattern(b.image);
    }
}

TEST_F(BitmapReadTest, LaterHeadersShortPalettesAndTopDownRowsReadCorrectly) {
    const BitmapLayout variants[] = {
        {.width = 5, .height = 3, .infoSize = 124},
        {.width = 5, .height = 3, .infoSize = 108, .paletteEntries = 16, .coloursUsed = 16},
        {.width = 5, .height = 3, .paletteEntries = 2, .coloursUsed = 2},
        {.width = 5, .height = 3, .topDown = true},
        {.width = 5, .height = 3, .gapBeforePixels = 6},
    };
    for (const BitmapLayout& layout : variants) {
        const SourceBitmap b = load(layout);
        expectPattern(b.image);
        // Palette entry 1 is read from where the file keeps it; missing entries are black.
        EXPECT_EQ(b.image.colour(1), (Rgb{1, 0, 254}));
        if (layout.paletteEntries < 256) {
            EXPECT_EQ(b.image.colour(200), (Rgb{0, 0, 0}));
        }
        // The header outputs are made from describes the layout they are written in.
        const auto& h = b.intestazione;
        EXPECT_EQ(h[10] | h[11] << 8, 1078);
        EXPECT_EQ(h[14], 40);
        EXPECT_EQ(h[22], 3);
        EXPECT_EQ(h[24] | h[25], 0) << "height must be positive in the outputs' header";
        EXPECT_EQ(h[46] | h[47], 0);
    }
}

}  // namespace
}  // namespace vesta
