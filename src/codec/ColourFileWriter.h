// Saving a grey or colour image in the format its file name asks for.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "codec/RowWriter.h"
#include "codec/TiffFile.h"
#include "state/ColourImage.h"
#include "state/Result.h"

namespace vesta {

enum class ColourFileFormat { Png, Tiff, Jpeg, Bmp };

struct ColourWriteOptions {
    int jpegQuality = 95;
    TiffCompression tiffCompression = TiffCompression::Deflate;
    // The photograph's EXIF that the result keeps (codec/ResultExif), empty for none; a BMP
    // holds none.
    std::vector<std::uint8_t> exif;
};

// The format for a destination by its extension, in any case: .png .tif .tiff .jpg .jpeg .bmp.
// Any other name gives a message that lists them.
Result<ColourFileFormat> colourFormatForPath(const std::string& path);

// Empty when a file of `format` keeps a colour profile of `profileBytes` (or there is none),
// else the Italian notice that the result is written without it: a bitmap holds no profile,
// and a JPEG file at most 255 segments of it, about 16 MB.
std::string profileNotice(ColourFileFormat format, std::size_t profileBytes);

// A row writer of `format` into `fd`. JPEG and BMP hold 8 bits: 16-bit rows are rounded.
std::unique_ptr<RowWriter> makeColourWriter(ColourFileFormat format, int fd, const RowShape& shape,
                                            const std::vector<std::uint8_t>& iccProfile,
                                            const ColourWriteOptions& options = {});

// Writes a whole image into `fd`; an empty string, or the Italian reason it failed.
std::string writeColourImage(int fd, const ColourImage& image, ColourFileFormat format,
                             const ColourWriteOptions& options = {});

// Saves an image to `path` in the format its extension names, through a temporary file beside
// it that is renamed into place only when complete.
std::string saveColourImage(const std::string& path, const ColourImage& image,
                            const ColourWriteOptions& options = {});

}  // namespace vesta
