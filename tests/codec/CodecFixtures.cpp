#include "CodecFixtures.h"

#include <libexif/exif-data.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace vesta::test {

std::vector<std::uint8_t> smallIccProfile(bool grey) {
    const std::string text = "vesta test profile";
    // libpng drops very short profiles on reading; real ones are longer than this.
    std::vector<std::uint8_t> p(512, 0);
    putNumber(p, 0, std::uint32_t(p.size()));
    putNumber(p, 8, 0x02100000);                     // version 2.1
    std::memcpy(&p[12], "mntr", 4);                  // display class
    std::memcpy(&p[16], grey ? "GRAY" : "RGB ", 4);  // colour space
    std::memcpy(&p[20], "XYZ ", 4);                  // connection space
    std::memcpy(&p[36], "acsp", 4);
    putNumber(p, 68, 0x0000F6D6);  // D50 illuminant
    putNumber(p, 72, 0x00010000);
    putNumber(p, 76, 0x0000D32D);
    putNumber(p, 128, 1);  // one tag
    std::memcpy(&p[132], "cprt", 4);
    putNumber(p, 136, 144);
    putNumber(p, 140, std::uint32_t(12 + text.size() + 1));
    std::memcpy(&p[144], "text", 4);
    std::memcpy(&p[152], text.data(), text.size());
    return p;
}

std::vector<std::uint8_t> exifBlock(const ExifFields& f) {
    ExifData* data = exif_data_new();
    exif_data_unset_option(data, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);  // no tags added
    const ExifByteOrder order = f.bigEndian ? EXIF_BYTE_ORDER_MOTOROLA : EXIF_BYTE_ORDER_INTEL;
    exif_data_set_byte_order(data, order);
    // An entry of `count` values, `fill` writing them in the block's byte order.
    const auto add = [&](ExifIfd ifd, ExifTag tag, ExifFormat format, std::size_t count,
                         const auto& fill) {
        ExifEntry* e = exif_entry_new();
        e->tag = tag;
        e->format = format;
        e->components = count;
        e->size = unsigned(exif_format_get_size(format) * count);
        e->data = static_cast<unsigned char*>(std::calloc(e->size, 1));
        fill(e->data);
        exif_content_add_entry(data->ifd[ifd], e);
        exif_entry_unref(e);
    };
    const auto text = [&](ExifIfd ifd, ExifTag tag, const std::string& value) {
        if (!value.empty()) {
            add(ifd, tag, EXIF_FORMAT_ASCII, value.size() + 1,
                [&](unsigned char* p) { std::memcpy(p, value.c_str(), value.size() + 1); });
        }
    };
    text(EXIF_IFD_0, EXIF_TAG_MAKE, f.make);
    text(EXIF_IFD_0, EXIF_TAG_MODEL, f.model);
    add(EXIF_IFD_0, EXIF_TAG_ORIENTATION, EXIF_FORMAT_SHORT, 1,
        [&](unsigned char* p) { exif_set_short(p, order, ExifShort(f.orientation)); });
    text(EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL, f.dateTimeOriginal);
    if (f.focalLengthMm > 0) {
        const ExifRational hundredths{ExifLong(std::lround(f.focalLengthMm * 100)), 100};
        add(EXIF_IFD_EXIF, EXIF_TAG_FOCAL_LENGTH, EXIF_FORMAT_RATIONAL, 1,
            [&](unsigned char* p) { exif_set_rational(p, order, hundredths); });
    }
    if (f.pixelXDimension > 0) {
        add(EXIF_IFD_EXIF, EXIF_TAG_PIXEL_X_DIMENSION, EXIF_FORMAT_LONG, 1,
            [&](unsigned char* p) { exif_set_long(p, order, ExifLong(f.pixelXDimension)); });
    }
    if (f.focalLength35mm > 0) {
        add(EXIF_IFD_EXIF, EXIF_TAG_FOCAL_LENGTH_IN_35MM_FILM, EXIF_FORMAT_SHORT, 1,
            [&](unsigned char* p) { exif_set_short(p, order, ExifShort(f.focalLength35mm)); });
    }
    text(EXIF_IFD_EXIF, EXIF_TAG_LENS_MODEL, f.lensModel);
    unsigned char* saved = nullptr;
    unsigned int size = 0;
    exif_data_save_data(data, &saved, &size);
    exif_data_unref(data);
    // Without the "Exif\0\0" that begins a JPEG's segment.
    std::vector<std::uint8_t> block(saved + 6, saved + size);
    std::free(saved);
    return block;
}

std::vector<std::uint8_t> withExifSegment(const std::vector<std::uint8_t>& jpeg,
                                          const std::vector<std::uint8_t>& block) {
    const std::size_t length = 2 + 6 + block.size();
    std::vector<std::uint8_t> out = {
        jpeg[0], jpeg[1], 0xFF, 0xE1, std::uint8_t(length >> 8), std::uint8_t(length), 'E', 'x',
        'i',     'f',     0,    0};
    out.insert(out.end(), block.begin(), block.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

std::vector<std::uint8_t> withExifChunk(std::vector<std::uint8_t> png,
                                        const std::vector<std::uint8_t>& block) {
    std::vector<std::uint8_t> chunk(8 + block.size() + 4);
    putNumber(chunk, 0, std::uint32_t(block.size()));
    std::memcpy(&chunk[4], "eXIf", 4);
    std::copy(block.begin(), block.end(), chunk.begin() + 8);
    putNumber(chunk, 8 + block.size(),
              std::uint32_t(::crc32(0, &chunk[4], uInt(4 + block.size()))));
    png.insert(png.begin() + 33, chunk.begin(), chunk.end());
    return png;
}

}  // namespace vesta::test
