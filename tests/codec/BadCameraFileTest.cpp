// Damaged camera files of every kind: each is refused with a message, none crashes, none makes
// the reader take memory its declared size does not justify.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>

#include "BitmapBytes.h"
#include "codec/CameraFile.h"
#include "codec/ColourFileWriter.h"

namespace vesta {
namespace {

class BadCameraFileTest : public ::testing::Test {
  protected:
    std::vector<std::uint8_t> goodFile(const std::string& name, int channels, int bits) {
        const auto path = dir / name;
        EXPECT_EQ(saveColourImage(path.string(), test::patternImage(61, 47, channels, bits)), "");
        return test::readBytes(path);
    }
    static std::string refusal(const std::vector<std::uint8_t>& bytes) {
        const auto decoded = decodeCameraFile(bytes.data(), bytes.size());
        EXPECT_FALSE(decoded.ok()) << bytes.size() << " bytes";
        return decoded.ok() ? std::string() : decoded.error();
    }
    static bool says(const std::string& message, const std::string& word) {
        return message.find(word) != std::string::npos;
    }
    test::TempDir dir;
};

TEST_F(BadCameraFileTest, OnlyRegularFilesOfAKnownKindAreRead) {
    EXPECT_FALSE(readCameraFile((dir / "missing.jpg").string()).ok());
    // A folder, and a pipe with no writer: reading it would wait for ever.
    const auto pipe = dir / "pipe.jpg";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const auto& path : {dir.path(), pipe}) {
        const auto read = readCameraFile(path.string());
        ASSERT_FALSE(read.ok()) << path;
        EXPECT_TRUE(says(read.error(), "ordinario")) << path;
    }

    EXPECT_TRUE(says(refusal({'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}), "riconosciuta"));
    EXPECT_TRUE(says(refusal(test::bitmapBytes({.paletteEntries = 0, .bitCount = 16})), "16 bit"));
}

TEST_F(BadCameraFileTest, TruncatedFilesOfEveryKindAreRefused) {
    const std::vector<std::vector<std::uint8_t>> files = {
        goodFile("a.jpg", 3, 8), goodFile("c.png", 3, 16), goodFile("e.tif", 3, 16),
        goodFile("f.bmp", 3, 8)};
    for (const auto& file : files) {
        for (std::size_t cut : {std::size_t(3), std::size_t(20), file.size() / 4, file.size() / 2,
                                file.size() * 7 / 8}) {
            if (file[0] == 'B' && cut < 30) {
                continue;  // too short to tell its bits: the palette road refuses it
            }
            const std::string message =
                refusal(std::vector<std::uint8_t>(file.begin(), file.begin() + long(cut)));
            EXPECT_TRUE(says(message, "incomplet") || says(message, "danneggiat") ||
                        says(message, "riconosciuta"))
                << message;
        }
    }
}

// `n` bytes of `v` at `at`, most significant first when `big`.
void put(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v, int n, bool big) {
    for (int i = 0; i < n; ++i) {
        b[at + std::size_t(i)] = std::uint8_t(v >> 8 * (big ? n - 1 - i : i));
    }
}

// A small file that declares a huge or empty image is refused from its header, before the
// reader takes the memory (under the sanitizers an attempt would abort the test).
TEST_F(BadCameraFileTest, DeclaredSizesOutOfRangeAreRefused) {
    const auto jpeg = goodFile("a.jpg", 3, 8);
    const std::uint8_t baseline[] = {0xFF, 0xC0};
    const std::size_t frame =
        std::size_t(std::search(jpeg.begin(), jpeg.end(), baseline, baseline + 2) - jpeg.begin());
    for (const auto& [width, height] : {std::pair{65500, 65500}, std::pair{100, 0}}) {
        auto bytes = jpeg;
        put(bytes, frame + 5, std::uint32_t(height), 2, true);
        put(bytes, frame + 7, std::uint32_t(width), 2, true);
        const std::string message = refusal(bytes);
        EXPECT_TRUE(says(message, "troppo grande") || says(message, "danneggiato")) << message;
    }

    // The header chunk with its checksum made right, so only the size is wrong.
    const auto png = goodFile("b.png", 3, 16);
    for (const auto& [width, height] :
         {std::pair{60000u, 60000u}, std::pair{0u, 10u}, std::pair{70000u, 10u}}) {
        auto bytes = png;
        put(bytes, 16, width, 4, true);
        put(bytes, 20, height, 4, true);
        put(bytes, 29, std::uint32_t(crc32(0, bytes.data() + 12, 17)), 4, true);
        const std::string message = refusal(bytes);
        EXPECT_TRUE(says(message, "troppo grande") ||
                    (width != height && says(message, "danneggiato")))
            << message;
    }

    // The writer's directory holds the width and height as its first two entries.
    auto tiff = goodFile("c.tif", 3, 16);
    const std::uint32_t ifd = std::uint32_t(tiff[4] | tiff[5] << 8 | tiff[6] << 16 | tiff[7] << 24);
    for (std::size_t entry = ifd + 2; entry < ifd + 2 + 24; entry += 12) {
        ASSERT_TRUE(tiff[entry] == 0x00 || tiff[entry] == 0x01);  // tag 256 or 257
        tiff[entry + 8] = 0xFF;
        tiff[entry + 9] = 0xFF;
    }
    EXPECT_TRUE(says(refusal(tiff), "troppo grande"));

    auto bmp = goodFile("d.bmp", 3, 8);
    put(bmp, 18, 40000, 4, false);
    put(bmp, 22, 40000, 4, false);
    EXPECT_TRUE(says(refusal(bmp), "troppo grande"));
    put(bmp, 18, 0, 4, false);
    EXPECT_TRUE(says(refusal(bmp), "non valide"));
}

}  // namespace
}  // namespace vesta
