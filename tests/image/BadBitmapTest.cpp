#include <gtest/gtest.h>
#include <sys/stat.h>

#include "BitmapBytes.h"
#include "image/BitmapFile.h"

namespace vesta {
namespace {

using test::BitmapLayout;

class BadBitmapTest : public ::testing::Test {
  protected:
    std::string refusal(const std::vector<std::uint8_t>& bytes) {
        const auto path = dir / "bad.bmp";
        test::writeBytes(path, bytes);
        const auto read = readSourceBitmap(path.string());
        EXPECT_FALSE(read.ok());
        return read.ok() ? std::string() : read.error();
    }
    static std::vector<std::uint8_t> with(std::vector<std::uint8_t> bytes, std::size_t at,
                                          std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes[at + i] = std::uint8_t(value >> (8 * i));
        }
        return bytes;
    }
    test::TempDir dir;
    const std::vector<std::uint8_t> good = test::bitmapBytes({.width = 5, .height = 3});
};

// A pipe with no writer would block the read for ever; a folder or a device holds no image.
TEST_F(BadBitmapTest, FilesThatAreNoBitmapAreRefused) {
    EXPECT_FALSE(readSourceBitmap((dir / "missing.bmp").string()).ok());
    const auto pipe = dir / "pipe.bmp";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path : {pipe.string(), dir.path().string(), std::string("/dev/null")}) {
        const auto read = readSourceBitmap(path);
        EXPECT_TRUE(!read.ok() && read.error().find("Non è un file normale") != std::string::npos)
            << path;
    }
    EXPECT_NE(refusal({'B'}).find("bitmap"), std::string::npos);
    EXPECT_NE(refusal(test::bitmapBytes({.signature = false})).find("bitmap"), std::string::npos);
    EXPECT_NE(refusal({'B', 'M', 0, 0, 0}).find("incompleta"), std::string::npos);
}

TEST_F(BadBitmapTest, OtherKindsOfBitmapAreRefusedSayingWhy) {
    EXPECT_NE(refusal(test::bitmapBytes({.paletteEntries = 0, .bitCount = 24})).find("24 bit"),
              std::string::npos);
    EXPECT_NE(refusal(test::bitmapBytes({.paletteEntries = 16, .bitCount = 4})).find("4 bit"),
              std::string::npos);
    EXPECT_NE(refusal(test::bitmapBytes({.compression = 1})).find("compressa"), std::string::npos);
    EXPECT_NE(refusal(with(good, 14, 12)).find("Formato"), std::string::npos);  // OS/2 header
    EXPECT_NE(refusal(with(good, 14, 1u << 30)).find("Formato"), std::string::npos);
    EXPECT_NE(refusal(with(good, 46, 300)).find("300"), std::string::npos);
    for (std::uint8_t planes : {0, 2}) {  // biPlanes, the two bytes before the bit count
        auto bytes = good;
        bytes[26] = planes;
        EXPECT_NE(refusal(bytes).find("piani"), std::string::npos) << int(planes);
    }
}

TEST_F(BadBitmapTest, SizesOutsideOneTo32767AreRefused) {
    for (std::uint32_t width : {0u, 32768u, 0xFFFFFFFFu}) {
        EXPECT_NE(refusal(with(good, 18, width)).find("Larghezza"), std::string::npos) << width;
    }
    for (std::uint32_t height : {0u, std::uint32_t(-32768), 0x80000000u}) {
        EXPECT_NE(refusal(with(good, 22, height)).find("Altezza"), std::string::npos) << height;
    }
}

TEST_F(BadBitmapTest, AFileEndingBeforeItsRowsIsRefusedAtEveryLength) {
    // The last row may lack its pad bytes; one byte of pixels less is damage.
    const std::size_t lastPad = 3;
    for (std::size_t length = 0; length + lastPad < good.size(); ++length) {
        const auto path = dir / "cut.bmp";
        test::writeBytes(path, {good.begin(), good.begin() + std::ptrdiff_t(length)});
        ASSERT_FALSE(readSourceBitmap(path.string()).ok()) << "cut at " << length;
    }
    EXPECT_NE(refusal(with(good, 10, 5000)).find("finisce"), std::string::npos);
    EXPECT_NE(refusal(with(good, 10, 20)).find("tavolozza"), std::string::npos);
}

}  // namespace
}  // namespace vesta
