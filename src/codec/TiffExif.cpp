#include "codec/TiffExif.h"

#include <cmath>
#include <cstring>

namespace vesta {

namespace {

// A rational tag, which the library hands out as float or double depending on the tag.
bool realTag(TIFF* tif, ttag_t tag, double& value) {
    const TIFFField* field = TIFFFieldWithTag(tif, tag);
    if (!field) {
        return false;
    }
    const int size = TIFFFieldSetGetSize(field);
    if (size == 4) {
        float f = 0;
        if (!TIFFGetField(tif, tag, &f)) {
            return false;
        }
        value = f;
    } else if (size == 8) {
        if (!TIFFGetField(tif, tag, &value)) {
            return false;
        }
    } else {
        return false;
    }
    return std::isfinite(value);
}

// A tag of several rationals (the lens's range), however the library hands them out.
std::vector<double> realsTag(TIFF* tif, ttag_t tag) {
    const TIFFField* field = TIFFFieldWithTag(tif, tag);
    if (!field) {
        return {};
    }
    std::uint32_t count = 0;
    void* values = nullptr;
    bool got = false;
    if (!TIFFFieldPassCount(field)) {
        got = TIFFGetField(tif, tag, &values) == 1;
        count = std::uint32_t(std::max(0, TIFFFieldReadCount(field)));
    } else if (TIFFFieldSetGetCountSize(field) == 2) {
        std::uint16_t shortCount = 0;
        got = TIFFGetField(tif, tag, &shortCount, &values) == 1;
        count = shortCount;
    } else {
        got = TIFFGetField(tif, tag, &count, &values) == 1;
    }
    std::vector<double> out;
    const int size = TIFFFieldSetGetSize(field);
    for (std::uint32_t i = 0; got && values && i < count && i < 16; ++i) {
        out.push_back(size == 4   ? double(static_cast<const float*>(values)[i])
                      : size == 8 ? static_cast<const double*>(values)[i]
                                  : NAN);
    }
    return out;
}

std::string textTag(TIFF* tif, ttag_t tag) {
    const char* text = nullptr;
    if (TIFFGetField(tif, tag, &text) && text) {
        return std::string(text, strnlen(text, 256));
    }
    return {};
}

// The facts of the current EXIF directory that size the sensor and the lens.
void readExifFacts(TIFF* tif, CameraFacts& facts) {
    double real = 0;
    std::uint16_t shortValue = 0;
    std::uint32_t longValue = 0;
    if (realTag(tif, EXIFTAG_FOCALLENGTH, real) && real > 0) {
        facts.focalLengthMm = real;
    }
    if (TIFFGetField(tif, EXIFTAG_FOCALLENGTHIN35MMFILM, &shortValue) && shortValue > 0) {
        facts.focalLength35mm = shortValue;
    }
    if (realTag(tif, EXIFTAG_FOCALPLANEXRESOLUTION, real) && real > 0) {
        facts.focalPlaneXResolution = real;
    }
    if (realTag(tif, EXIFTAG_FOCALPLANEYRESOLUTION, real) && real > 0) {
        facts.focalPlaneYResolution = real;
    }
    if (TIFFGetField(tif, EXIFTAG_FOCALPLANERESOLUTIONUNIT, &shortValue) && shortValue > 0) {
        facts.focalPlaneResolutionUnit = shortValue;
    }
    if (TIFFGetField(tif, EXIFTAG_PIXELXDIMENSION, &longValue) && longValue > 0 &&
        longValue <= 0x7FFFFFFF) {
        facts.pixelXDimension = int(longValue);
    }
    if (TIFFGetField(tif, EXIFTAG_PIXELYDIMENSION, &longValue) && longValue > 0 &&
        longValue <= 0x7FFFFFFF) {
        facts.pixelYDimension = int(longValue);
    }
}

// The current EXIF directory's dates and lens, as a result keeps them.
void readKeptExif(TIFF* tif, ResultExifTags& kept) {
    kept.dateTimeOriginal = textTag(tif, EXIFTAG_DATETIMEORIGINAL);
    kept.dateTimeDigitized = textTag(tif, EXIFTAG_DATETIMEDIGITIZED);
    kept.lensMake = textTag(tif, EXIFTAG_LENSMAKE);
    kept.lensModel = textTag(tif, EXIFTAG_LENSMODEL);
    kept.lensSerialNumber = textTag(tif, EXIFTAG_LENSSERIALNUMBER);
    for (auto [tag, value] : {std::pair{EXIFTAG_FOCALLENGTH, &kept.focalLength},
                              std::pair{EXIFTAG_FNUMBER, &kept.fNumber},
                              std::pair{EXIFTAG_MAXAPERTUREVALUE, &kept.maxApertureValue}}) {
        double real = 0;
        *value = realTag(tif, tag, real) && real > 0 ? real : 0;
    }
    std::uint16_t focal35 = 0;
    if (TIFFGetField(tif, EXIFTAG_FOCALLENGTHIN35MMFILM, &focal35)) {
        kept.focalLength35mm = focal35;
    }
    kept.lensSpecification = realsTag(tif, EXIFTAG_LENSSPECIFICATION);
}

}  // namespace

void readCameraTags(TIFF* tif, CameraFacts& facts, std::vector<std::uint8_t>& exif) {
    ResultExifTags kept;
    kept.make = facts.make = textTag(tif, TIFFTAG_MAKE);
    kept.model = facts.model = textTag(tif, TIFFTAG_MODEL);
    kept.dateTime = textTag(tif, TIFFTAG_DATETIME);
    toff_t offset = 0;
    if (TIFFGetField(tif, TIFFTAG_EXIFIFD, &offset) && offset != 0 &&
        TIFFReadEXIFDirectory(tif, offset)) {
        readExifFacts(tif, facts);
        readKeptExif(tif, kept);
    }
    exif = exifBlockOf(kept);
}

void setText(TIFF* t, ttag_t tag, const std::string& text) {
    if (!text.empty()) {
        TIFFSetField(t, tag, text.c_str());
    }
}

// The EXIF directory of the kept facts, written ahead of the image's, whose tag points to it;
// its offset, or 0 when there is nothing to write. The image's directory starts afresh after.
std::uint64_t writeExifDirectory(TIFF* t, const ResultExifTags& tags) {
    const bool any = !tags.dateTimeOriginal.empty() || !tags.dateTimeDigitized.empty() ||
                     !tags.lensMake.empty() || !tags.lensModel.empty() ||
                     !tags.lensSerialNumber.empty() || tags.focalLength > 0 || tags.fNumber > 0 ||
                     tags.maxApertureValue > 0 || tags.focalLength35mm > 0;
    if (!any || TIFFCreateEXIFDirectory(t) != 0) {
        return 0;
    }
    setText(t, EXIFTAG_DATETIMEORIGINAL, tags.dateTimeOriginal);
    setText(t, EXIFTAG_DATETIMEDIGITIZED, tags.dateTimeDigitized);
    setText(t, EXIFTAG_LENSMAKE, tags.lensMake);
    setText(t, EXIFTAG_LENSMODEL, tags.lensModel);
    setText(t, EXIFTAG_LENSSERIALNUMBER, tags.lensSerialNumber);
    for (const auto& [tag, value] : {std::pair{EXIFTAG_FOCALLENGTH, tags.focalLength},
                                     std::pair{EXIFTAG_FNUMBER, tags.fNumber},
                                     std::pair{EXIFTAG_MAXAPERTUREVALUE, tags.maxApertureValue}}) {
        if (value > 0) {
            TIFFSetField(t, tag, value);
        }
    }
    if (tags.focalLength35mm > 0) {
        TIFFSetField(t, EXIFTAG_FOCALLENGTHIN35MMFILM, std::uint16_t(tags.focalLength35mm));
    }
    std::uint64_t offset = 0;
    const bool written = TIFFWriteCustomDirectory(t, &offset) == 1;
    TIFFFreeDirectory(t);
    TIFFCreateDirectory(t);
    return written ? offset : 0;
}

}  // namespace vesta
