#include "codec/ResultExif.h"

#include <libexif/exif-data.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <tuple>

namespace vesta {

namespace {

struct ExifDataFree {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};
using ExifPtr = std::unique_ptr<ExifData, ExifDataFree>;

constexpr std::uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
// A kept value is a date, a name or a few numbers: a longer one is not kept, so the block
// always fits a JPEG's APP1 segment.
constexpr unsigned kLargestValue = 256;

struct KeptTag {
    ExifIfd ifd;
    ExifTag tag;
};
constexpr KeptTag kKept[] = {
    {EXIF_IFD_0, EXIF_TAG_MAKE},
    {EXIF_IFD_0, EXIF_TAG_MODEL},
    {EXIF_IFD_0, EXIF_TAG_DATE_TIME},
    {EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL},
    {EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_DIGITIZED},
    {EXIF_IFD_EXIF, EXIF_TAG_OFFSET_TIME},
    {EXIF_IFD_EXIF, EXIF_TAG_OFFSET_TIME_ORIGINAL},
    {EXIF_IFD_EXIF, EXIF_TAG_OFFSET_TIME_DIGITIZED},
    {EXIF_IFD_EXIF, EXIF_TAG_SUB_SEC_TIME_ORIGINAL},
    {EXIF_IFD_EXIF, EXIF_TAG_FNUMBER},
    {EXIF_IFD_EXIF, EXIF_TAG_MAX_APERTURE_VALUE},
    {EXIF_IFD_EXIF, EXIF_TAG_FOCAL_LENGTH},
    {EXIF_IFD_EXIF, EXIF_TAG_FOCAL_LENGTH_IN_35MM_FILM},
    {EXIF_IFD_EXIF, EXIF_TAG_LENS_SPECIFICATION},
    {EXIF_IFD_EXIF, EXIF_TAG_LENS_MAKE},
    {EXIF_IFD_EXIF, EXIF_TAG_LENS_MODEL},
    {EXIF_IFD_EXIF, EXIF_TAG_LENS_SERIAL_NUMBER},
};

// The block in the APP1 form libexif reads, loaded as the camera wrote it.
ExifPtr load(const std::uint8_t* data, std::size_t size) {
    if (!data || size < 8 || size > 0xFFFFFFu) {
        return nullptr;
    }
    const std::size_t header = std::memcmp(data, kExifHeader, 6) != 0 ? 6 : 0;
    std::vector<std::uint8_t> block(header + size);
    std::memcpy(block.data(), kExifHeader, header);
    std::memcpy(block.data() + header, data, size);
    ExifPtr exif(exif_data_new());
    if (!exif) {
        return nullptr;
    }
    exif_data_unset_option(exif.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(exif.get(), block.data(), unsigned(block.size()));
    return exif;
}

// Whether an entry's declared size is what its format and count make: only such a value is
// copied byte for byte.
bool wellFormed(const ExifEntry* e) {
    const unsigned unit = exif_format_get_size(e->format);
    return e->data && unit > 0 && e->components > 0 && e->size <= kLargestValue &&
           e->size == unit * e->components;
}

bool add(ExifData* out, ExifMem* mem, ExifIfd ifd, ExifTag tag, ExifFormat format,
         unsigned long components, const unsigned char* bytes, unsigned size) {
    ExifEntry* entry = exif_entry_new_mem(mem);
    if (!entry) {
        return false;
    }
    entry->data = static_cast<unsigned char*>(exif_mem_alloc(mem, size));
    if (!entry->data) {
        exif_entry_unref(entry);
        return false;
    }
    std::memcpy(entry->data, bytes, size);
    entry->size = size;
    entry->tag = tag;
    entry->format = format;
    entry->components = components;
    exif_content_add_entry(out->ifd[ifd], entry);
    exif_entry_unref(entry);
    return true;
}

std::string textOf(ExifData* d, ExifIfd ifd, ExifTag tag) {
    ExifEntry* e = exif_content_get_entry(d->ifd[ifd], tag);
    if (!e || e->format != EXIF_FORMAT_ASCII || !e->data) {
        return {};
    }
    const char* text = reinterpret_cast<const char*>(e->data);
    return std::string(text, strnlen(text, e->size));
}

std::vector<double> rationalsOf(ExifData* d, ExifTag tag) {
    ExifEntry* e = exif_content_get_entry(d->ifd[EXIF_IFD_EXIF], tag);
    std::vector<double> out;
    if (!e || e->format != EXIF_FORMAT_RATIONAL || !e->data || e->components > e->size / 8) {
        return out;
    }
    for (unsigned long i = 0; i < e->components; ++i) {
        const ExifRational r = exif_get_rational(e->data + 8 * i, exif_data_get_byte_order(d));
        out.push_back(r.denominator ? double(r.numerator) / r.denominator : 0.0);
    }
    return out;
}

// The block of the entries added to `out`, with orientation 1: a result is written upright.
std::vector<std::uint8_t> uprightBlock(ExifData* out, ExifMem* mem) {
    std::vector<std::uint8_t> kept;
    unsigned char upright[2];
    exif_set_short(upright, exif_data_get_byte_order(out), 1);
    if (add(out, mem, EXIF_IFD_0, EXIF_TAG_ORIENTATION, EXIF_FORMAT_SHORT, 1, upright, 2)) {
        unsigned char* saved = nullptr;
        unsigned int length = 0;
        exif_data_save_data(out, &saved, &length);
        if (saved && length > 6 && std::memcmp(saved, kExifHeader, 6) == 0) {
            kept.assign(saved + 6, saved + length);
        }
        std::free(saved);
    }
    return kept;
}

// A value of the kept facts as an entry: a text ends with its zero, a rational is the nearest
// one with a denominator of a power of ten up to a million. Absent values (empty, 0) add none.
bool addText(ExifData* out, ExifMem* mem, ExifIfd ifd, ExifTag tag, const std::string& text) {
    if (text.empty() || text.size() + 1 > kLargestValue) {
        return false;
    }
    return add(out, mem, ifd, tag, EXIF_FORMAT_ASCII, text.size() + 1,
               reinterpret_cast<const unsigned char*>(text.c_str()), unsigned(text.size() + 1));
}

// The fewest decimals that hold `v` as the file gave it (to a float's digits), within what an
// unsigned rational holds.
std::optional<ExifRational> nearestRational(double v) {
    if (!(v >= 0 && v <= 4294967295.0)) {
        return std::nullopt;
    }
    ExifLong d = 1;
    while (d < 1000000 && v * d * 10 <= 4294967295.0 &&
           std::fabs(v * d - std::round(v * d)) > 1e-6 * v * d) {
        d *= 10;
    }
    return ExifRational{ExifLong(std::llround(v * d)), d};
}

bool addRationals(ExifData* out, ExifMem* mem, ExifTag tag, const std::vector<double>& values) {
    std::vector<unsigned char> bytes(8 * values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::optional<ExifRational> r = nearestRational(values[i]);
        if (!r) {
            return false;
        }
        exif_set_rational(bytes.data() + 8 * i, exif_data_get_byte_order(out), *r);
    }
    return !values.empty() && add(out, mem, EXIF_IFD_EXIF, tag, EXIF_FORMAT_RATIONAL, values.size(),
                                  bytes.data(), unsigned(bytes.size()));
}

}  // namespace

std::vector<std::uint8_t> exifForResults(const std::uint8_t* data, std::size_t size) {
    const ExifPtr in = load(data, size);
    ExifPtr out(exif_data_new());
    ExifMem* mem = exif_mem_new_default();
    if (!in || !out || !mem) {
        exif_mem_unref(mem);
        return {};
    }
    exif_data_unset_option(out.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    const ExifByteOrder order = exif_data_get_byte_order(in.get());
    exif_data_set_byte_order(out.get(), order);
    bool any = false;
    for (const KeptTag& k : kKept) {
        const ExifEntry* e = exif_content_get_entry(in->ifd[k.ifd], k.tag);
        if (e && wellFormed(e)) {
            any = add(out.get(), mem, k.ifd, k.tag, e->format, e->components, e->data, e->size) ||
                  any;
        }
    }
    std::vector<std::uint8_t> kept =
        any ? uprightBlock(out.get(), mem) : std::vector<std::uint8_t>{};
    exif_mem_unref(mem);
    return kept;
}

ResultExifTags resultExifTags(const std::vector<std::uint8_t>& kept) {
    ResultExifTags t;
    const ExifPtr exif = load(kept.data(), kept.size());
    if (!exif) {
        return t;
    }
    ExifData* d = exif.get();
    t.make = textOf(d, EXIF_IFD_0, EXIF_TAG_MAKE);
    t.model = textOf(d, EXIF_IFD_0, EXIF_TAG_MODEL);
    t.dateTime = textOf(d, EXIF_IFD_0, EXIF_TAG_DATE_TIME);
    t.dateTimeOriginal = textOf(d, EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL);
    t.dateTimeDigitized = textOf(d, EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_DIGITIZED);
    t.lensMake = textOf(d, EXIF_IFD_EXIF, EXIF_TAG_LENS_MAKE);
    t.lensModel = textOf(d, EXIF_IFD_EXIF, EXIF_TAG_LENS_MODEL);
    t.lensSerialNumber = textOf(d, EXIF_IFD_EXIF, EXIF_TAG_LENS_SERIAL_NUMBER);
    const auto first = [](const std::vector<double>& v) { return v.empty() ? 0.0 : v[0]; };
    t.focalLength = first(rationalsOf(d, EXIF_TAG_FOCAL_LENGTH));
    t.fNumber = first(rationalsOf(d, EXIF_TAG_FNUMBER));
    t.maxApertureValue = first(rationalsOf(d, EXIF_TAG_MAX_APERTURE_VALUE));
    t.lensSpecification = rationalsOf(d, EXIF_TAG_LENS_SPECIFICATION);
    if (t.lensSpecification.size() != 4) {
        t.lensSpecification.clear();
    }
    ExifEntry* e =
        exif_content_get_entry(d->ifd[EXIF_IFD_EXIF], EXIF_TAG_FOCAL_LENGTH_IN_35MM_FILM);
    if (e && e->format == EXIF_FORMAT_SHORT && e->data && e->size >= 2) {
        t.focalLength35mm = exif_get_short(e->data, exif_data_get_byte_order(d));
    }
    return t;
}

std::vector<std::uint8_t> exifBlockOf(const ResultExifTags& tags) {
    ExifPtr out(exif_data_new());
    ExifMem* mem = exif_mem_new_default();
    if (!out || !mem) {
        exif_mem_unref(mem);
        return {};
    }
    exif_data_unset_option(out.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_set_byte_order(out.get(), EXIF_BYTE_ORDER_INTEL);
    ExifData* d = out.get();
    bool any = false;
    for (const auto& [ifd, tag, text] :
         {std::tuple{EXIF_IFD_0, EXIF_TAG_MAKE, &tags.make},
          std::tuple{EXIF_IFD_0, EXIF_TAG_MODEL, &tags.model},
          std::tuple{EXIF_IFD_0, EXIF_TAG_DATE_TIME, &tags.dateTime},
          std::tuple{EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL, &tags.dateTimeOriginal},
          std::tuple{EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_DIGITIZED, &tags.dateTimeDigitized},
          std::tuple{EXIF_IFD_EXIF, EXIF_TAG_LENS_MAKE, &tags.lensMake},
          std::tuple{EXIF_IFD_EXIF, EXIF_TAG_LENS_MODEL, &tags.lensModel},
          std::tuple{EXIF_IFD_EXIF, EXIF_TAG_LENS_SERIAL_NUMBER, &tags.lensSerialNumber}}) {
        any = addText(d, mem, ifd, tag, *text) || any;
    }
    for (const auto& [tag, value] : {std::pair{EXIF_TAG_FNUMBER, tags.fNumber},
                                     std::pair{EXIF_TAG_MAX_APERTURE_VALUE, tags.maxApertureValue},
                                     std::pair{EXIF_TAG_FOCAL_LENGTH, tags.focalLength}}) {
        any = (value > 0 && addRationals(d, mem, tag, {value})) || any;
    }
    if (tags.focalLength35mm > 0 && tags.focalLength35mm <= 0xFFFF) {
        unsigned char bytes[2];
        exif_set_short(bytes, EXIF_BYTE_ORDER_INTEL, ExifShort(tags.focalLength35mm));
        any = add(d, mem, EXIF_IFD_EXIF, EXIF_TAG_FOCAL_LENGTH_IN_35MM_FILM, EXIF_FORMAT_SHORT, 1,
                  bytes, 2) ||
              any;
    }
    if (tags.lensSpecification.size() == 4) {
        any = addRationals(d, mem, EXIF_TAG_LENS_SPECIFICATION, tags.lensSpecification) || any;
    }
    std::vector<std::uint8_t> kept = any ? uprightBlock(d, mem) : std::vector<std::uint8_t>{};
    exif_mem_unref(mem);
    return kept;
}

}  // namespace vesta
