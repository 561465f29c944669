// The EXIF a result keeps of its photograph: who took it with what (make, model), when (the
// dates), through which lens (focal lengths, aperture, the lens's make, model and its range
// of focal lengths and apertures), and orientation 1, since a result is written upright. Nothing of
// the photograph's pixels survives a rectification: their dimensions, the sensor's resolution, the
// thumbnail and the maker's notes are left out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vesta {

// The kept block, in the TIFF structure of a PNG eXIf chunk (a JPEG's APP1 puts "Exif\0\0"
// before it), from a photograph's EXIF block in either form; empty when the photograph's block
// is damaged or holds nothing worth keeping.
std::vector<std::uint8_t> exifForResults(const std::uint8_t* data, std::size_t size);

// The kept facts as text and numbers, for a TIFF result, whose own tags hold them.
struct ResultExifTags {
    std::string make, model, dateTime;                // the image's directory
    std::string dateTimeOriginal, dateTimeDigitized;  // the EXIF directory
    std::string lensMake, lensModel, lensSerialNumber;
    double focalLength = 0, fNumber = 0, maxApertureValue = 0;  // 0 when absent
    int focalLength35mm = 0;
    std::vector<double> lensSpecification;  // 4 numbers, or none
};
ResultExifTags resultExifTags(const std::vector<std::uint8_t>& kept);

// The kept block made of facts read elsewhere (a TIFF photograph's own tags), as
// exifForResults makes it of a block: the texts, the rationals and orientation 1; empty when
// there is nothing worth keeping.
std::vector<std::uint8_t> exifBlockOf(const ResultExifTags& tags);

}  // namespace vesta
