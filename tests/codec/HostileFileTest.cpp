// Damaged and hostile camera files: each is refused at its first missing or damaged row with a
// message that names the damage, none crashes, and none takes memory its bytes have not earned.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tiffio.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <regex>
#include <tuple>

#include "CodecFixtures.h"
#include "codec/JpegFile.h"

namespace vesta {
namespace {

// Whether `message` holds one of the '|'-separated `words`.
bool says(const std::string& message, const std::string& words) {
    return std::regex_search(message, std::regex(words));
}

std::size_t find(const std::vector<std::uint8_t>& b, std::initializer_list<std::uint8_t> what,
                 bool last = false) {
    const auto at = last ? std::find_end(b.begin(), b.end(), what.begin(), what.end())
                         : std::search(b.begin(), b.end(), what.begin(), what.end());
    return at == b.end() ? std::string::npos : std::size_t(at - b.begin());
}

// A progressive JPEG of `image` (8-bit colour), as cameras and web tools write them.
std::vector<std::uint8_t> progressiveJpeg(const ColourImage& image) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = JDIMENSION(image.width);
    cinfo.image_height = JDIMENSION(image.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    for (int y = 0; y < image.height; ++y) {
        auto* row = const_cast<JSAMPLE*>(image.samples8.data() + image.rowSamples() * y);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<std::uint8_t> bytes(out, out + size);
    std::free(out);
    return bytes;
}

// The JPEG with its frame header (baseline or progressive) declaring another size.
std::vector<std::uint8_t> jpegDeclaring(std::vector<std::uint8_t> jpeg, int width, int height) {
    const std::size_t frame = std::min(find(jpeg, {0xFF, 0xC0}), find(jpeg, {0xFF, 0xC2}));
    test::putNumber(jpeg, frame + 5, std::uint32_t(height), 2);
    test::putNumber(jpeg, frame + 7, std::uint32_t(width), 2);
    return jpeg;
}

// The PNG with its header chunk declaring another size, its checksum made right.
std::vector<std::uint8_t> pngDeclaring(std::vector<std::uint8_t> png, std::uint32_t width,
                                       std::uint32_t height) {
    test::putNumber(png, 16, width, 4);
    test::putNumber(png, 20, height, 4);
    test::putNumber(png, 29, std::uint32_t(crc32(0, png.data() + 12, 17)), 4);
    return png;
}

struct TiffShape {
    int width = 40, height = 30, samples = 3, bits = 8;
    bool planar = false;
    int rowsPerStrip = 1;
    int rowsWritten = 30;  // fewer leave the later strips empty, as a cut file does
    std::uint16_t photometric = PHOTOMETRIC_RGB;
};

// An uncompressed TIFF whose sample i of a plane holds (i * 7 + plane * 50) mod 256.
void writeTiff(const std::filesystem::path& path, const TiffShape& s) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, s.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, s.height);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, s.samples);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, s.bits);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, s.photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, s.planar ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, s.rowsPerStrip);
    if (s.photometric == PHOTOMETRIC_PALETTE) {
        std::vector<std::uint16_t> map(std::size_t(1) << s.bits);
        for (std::size_t i = 0; i < map.size(); ++i) {
            map[i] = std::uint16_t(i * 0x1111);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data(), map.data());
    }
    const int planes = s.planar ? s.samples : 1;
    const std::size_t rowBytes =
        (std::size_t(s.width) * (s.planar ? 1 : s.samples) * std::size_t(s.bits) + 7) / 8;
    std::vector<std::uint8_t> row(rowBytes);
    for (int plane = 0; plane < planes; ++plane) {
        for (int y = 0; y < s.rowsWritten; ++y) {
            for (std::size_t i = 0; i < rowBytes; ++i) {
                row[i] = std::uint8_t((std::size_t(y) * rowBytes + i) * 7 + plane * 50);
            }
            ASSERT_EQ(TIFFWriteScanline(tif, row.data(), std::uint32_t(y), std::uint16_t(plane)),
                      1);
        }
    }
    TIFFClose(tif);
}

using HostileFileTest = test::CodecTest;

// libjpeg fills missing or corrupt data with grey and only warns: a cut file with an end marker
// added, or one with a stretch of zeros, came out as a photograph; a progressive file cut between
// two scans decodes, blurred, with no warning at all. libtiff only warns of a strip offset
// missing, then reads that strip from the file's start.
TEST_F(HostileFileTest, DamagedFilesAreRefusedWithTheDamageNamedAndAMissingEndMarkerIsNone) {
    const auto jpeg = saved("a.jpg", test::patternImage(320, 240, 3, 8));
    auto cut = std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + long(jpeg.size() / 2));
    cut.insert(cut.end(), {0xFF, 0xD9});
    auto zeroed = jpeg;
    std::fill_n(zeroed.begin() + long(jpeg.size() / 2), 2000, 0);
    const auto progressive = progressiveJpeg(test::patternImage(64, 48, 3, 8));
    const std::size_t lastScan = find(progressive, {0xFF, 0xDA}, true);

    writeTiff(dir / "planar.tif", {.planar = true, .rowsPerStrip = 30});
    auto planar = test::readBytes(dir / "planar.tif");
    // The strip offsets' entry, three little-endian LONGs held apart (the file is small), made
    // one offset for three planes, given inline.
    const std::size_t offsets = find(planar, {0x11, 0x01, 4, 0, 3, 0, 0, 0});
    ASSERT_NE(offsets, std::string::npos);
    planar[offsets + 4] = 1;
    const std::size_t array = planar[offsets + 8] | planar[offsets + 9] << 8;
    std::copy_n(planar.begin() + long(array), 4, planar.begin() + long(offsets + 8));
    writeTiff(dir / "cut.tif", {.rowsWritten = 12});  // strips that are not there

    // Out of range, empty or of no known kind: refused from the header. (Huge sizes are
    // below, where the memory they take is measured.)
    const auto png = saved("b.png", test::patternImage(61, 47, 3, 16));
    auto bmp = saved("d.bmp", test::patternImage(61, 47, 3, 8));
    test::putNumber(bmp, 18, 40000, 4, true);
    test::putNumber(bmp, 22, 40000, 4, true);

    const std::string jpegData = "Il file JPEG è danneggiato: mancano dati|incompleto";
    std::vector<std::tuple<std::string, std::vector<std::uint8_t>, std::string>> cases = {
        {"cut.jpg", cut, jpegData},
        {"zeroed.jpg", zeroed, jpegData},
        {"scans.jpg", {progressive.begin(), progressive.begin() + long(lastScan)}, "incompleto"},
        {"short.tif", planar, "Il file TIFF è danneggiato"},
        {"cut.tif", test::readBytes(dir / "cut.tif"), "Il file TIFF è danneggiato"},
        {"flat.jpg", jpegDeclaring(jpeg, 100, 0), "troppo grande|danneggiato"},
        {"wide.png", pngDeclaring(png, 70000, 10), "troppo grande|danneggiato"},
        {"wide.bmp", bmp, "troppo grande"},
        {"a.gif", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, "riconosciuta"},
        {"deep.bmp", test::bitmapBytes({.paletteEntries = 0, .bitCount = 16}), "16 bit"}};
    // Cut files of every kind.
    for (const auto& file : {jpeg, png, saved("e.tif", test::patternImage(61, 47, 3, 16)),
                             saved("f.bmp", test::patternImage(61, 47, 3, 8))}) {
        for (std::size_t cut : {std::size_t(3), std::size_t(20), file.size() / 4, file.size() / 2,
                                file.size() * 7 / 8}) {
            if (file[0] != 'B' || cut >= 30) {  // shorter, the palette road refuses a bitmap
                cases.push_back({"cut",
                                 {file.begin(), file.begin() + long(cut)},
                                 "incomplet|danneggiat|riconosciuta"});
            }
        }
    }
    for (const auto& [name, bytes, why] : cases) {
        const auto read = readCameraFile(put(name, bytes).string());
        EXPECT_TRUE(!read.ok() && says(read.error(), why))
            << name << " (" << bytes.size() << "): " << read.error();
        // Nothing of a damaged photograph is ever on show, not even its first view.
        if (sniffCameraFormat(bytes.data(), bytes.size()) == CameraFormat::Jpeg) {
            EXPECT_FALSE(decodeJpegFirstView(bytes.data(), bytes.size(), 8, 8).ok()) << name;
        }
    }
    // A progressive file would hold all its coefficients twice: even a sound one gets no first
    // view.
    EXPECT_FALSE(decodeJpegFirstView(progressive.data(), progressive.size(), 8, 6).ok());
    // A file that lacks only its two-byte end marker holds every pixel: other readers decode it
    // as the whole file, and so must we.
    for (const auto& whole : {jpeg, progressive}) {
        ASSERT_EQ(find(whole, {0xFF, 0xD9}, true), whole.size() - 2);
        EXPECT_EQ(read(put("endless.jpg", {whole.begin(), whole.end() - 2})).image.samples8,
                  read(put("whole.jpg", whole)).image.samples8);
    }
}

// Packed grey is widened to one byte a pixel; the kinds libtiff turns into RGBA go through it a
// band at a time. Both give the pixels libtiff's whole-image RGBA reading gives.
TEST_F(HostileFileTest, PackedAndPaletteTiffsGiveLibtiffsOwnPixels) {
    for (const auto& [bits, strip, photometric] :
         {std::tuple{1, 4, PHOTOMETRIC_MINISBLACK}, std::tuple{1, 30, PHOTOMETRIC_MINISWHITE},
          std::tuple{4, 7, PHOTOMETRIC_MINISBLACK}, std::tuple{4, 7, PHOTOMETRIC_PALETTE}}) {
        const TiffShape shape{.width = 37,
                              .samples = 1,
                              .bits = bits,
                              .rowsPerStrip = strip,
                              .photometric = std::uint16_t(photometric)};
        const auto path = dir / "packed.tif";
        writeTiff(path, shape);
        TIFF* tif = TIFFOpen(path.c_str(), "r");
        std::vector<std::uint32_t> rgba(std::size_t(shape.width) * shape.height);
        ASSERT_TRUE(TIFFReadRGBAImageOriented(tif, std::uint32_t(shape.width),
                                              std::uint32_t(shape.height), rgba.data(),
                                              ORIENTATION_TOPLEFT, 1));
        TIFFClose(tif);
        std::vector<std::uint8_t> want;  // grey, or the palette's colours
        for (const std::uint32_t p : rgba) {
            want.push_back(std::uint8_t(TIFFGetR(p)));
            if (photometric == PHOTOMETRIC_PALETTE) {
                want.insert(want.end(), {std::uint8_t(TIFFGetG(p)), std::uint8_t(TIFFGetB(p))});
            }
        }
        EXPECT_EQ(read(path).image.samples8, want) << bits << " bits, " << photometric;
    }
}

// Only regular files are read: a pipe with no writer would be waited on for
// ever.
TEST_F(HostileFileTest, OnlyRegularFilesAreRead) {
    const auto pipe = dir / "pipe.jpg";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const auto& path : {dir.path(), pipe}) {
        const auto read = readCameraFile(path.string());
        EXPECT_TRUE(!read.ok() && says(read.error(), "ordinario")) << path;
    }
}

#ifndef __SANITIZE_ADDRESS__
// Runs `work` in a child process whose address space is limited to `limit` bytes: the lines it
// gave, then how far the child's peak resident memory rose above its start, in MiB. An
// exception there is a line of its own; a crash leaves one line that says so.
std::vector<std::string> inChild(std::uint64_t limit, const std::function<std::string()>& work) {
    FILE* channel = std::tmpfile();
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit space{limit, limit};
        ::setrlimit(RLIMIT_AS, &space);
        std::ifstream statm("/proc/self/statm");
        long pages = 0, resident = 0;
        statm >> pages >> resident;
        std::string report;
        try {
            report = work();
        } catch (const std::exception& e) {
            report = std::string("eccezione ") + e.what() + "\n";
        }
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        report += std::to_string((usage.ru_maxrss - resident * (::getpagesize() / 1024)) / 1024);
        (void)!::write(::fileno(channel), report.data(), report.size());
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    std::vector<std::string> lines(1, "il processo figlio è caduto");
    if (WIFEXITED(status)) {
        lines.clear();
        std::rewind(channel);
        for (char line[4096]; std::fgets(line, sizeof line, channel);) {
            lines.emplace_back(line, std::strcspn(line, "\n"));
        }
    }
    std::fclose(channel);
    return lines;
}

// Small files that declare huge photographs, read where the process may hold 1 GiB: each is
// refused with its Italian reason, never an exception, and the reader's memory never rises far
// above what the file's bytes hold. Before, each took its declared size first (a 259-byte PNG
// 2.8 GB), progressive coefficients were not counted at all, and a 1-bit TIFF went through
// four bytes a pixel. A JPEG result is encoded as its rows come: its Huffman tables made for the
// image held every coefficient first, 6 bytes a pixel (384 MB here).
TEST_F(HostileFileTest, HugePhotographsReadAndALargeJpegWrittenTakeLittleMemory) {
    const std::uint64_t kGiB = std::uint64_t(1) << 30;
    const auto png = saved("p.png", test::patternImage(16, 16, 3, 8));
    const auto jpeg = saved("j.jpg", test::patternImage(640, 480, 3, 8));
    const auto progressive = progressiveJpeg(test::patternImage(640, 480, 3, 8));
    const std::string big = "troppo grande per la memoria";
    const std::tuple<std::string, std::vector<std::uint8_t>, std::string> cases[] = {
        {"huge.png", pngDeclaring(png, 31000, 31000), big},
        {"large.png", pngDeclaring(png, 12000, 12000), "PNG"},
        {"huge.jpg", jpegDeclaring(jpeg, 65000, 16000), big},
        {"large.jpg", jpegDeclaring(jpeg, 12000, 12000), "Il file JPEG è"},
        {"huge-prog.jpg", jpegDeclaring(progressive, 32000, 32000), big},
        {"coefficients.jpg", jpegDeclaring(progressive, 11000, 11000), big},
        {"large.tif", {}, "Il file TIFF è danneggiato"},
        {"huge.tif", {}, big},
        {"bits.tif", {}, "letto"}};
    writeTiff(dir / "large.tif", {.width = 12000, .height = 12000, .rowsWritten = 40});
    writeTiff(dir / "huge.tif", {.width = 32000, .height = 32000, .rowsWritten = 1});
    // A sound 1-bit photograph of 36 megapixels: one byte a pixel, not the four of RGBA.
    writeTiff(dir / "bits.tif", {.width = 6000,
                                 .height = 6000,
                                 .samples = 1,
                                 .bits = 1,
                                 .rowsPerStrip = 64,
                                 .rowsWritten = 6000,
                                 .photometric = PHOTOMETRIC_MINISBLACK});
    for (const auto& [name, bytes, why] : cases) {
        if (!bytes.empty()) {
            test::writeBytes(dir / name, bytes);
        }
    }
    const auto lines = inChild(kGiB, [&] {
        std::string report;
        for (const auto& [name, bytes, why] : cases) {
            const auto read = readCameraFile((dir / name).string());
            report += (read.ok() ? "letto" : read.error()) + "\n";
        }
        const int fd = ::open((dir / "result.jpg").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        const RowShape shape{8000, 8000, 3, 8};
        const auto writer = makeColourWriter(ColourFileFormat::Jpeg, fd, shape, {});
        std::vector<std::uint8_t> row(std::size_t(shape.width) * 3, 90);
        bool good = writer->error().empty();
        for (int y = 0; good && y < shape.height; ++y) {
            good = writer->writeRow(row.data());
        }
        good = good && writer->finish();
        ::close(fd);
        return report + (good ? std::string("scritto") : writer->error()) + "\n";
    });
    ASSERT_EQ(lines.size(), std::size(cases) + 2) << lines[0];
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_TRUE(says(lines[i], std::get<2>(cases[i])))
            << std::get<0>(cases[i]) << ": " << lines[i];
    }
    EXPECT_EQ(lines[std::size(cases)], "scritto");
    EXPECT_LT(std::stol(lines.back()), 100) << "MiB above the start";
}
#endif

}  // namespace
}  // namespace vesta
