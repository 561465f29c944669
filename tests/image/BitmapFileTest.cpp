// Palette bitmaps read and written byte by byte: every layout other programs write, every kind
// refused with its reason, and the outputs' header made from the photograph's.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "BitmapBytes.h"
#include "image/BitmapFile.h"

namespace vesta {
namespace {

using test::BitmapLayout;

class BitmapFileTest : public ::testing::Test {
  protected:
    Result<SourceBitmap> read(const std::vector<std::uint8_t>& bytes) {
        test::writeBytes(dir / "photo.bmp", bytes);
        return readSourceBitmap((dir / "photo.bmp").string());
    }
    SourceBitmap load(const BitmapLayout& layout) {
        auto got = read(test::bitmapBytes(layout));
        EXPECT_TRUE(got.ok()) << got.error();
        return got.ok() ? got.value() : SourceBitmap{};
    }
    // The good bitmap with `value` written little-endian at `at`, `n` bytes of it.
    std::vector<std::uint8_t> with(std::size_t at, std::uint32_t value, int n = 4) const {
        std::vector<std::uint8_t> bytes = good;
        test::putNumber(bytes, at, value, n, true);
        return bytes;
    }
    test::TempDir dir;
    const std::vector<std::uint8_t> good = test::bitmapBytes({.width = 5, .height = 3});
};

// Every layout other programs write gives the same pixels and palette. Padding comes from the
// width: rows wider than 3000 pixels are kept whole too, and bytes after the last row do not
// shear the image, as padding taken from the file's length would. A palette entry is read from
// where the file keeps it; missing entries are black. Whatever the layout, the header outputs
// are made from is the classic one of the photograph's size, as `good` holds it for 5 x 3.
TEST_F(BitmapFileTest, EveryLayoutGivesThePixelsPaletteAndClassicHeader) {
    const BitmapLayout layouts[] = {
        {.width = 640, .height = 5},
        {.width = 3203, .height = 5},
        {.width = 6, .height = 4, .extraBytes = 10},
        {.width = 5, .height = 3, .infoSize = 108, .paletteEntries = 16, .coloursUsed = 16},
        {.width = 5, .height = 3, .paletteEntries = 2, .coloursUsed = 2},
        {.width = 5, .height = 3, .topDown = true},
        {.width = 5, .height = 3, .gapBeforePixels = 6},
    };
    for (const BitmapLayout& layout : layouts) {
        const SourceBitmap b = load(layout);
        for (int y = 0; y < b.image.height; ++y) {
            for (int x = 0; x < b.image.width; ++x) {
                ASSERT_EQ(b.image.row(y)[x], test::patternPixel(x, y)) << "at " << x << ", " << y;
            }
        }
        EXPECT_EQ(b.image.colour(1), (Rgb{1, 0, 254}));
        EXPECT_EQ(b.image.colour(200) == (Rgb{0, 0, 0}), layout.paletteEntries < 256);
        if (layout.width == 5) {
            EXPECT_TRUE(std::equal(b.intestazione.begin(), b.intestazione.end(), good.begin()))
                << layout.infoSize;
        }
    }
}

// Other kinds of bitmap, sizes outside 1 to 32767 and damaged headers, each refused saying why;
// and what is no file at all: a pipe with no writer would block the read for ever, a folder or
// a device holds no image.
TEST_F(BitmapFileTest, OtherKindsDamagedHeadersAndNonFilesAreRefusedSayingWhy) {
    const auto pipe = dir / "pipe.bmp";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path : {pipe.string(), dir.path().string(), std::string("/dev/null")}) {
        const auto got = readSourceBitmap(path);
        EXPECT_TRUE(!got.ok() && got.error().find("Non è un file normale") != std::string::npos)
            << path;
    }
    const std::pair<std::vector<std::uint8_t>, const char*> cases[] = {
        {test::bitmapBytes({.signature = false}), "bitmap"},
        {{'B', 'M', 0, 0, 0}, "incompleta"},
        {test::bitmapBytes({.paletteEntries = 0, .bitCount = 24}), "24 bit"},
        {test::bitmapBytes({.compression = 1}), "compressa"},
        {with(14, 12), "Formato"},  // OS/2 header
        {with(14, 1u << 30), "Formato"},
        {with(46, 300), "300"},
        {with(26, 2, 2), "piani"},  // biPlanes
        {with(18, 0), "Larghezza"},
        {with(18, 32768), "Larghezza"},
        {with(22, 0), "Altezza"},
        {with(22, std::uint32_t(-32768)), "Altezza"},
        {with(22, 0x80000000u), "Altezza"},
        {with(10, 5000), "finisce"},
        {with(10, 20), "tavolozza"},
    };
    for (const auto& [bytes, why] : cases) {
        const auto got = read(bytes);
        EXPECT_TRUE(!got.ok() && got.error().find(why) != std::string::npos)
            << why << ": " << (got.ok() ? "" : got.error());
    }
    // The last row may lack its pad bytes; one byte of pixels less is damage.
    for (std::size_t length = 0; length + 3 < good.size(); ++length) {
        ASSERT_FALSE(read({good.begin(), good.begin() + std::ptrdiff_t(length)}).ok()) << length;
    }
}

// The source's header with the size and, since other programs refuse a file whose declared sizes
// disagree with its length, the file and pixel lengths put in; then the palette, and rows of
// every padding, wider than 3000 pixels too, that read back the same.
TEST_F(BitmapFileTest, HeaderGetsTheSizeAndTrueLengthsAndTheRowsReadBack) {
    const SourceBitmap src = load({.width = 7, .height = 5});
    for (int width : {1, 102, 3003}) {
        IndexedImage written{width, 4, src.image.palette, {}};
        for (int i = 0; i < width * 4; ++i) {
            written.pixels.push_back(std::uint8_t(i * 13 % 251));
        }
        const auto path = dir / "out.bmp";
        ASSERT_TRUE(writeBitmapFile(path.string(), src.intestazione, written));
        const auto bytes = test::readBytes(path);
        const std::uint32_t pixels = 4 * std::uint32_t((width + 3) / 4 * 4);
        std::vector<std::uint8_t> want(src.intestazione.begin(), src.intestazione.end());
        for (const auto& [at, v] :
             {std::pair{2u, 1078 + pixels}, std::pair{18u, std::uint32_t(width)},
              std::pair{22u, 4u}, std::pair{34u, pixels}}) {
            test::putNumber(want, at, v, 4, true);
        }
        want.insert(want.end(), src.image.palette.begin(), src.image.palette.end());
        EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 1078), want) << width;
        EXPECT_EQ(bytes.size(), 1078 + pixels);
        const auto back = readSourceBitmap(path.string());
        ASSERT_TRUE(back.ok()) << back.error();
        EXPECT_EQ(back.value().image.pixels, written.pixels);
    }
}

}  // namespace
}  // namespace vesta
