#include "CodecFixtures.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vesta::test {

namespace {

// Little or big-endian appends for the EXIF structure.
struct Bytes {
    bool big;
    std::vector<std::uint8_t> data;
    Bytes& put(std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) {
            data.push_back(std::uint8_t(v >> 8 * (big ? n - 1 - i : i)));
        }
        return *this;
    }
};

// A directory entry with its value already in the file's byte order.
struct Entry {
    std::uint16_t tag, type;
    std::uint32_t count;
    std::vector<std::uint8_t> value;
};

}  // namespace

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
    const auto bytes = [&] { return Bytes{f.bigEndian, {}}; };
    std::vector<Entry> ifd0, exif;
    // Each directory's tags in ascending order, as the format asks.
    const auto text = [](std::vector<Entry>& ifd, std::uint16_t tag, const std::string& value) {
        if (!value.empty()) {
            std::vector<std::uint8_t> v(value.begin(), value.end());
            v.push_back(0);
            ifd.push_back({tag, 2, std::uint32_t(v.size()), v});
        }
    };
    text(ifd0, 0x010F, f.make);
    text(ifd0, 0x0110, f.model);
    ifd0.push_back({0x0112, 3, 1, bytes().put(std::uint32_t(f.orientation), 2).data});
    text(exif, 0x9003, f.dateTimeOriginal);
    if (f.focalLengthMm > 0) {
        const auto hundredths = std::uint32_t(std::lround(f.focalLengthMm * 100));
        exif.push_back({0x920A, 5, 1, bytes().put(hundredths, 4).put(100, 4).data});
    }
    if (f.pixelXDimension > 0) {
        exif.push_back({0xA002, 4, 1, bytes().put(std::uint32_t(f.pixelXDimension), 4).data});
    }
    if (f.focalLength35mm > 0) {
        exif.push_back({0xA405, 3, 1, bytes().put(std::uint32_t(f.focalLength35mm), 2).data});
    }
    text(exif, 0xA434, f.lensModel);
    if (!exif.empty()) {
        ifd0.push_back({0x8769, 4, 1, {0, 0, 0, 0}});  // patched below
    }

    Bytes b = bytes();
    b.data = {std::uint8_t(f.bigEndian ? 'M' : 'I'), std::uint8_t(f.bigEndian ? 'M' : 'I')};
    b.put(42, 2).put(8, 4);
    // Each directory: count, entries, next offset, then the values longer than four bytes, each
    // at an even offset.
    const auto writeIfd = [&](const std::vector<Entry>& entries) {
        const std::size_t extra = b.data.size() + 2 + 12 * entries.size() + 4;
        std::vector<std::uint8_t> after;
        b.put(std::uint32_t(entries.size()), 2);
        for (const Entry& e : entries) {
            b.put(e.tag, 2).put(e.type, 2).put(e.count, 4);
            if (e.value.size() <= 4) {
                b.data.insert(b.data.end(), e.value.begin(), e.value.end());
                b.data.resize(b.data.size() + 4 - e.value.size(), 0);
            } else {
                b.put(std::uint32_t(extra + after.size()), 4);
                after.insert(after.end(), e.value.begin(), e.value.end());
                after.resize(after.size() + after.size() % 2, 0);
            }
        }
        b.put(0, 4);
        b.data.insert(b.data.end(), after.begin(), after.end());
    };
    writeIfd(ifd0);
    if (!exif.empty()) {
        // The pointer is ifd0's last entry, its value four bytes before the next offset.
        const std::vector<std::uint8_t> at = bytes().put(std::uint32_t(b.data.size()), 4).data;
        const std::size_t next = 8 + 2 + 12 * ifd0.size();
        std::copy(at.begin(), at.end(), b.data.begin() + long(next - 4));
        writeIfd(exif);
    }
    return b.data;
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
