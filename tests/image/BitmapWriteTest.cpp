#include <gtest/gtest.h>

#include "BitmapBytes.h"
#include "image/BitmapFile.h"

namespace vesta {
namespace {

class BitmapWriteTest : public ::testing::Test {
  protected:
    SourceBitmap source() {
        test::writeBytes(dir / "src.bmp", test::bitmapBytes({.width = 7, .height = 5}));
        return readSourceBitmap((dir / "src.bmp").string()).value();
    }
    static IndexedImage image(int width, int height, const PaletteBlock& palette) {
        IndexedImage out{width, height, palette, {}};
        out.pixels.resize(std::size_t(width) * height);
        for (std::size_t i = 0; i < out.pixels.size(); ++i) {
            out.pixels[i] = std::uint8_t(i * 13 % 251);
        }
        return out;
    }
    test::TempDir dir;
};

// The source's header with the size and, since other programs refuse a file whose declared sizes
// disagree with its length, the file and pixel lengths put in; then the palette, and rows of
// every padding, wider than 3000 pixels too, that read back the same.
TEST_F(BitmapWriteTest, HeaderGetsTheSizeAndTrueLengthsAndTheRowsReadBack) {
    const SourceBitmap src = source();
    for (int width : {1, 102, 3003}) {
        const IndexedImage written = image(width, 4, src.image.palette);
        const auto path = dir / "out.bmp";
        ASSERT_TRUE(writeBitmapFile(path.string(), src.intestazione, written));
        const auto bytes = test::readBytes(path);
        const std::uint32_t pixels = 4 * std::uint32_t((width + 3) / 4 * 4);
        std::vector<std::uint8_t> want(src.intestazione.begin(), src.intestazione.end());
        for (const auto& [at, v] :
             {std::pair{2u, 1078 + pixels}, std::pair{18u, std::uint32_t(width)},
              std::pair{22u, 4u}, std::pair{34u, pixels}}) {
            for (unsigned i = 0; i < 4; ++i) {
                want[at + i] = std::uint8_t(v >> (8 * i));
            }
        }
        want.insert(want.end(), src.image.palette.begin(), src.image.palette.end());
        EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 1078), want) << width;
        EXPECT_EQ(bytes.size(), 1078 + pixels);
        const auto back = readSourceBitmap(path.string());
        ASSERT_TRUE(back.ok()) << back.error();
        EXPECT_EQ(back.value().image.pixels, written.pixels);
    }
}

TEST_F(BitmapWriteTest, UnwritablePlacesAndImpossibleSizesAreReported) {
    const SourceBitmap src = source();
    std::string error;
    EXPECT_FALSE(writeBitmapFile((dir / "no/such/folder/x.bmp").string(), src.intestazione,
                                 image(4, 4, src.image.palette), &error));
    EXPECT_FALSE(error.empty());
    BitmapWriter writer;
    EXPECT_FALSE(
        writer.open((dir / "big.bmp").string(), src.intestazione, src.image.palette, 40000, 10));
    EXPECT_FALSE(writer.error().empty());
}

}  // namespace
}  // namespace vesta
