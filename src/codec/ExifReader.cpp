#include "codec/ExifReader.h"

#include <libexif/exif-data.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace vesta {

namespace {

struct ExifDataFree {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

ExifEntry* entryIn(ExifData* data, ExifIfd ifd, ExifTag tag) {
    return exif_content_get_entry(data->ifd[ifd], tag);
}

std::optional<int> integerOf(ExifData* data, ExifEntry* entry) {
    if (!entry || entry->components < 1 || !entry->data) {
        return std::nullopt;
    }
    const ExifByteOrder order = exif_data_get_byte_order(data);
    if (entry->format == EXIF_FORMAT_SHORT && entry->size >= 2) {
        return int(exif_get_short(entry->data, order));
    }
    if (entry->format == EXIF_FORMAT_LONG && entry->size >= 4) {
        const ExifLong value = exif_get_long(entry->data, order);
        if (value <= 0x7FFFFFFF) {
            return int(value);
        }
    }
    return std::nullopt;
}

std::optional<double> rationalOf(ExifData* data, ExifEntry* entry) {
    if (!entry || entry->components < 1 || !entry->data || entry->size < 8) {
        return std::nullopt;
    }
    const ExifByteOrder order = exif_data_get_byte_order(data);
    if (entry->format == EXIF_FORMAT_RATIONAL) {
        const ExifRational r = exif_get_rational(entry->data, order);
        if (r.denominator != 0) {
            return double(r.numerator) / double(r.denominator);
        }
    } else if (entry->format == EXIF_FORMAT_SRATIONAL) {
        const ExifSRational r = exif_get_srational(entry->data, order);
        if (r.denominator != 0) {
            return double(r.numerator) / double(r.denominator);
        }
    }
    return std::nullopt;
}

std::optional<double> positive(std::optional<double> value) {
    if (value && std::isfinite(*value) && *value > 0) {
        return value;
    }
    return std::nullopt;
}

std::optional<int> positive(std::optional<int> value) {
    if (value && *value > 0) {
        return value;
    }
    return std::nullopt;
}

std::string textOf(ExifEntry* entry) {
    if (!entry || entry->format != EXIF_FORMAT_ASCII || !entry->data) {
        return {};
    }
    const char* text = reinterpret_cast<const char*>(entry->data);
    std::string value(text, strnlen(text, entry->size));
    while (!value.empty() && value.back() == ' ') {
        value.pop_back();
    }
    return value;
}

}  // namespace

CameraFacts readExifFacts(const std::uint8_t* data, std::size_t size) {
    CameraFacts facts;
    static constexpr std::uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (!data || size < 8 || size > 0xFFFFFFu) {
        return facts;
    }
    // libexif wants the APP1 form; the eXIf chunk holds the bare TIFF structure.
    std::vector<std::uint8_t> block;
    if (std::memcmp(data, kExifHeader, 6) != 0) {
        block.assign(kExifHeader, kExifHeader + 6);
    }
    block.insert(block.end(), data, data + size);

    std::unique_ptr<ExifData, ExifDataFree> exif(exif_data_new());
    if (!exif) {
        return facts;
    }
    // Read the values as the camera wrote them; do not let the library rewrite them.
    exif_data_unset_option(exif.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(exif.get(), block.data(), unsigned(block.size()));
    ExifData* d = exif.get();

    const auto orientation = integerOf(d, entryIn(d, EXIF_IFD_0, EXIF_TAG_ORIENTATION));
    if (orientation && *orientation >= 1 && *orientation <= 8) {
        facts.orientation = *orientation;
    }
    facts.make = textOf(entryIn(d, EXIF_IFD_0, EXIF_TAG_MAKE));
    facts.model = textOf(entryIn(d, EXIF_IFD_0, EXIF_TAG_MODEL));
    facts.lensModel = textOf(entryIn(d, EXIF_IFD_EXIF, EXIF_TAG_LENS_MODEL));
    facts.focalLengthMm = positive(rationalOf(d, entryIn(d, EXIF_IFD_EXIF, EXIF_TAG_FOCAL_LENGTH)));
    facts.focalLength35mm =
        positive(integerOf(d, entryIn(d, EXIF_IFD_EXIF, EXIF_TAG_FOCAL_LENGTH_IN_35MM_FILM)));
    facts.focalPlaneXResolution =
        positive(rationalOf(d, entryIn(d, EXIF_IFD_EXIF, EXIF_TAG_FOCAL_PLANE_X_RESOLUTION)));
    facts.focalPlaneYResolution =
        positive(rationalOf(d, entryIn(d, EXIF_IFD_EXIF, EXIF_TAG_FOCAL_PLANE_Y_RESOLUTION)));
    facts.focalPlaneResolutionUnit =
        positive(integerOf(d, entryIn(d, EXIF_IFD_EXIF, EXIF_TAG_FOCAL_PLANE_RESOLUTION_UNIT)));
    facts.pixelXDimension =
        positive(integerOf(d, entryIn(d, EXIF_IFD_EXIF, EXIF_TAG_PIXEL_X_DIMENSION)));
    facts.pixelYDimension =
        positive(integerOf(d, entryIn(d, EXIF_IFD_EXIF, EXIF_TAG_PIXEL_Y_DIMENSION)));
    return facts;
}

}  // namespace vesta
