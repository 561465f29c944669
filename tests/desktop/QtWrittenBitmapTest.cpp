#include <gtest/gtest.h>

#include <QImage>

#include "BitmapBytes.h"
#include "image/BitmapFile.h"

namespace vesta {
namespace {

// Bitmaps written by another program, here Qt's own writer, read pixel for pixel.
TEST(BitmapsOfOtherPrograms, AnIndexedImageSavedByQtReadsTheSame) {
    test::TempDir dir;
    for (int colours : {200, 256}) {
        QImage image(37, 11, QImage::Format_Indexed8);
        image.setColorCount(colours);
        for (int i = 0; i < colours; ++i) {
            image.setColor(i, qRgb(i, 255 - i, (i * 5) % 256));
        }
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                image.setPixel(x, y, uint((x * 3 + y * 5) % colours));
            }
        }
        const auto path = (dir / "qt.bmp").string();
        ASSERT_TRUE(image.save(QString::fromStdString(path), "BMP"));
        const auto read = readSourceBitmap(path);
        ASSERT_TRUE(read.ok()) << colours << ": " << read.error();
        const IndexedImage& got = read.value().image;
        ASSERT_EQ(got.width, 37);
        ASSERT_EQ(got.height, 11);
        for (int y = 0; y < 11; ++y) {
            for (int x = 0; x < 37; ++x) {
                const QRgb want = image.color(image.pixelIndex(x, y));
                const Rgb c = got.colour(got.row(y)[x]);
                ASSERT_EQ(qRgb(c.r, c.g, c.b), want) << colours << " at " << x << ", " << y;
            }
        }
    }
}

}  // namespace
}  // namespace vesta
