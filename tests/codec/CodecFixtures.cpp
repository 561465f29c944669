#include "CodecFixtures.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vesta::test {

namespace {

void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + i] = std::uint8_t(v >> (24 - 8 * i));
    }
}

// Little or big-endian appends for the EXIF structure.
struct Bytes {
    bool big;
    std::vector<std::uint8_t> data;
    void put(std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) {
            data.push_back(std::uint8_t(v >> 8 * (big ? n - 1 - i : i)));
        }
    }
    void u16(std::uint32_t v) { put(v, 2); }
    void u32(std::uint32_t v) { put(v, 4); }
};

struct Entry {
    std::uint16_t tag, type;
    std::uint32_t count;
    std::vector<std::uint32_t> values;  // SHORT or LONG inline; RATIONAL pairs
    std::string text;                   // ASCII
};

}  // namespace

std::vector<std::uint8_t> smallIccProfile(bool grey) {
    const std::string text = "vesta test profile";
    // libpng drops very short profiles on reading; real ones are longer than this.
    std::vector<std::uint8_t> p(512, 0);
    put32(p, 0, std::uint32_t(p.size()));
    put32(p, 8, 0x02100000);                         // version 2.1
    std::memcpy(&p[12], "mntr", 4);                  // display class
    std::memcpy(&p[16], grey ? "GRAY" : "RGB ", 4);  // colour space
    std::memcpy(&p[20], "XYZ ", 4);                  // connection space
    std::memcpy(&p[36], "acsp", 4);
    put32(p, 68, 0x0000F6D6);  // D50 illuminant
    put32(p, 72, 0x00010000);
    put32(p, 76, 0x0000D32D);
    put32(p, 128, 1);  // one tag
    std::memcpy(&p[132], "cprt", 4);
    put32(p, 136, 144);
    put32(p, 140, std::uint32_t(12 + text.size() + 1));
    std::memcpy(&p[144], "text", 4);
    std::memcpy(&p[152], text.data(), text.size());
    return p;
}

std::vector<std::uint8_t> exifBlock(const ExifFields& f) {
    std::vector<Entry> ifd0;
    std::vector<Entry> exif;
    // Each directory's tags in ascending order, as the format asks.
    const auto text = [](std::vector<Entry>& ifd, std::uint16_t tag, const std::string& value) {
        if (!value.empty()) {
            ifd.push_back({tag, 2, std::uint32_t(value.size() + 1), {}, value});
        }
    };
    text(ifd0, 0x010F, f.make);
    text(ifd0, 0x0110, f.model);
    ifd0.push_back({0x0112, 3, 1, {std::uint32_t(f.orientation)}, {}});
    text(exif, 0x9003, f.dateTimeOriginal);
    if (f.focalLengthMm > 0) {
        exif.push_back(
            {0x920A, 5, 1, {std::uint32_t(std::lround(f.focalLengthMm * 100)), 100}, {}});
    }
    if (f.focalLength35mm > 0) {
        exif.push_back({0xA405, 3, 1, {std::uint32_t(f.focalLength35mm)}, {}});
    }
    if (f.pixelXDimension > 0) {
        exif.push_back({0xA002, 4, 1, {std::uint32_t(f.pixelXDimension)}, {}});
    }
    std::sort(exif.begin(), exif.end(),
              [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
    text(exif, 0xA434, f.lensModel);
    if (!exif.empty()) {
        ifd0.push_back({0x8769, 4, 1, {0}, {}});  // offset patched below
    }

    Bytes b{f.bigEndian, {}};
    b.data =
        f.bigEndian ? std::vector<std::uint8_t>{'M', 'M'} : std::vector<std::uint8_t>{'I', 'I'};
    b.u16(42);
    b.u32(8);
    // Each directory: count, entries, next offset, then the values that do not fit inline.
    auto writeIfd = [&](const std::vector<Entry>& entries) {
        const std::size_t extra = b.data.size() + 2 + 12 * entries.size() + 4;
        Bytes t{f.bigEndian, {}};
        b.u16(std::uint32_t(entries.size()));
        std::size_t pointerField = 0;
        for (const Entry& e : entries) {
            b.u16(e.tag);
            b.u16(e.type);
            b.u32(e.count);
            if (e.tag == 0x8769) {
                pointerField = b.data.size();
            }
            if (e.type == 2) {
                // The text and its terminating zero: inline up to four bytes, else after.
                std::vector<std::uint8_t> bytes(e.text.begin(), e.text.end());
                bytes.resize(std::max<std::size_t>(bytes.size() + 1, 4), 0);
                if (bytes.size() == 4) {
                    b.data.insert(b.data.end(), bytes.begin(), bytes.end());
                } else {
                    b.u32(std::uint32_t(extra + t.data.size()));
                    bytes.resize(bytes.size() + bytes.size() % 2, 0);
                    t.data.insert(t.data.end(), bytes.begin(), bytes.end());
                }
            } else if (e.type == 3) {
                b.u16(e.values[0]);
                b.u16(0);
            } else if (e.type == 4) {
                b.u32(e.values[0]);
            } else {
                b.u32(std::uint32_t(extra + t.data.size()));
                for (std::uint32_t v : e.values) {
                    t.u32(v);
                }
            }
        }
        b.u32(0);
        b.data.insert(b.data.end(), t.data.begin(), t.data.end());
        return pointerField;
    };
    const std::size_t pointerField = writeIfd(ifd0);
    if (!exif.empty()) {
        const std::uint32_t at = std::uint32_t(b.data.size());
        Bytes p{f.bigEndian, {}};
        p.u32(at);
        std::copy(p.data.begin(), p.data.end(), b.data.begin() + long(pointerField));
        writeIfd(exif);
    }
    return b.data;
}

std::vector<std::uint8_t> withExifSegment(const std::vector<std::uint8_t>& jpeg,
                                          const std::vector<std::uint8_t>& block) {
    const std::size_t length = 2 + 6 + block.size();
    const std::uint8_t head[10] = {
        0xFF, 0xE1, std::uint8_t(length >> 8), std::uint8_t(length), 'E', 'x', 'i', 'f', 0, 0};
    std::vector<std::uint8_t> out(jpeg.size() + sizeof head + block.size());
    std::memcpy(out.data(), jpeg.data(), 2);
    std::memcpy(out.data() + 2, head, sizeof head);
    std::memcpy(out.data() + 2 + sizeof head, block.data(), block.size());
    std::memcpy(out.data() + 2 + sizeof head + block.size(), jpeg.data() + 2, jpeg.size() - 2);
    return out;
}

std::vector<std::uint8_t> withExifChunk(std::vector<std::uint8_t> png,
                                        const std::vector<std::uint8_t>& block) {
    std::vector<std::uint8_t> chunk(8 + block.size() + 4);
    put32(chunk, 0, std::uint32_t(block.size()));
    std::memcpy(&chunk[4], "eXIf", 4);
    std::copy(block.begin(), block.end(), chunk.begin() + 8);
    put32(chunk, 8 + block.size(), std::uint32_t(::crc32(0, &chunk[4], uInt(4 + block.size()))));
    png.insert(png.begin() + 33, chunk.begin(), chunk.end());
    return png;
}

}  // namespace vesta::test
