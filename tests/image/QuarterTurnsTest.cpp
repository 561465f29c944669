#include <gtest/gtest.h>

#include "BitmapBytes.h"
#include "image/BitmapFile.h"
#include "image/QuarterTurns.h"

namespace vesta {
namespace {

bool same(const IndexedImage& a, const IndexedImage& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels &&
           a.palette == b.palette;
}

bool same(const ColourImage& a, const ColourImage& b) {
    return a.width == b.width && a.height == b.height && a.channels == b.channels &&
           a.samples8 == b.samples8 && a.samples16 == b.samples16 && a.iccProfile == b.iccProfile;
}

// The sample of pixel (x, y), channel c, whatever the depth.
int sample(const IndexedImage& image, int x, int y, int) {
    return image.row(y)[x];
}
int sample(const ColourImage& image, int x, int y, int c) {
    const std::size_t at = (std::size_t(y) * image.width + x) * image.channels + c;
    return image.bitsPerChannel == 16 ? image.samples16[at] : image.samples8[at];
}

// Odd sides, so that a turn that mixes up width and height, or is off by one on a far side,
// moves a pixel visibly: every pixel goes where turnedPixel says, and a left turn undoes a right
// one, whatever else the image holds (palette, profile).
template <class Image>
void expectEveryPixelTurned(const Image& image, int channels) {
    for (int q = 0; q < 4; ++q) {
        const Image turned = turnedClockwise(image, q);
        ASSERT_EQ(turned.width, q % 2 ? image.height : image.width);
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const TurnedPixel p = turnedPixel(x, y, image.width, image.height, q);
                for (int c = 0; c < channels; ++c) {
                    ASSERT_EQ(sample(turned, int(p.x), int(p.y), c), sample(image, x, y, c))
                        << channels << " channels, " << q << " quarters";
                }
            }
        }
    }
    EXPECT_TRUE(same(turnedClockwise(turnedClockwise(image, 1), -1), image)) << "right then left";
}

TEST(QuarterTurns, EveryPixelOfEveryKindOfImageTurnsToItsPlace) {
    IndexedImage image{5, 3, {}, {}};
    for (int i = 0; i < 15; ++i) {
        image.pixels.push_back(test::patternPixel(i % 5, i / 5));
    }
    image.palette[5] = 77;
    expectEveryPixelTurned(image, 1);
    // Clockwise: the top-left pixel goes to the top-right (a turn the other way, or either
    // diagonal mirror, would put a pixel of another value there).
    EXPECT_EQ(turnedClockwise(image, 1).row(0)[2], image.row(0)[0]);

    // The header takes the turned size, and the resolutions swap on a quarter turn.
    HeaderBlock header = classicHeader(5, 3);
    header[38] = 1;
    header[42] = 2;
    HeaderBlock expected = patchedHeader(header, 3, 5);
    expected[38] = 2;
    expected[42] = 1;
    EXPECT_EQ(turnedHeader(header, 3, 5, 1), expected);
    EXPECT_EQ(turnedHeader(header, 5, 3, 2), patchedHeader(header, 5, 3));

    // Grey and colour, the two kinds a photograph is read as, in both depths.
    for (const auto& [channels, bits] : {std::pair{1, 16}, std::pair{3, 8}}) {
        ColourImage image = test::patternImage(7, 4, channels, bits);
        image.iccProfile = {1, 2, 3};
        expectEveryPixelTurned(image, channels);
    }
}

}  // namespace
}  // namespace vesta
