// JPEG photographs through libjpeg-turbo: grey and colour, 8 bits a channel. The whole image
// (JpegFile.cpp), a reduced first view of it (the same file) and the writer (JpegWriter.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/DecodeLimits.h"
#include "codec/DecodedImage.h"
#include "codec/RowWriter.h"
#include "state/Result.h"

namespace vesta {

// Decodes a whole JPEG file held in memory, with its EXIF facts and its ICC profile. CMYK and
// damaged or truncated files are refused with a message.
Result<DecodedImage> decodeJpeg(const std::uint8_t* data, std::size_t size,
                                const DecodeLimits& limits = {});

// A first view of a photograph, to show while the whole image is read: the photograph reduced
// and upright, and the size of the whole upright photograph.
struct JpegFirstView {
    ColourImage image;
    int width = 0;
    int height = 0;
};

// Decodes a file held in memory reduced by 8, 4 or 2 in the DCT itself (a fraction of the time
// of the whole image), the most that still gives at least the size at which the upright
// photograph fits viewWidth x viewHeight, and turns it upright as decodeJpeg does. Fails with
// decodeJpeg's message where that would refuse the file (a photograph never shows that is
// then refused), and with an empty one where no reduction fits or the file is progressive.
Result<JpegFirstView> decodeJpegFirstView(const std::uint8_t* data, std::size_t size,
                                          double viewWidth, double viewHeight,
                                          const DecodeLimits& limits = {});

// The largest colour profile a JPEG file holds: 255 APP2 segments of 65519 bytes (their count
// is one byte).
inline constexpr std::size_t kMaxJpegProfileBytes = std::size_t(255) * 65519;

// A writer of baseline JPEG rows into `fd` (quality 1 to 100); 16-bit rows are rounded to 8
// bits. The profile goes into APP2 markers, unless it is larger than kMaxJpegProfileBytes.
std::unique_ptr<RowWriter> makeJpegWriter(int fd, const RowShape& shape,
                                          const std::vector<std::uint8_t>& iccProfile, int quality,
                                          const std::vector<std::uint8_t>& exif = {});

}  // namespace vesta
