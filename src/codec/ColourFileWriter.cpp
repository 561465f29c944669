#include "codec/ColourFileWriter.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "codec/ColourBmpFile.h"
#include "codec/JpegFile.h"
#include "codec/PngFile.h"
#include "files/FilePlacement.h"

namespace vesta {

Result<ColourFileFormat> colourFormatForPath(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (extension == ".png") {
        return Result<ColourFileFormat>::success(ColourFileFormat::Png);
    }
    if (extension == ".tif" || extension == ".tiff") {
        return Result<ColourFileFormat>::success(ColourFileFormat::Tiff);
    }
    if (extension == ".jpg" || extension == ".jpeg") {
        return Result<ColourFileFormat>::success(ColourFileFormat::Jpeg);
    }
    if (extension == ".bmp") {
        return Result<ColourFileFormat>::success(ColourFileFormat::Bmp);
    }
    return Result<ColourFileFormat>::failure(
        "Formato del file non riconosciuto dal nome: usare l'estensione .png, .tif, .tiff, .jpg, "
        ".jpeg o .bmp.");
}

std::string profileNotice(ColourFileFormat format, std::size_t profileBytes) {
    constexpr const char* kKept =
        ": il risultato è scritto senza profilo (TIFF e PNG lo conservano).";
    if (profileBytes == 0) {
        return {};
    }
    if (format == ColourFileFormat::Bmp) {
        return std::string("Una bitmap (BMP) non porta il profilo colore della fotografia") + kKept;
    }
    if (format == ColourFileFormat::Jpeg && profileBytes > kMaxJpegProfileBytes) {
        return "Il profilo colore della fotografia (" +
               std::to_string((profileBytes + (1 << 20) - 1) >> 20) +
               " MB) è più grande di quanto un file JPEG possa portare" + kKept;
    }
    return {};
}

std::unique_ptr<RowWriter> makeColourWriter(ColourFileFormat format, int fd, const RowShape& shape,
                                            const std::vector<std::uint8_t>& iccProfile,
                                            const ColourWriteOptions& options) {
    switch (format) {
        case ColourFileFormat::Png:
            return makePngWriter(fd, shape, iccProfile, options.exif);
        case ColourFileFormat::Tiff:
            return makeTiffWriter(fd, shape, iccProfile, options.tiffCompression, options.exif);
        case ColourFileFormat::Jpeg:
            return makeJpegWriter(fd, shape, iccProfile, options.jpegQuality, options.exif);
        case ColourFileFormat::Bmp:
            break;
    }
    return makeBmpWriter(fd, shape);
}

std::string writeColourImage(int fd, const ColourImage& image, ColourFileFormat format,
                             const ColourWriteOptions& options) {
    const RowShape shape{image.width, image.height, image.channels, image.bitsPerChannel};
    const std::size_t samples = image.rowSamples() * std::size_t(std::max(image.height, 0));
    const bool filled = image.bitsPerChannel == 16 ? image.samples16.size() == samples
                                                   : image.samples8.size() == samples;
    if (!filled) {
        return "L'immagine da scrivere è incompleta.";
    }
    ColourWriteOptions withExif = options;
    withExif.exif = image.exif;
    const auto writer = makeColourWriter(format, fd, shape, image.iccProfile, withExif);
    bool good = writer->error().empty();
    for (int y = 0; good && y < image.height; ++y) {
        const std::size_t at = image.rowSamples() * std::size_t(y);
        good = image.bitsPerChannel == 16 ? writer->writeRow(image.samples16.data() + at)
                                          : writer->writeRow(image.samples8.data() + at);
    }
    good = good && writer->finish();
    return good ? std::string() : writer->error();
}

std::string saveColourImage(const std::string& path, const ColourImage& image,
                            const ColourWriteOptions& options) {
    const auto format = colourFormatForPath(path);
    if (!format.ok()) {
        return format.error();
    }
    std::string error;
    const bool placed = replaceFile(
        path,
        [&](int fd, std::string& why) {
            why = writeColourImage(fd, image, format.value(), options);
            return why.empty();
        },
        error);
    return placed ? std::string() : error;
}

}  // namespace vesta
