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

TEST_F(BitmapWriteTest, HeaderGetsTheSizeAndTrueLengthsAndKeepsEveryOtherByte) {
    const SourceBitmap src = source();
    const auto path = dir / "out.bmp";
    ASSERT_TRUE(
        writeBitmapFile(path.string(), src.intestazione, image(300, 200, src.image.palette)));
    const auto bytes = test::readBytes(path);
    // The source's header with the size and, since other programs refuse a file whose declared
    // sizes disagree with its length, the file and pixel lengths put in; then the palette.
    std::vector<std::uint8_t> want(src.intestazione.begin(), src.intestazione.end());
    const auto put = [&](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            want[std::size_t(at + i)] = std::uint8_t(v >> (8 * i));
        }
    };
    put(2, std::uint32_t(bytes.size()));
    put(18, 300);
    put(22, 200);
    put(34, 200 * 300);
    want.insert(want.end(), src.image.palette.begin(), src.image.palette.end());
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 1078), want);
}

// Every padding of the rows, and rows wider than 3000 pixels.
TEST_F(BitmapWriteTest, ReadingTheOutputBackGivesTheSameImage) {
    const SourceBitmap src = source();
    for (int width : {1, 101, 102, 3001}) {
        const IndexedImage written = image(width, 4, src.image.palette);
        const auto path = dir / "round.bmp";
        ASSERT_TRUE(writeBitmapFile(path.string(), src.intestazione, written));
        const auto back = readSourceBitmap(path.string());
        ASSERT_TRUE(back.ok()) << back.error();
        EXPECT_EQ(back.value().image.width, width);
        EXPECT_EQ(std::filesystem::file_size(path),
                  1078u + 4u * std::uintmax_t((width + 3) / 4 * 4));
        EXPECT_EQ(back.value().image.pixels, written.pixels);
    }
}

TEST_F(BitmapWriteTest, RowsLandInTheirPlaceWhateverTheOrderTheyArrive) {
    const SourceBitmap src = source();
    const IndexedImage img = image(5, 3, src.image.palette);
    BitmapWriter writer;
    const auto path = dir / "rows.bmp";
    ASSERT_TRUE(writer.open(path.string(), src.intestazione, img.palette, 5, 3));
    for (int r : {0, 2, 1}) {
        ASSERT_TRUE(writer.writeRow(r, img.row(r)));
    }
    ASSERT_TRUE(writer.close());
    EXPECT_EQ(readSourceBitmap(path.string()).value().image.pixels, img.pixels);
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
