// The batch tool on camera photographs: colour, their EXIF and profile kept, and the lens
// their EXIF declares taken from the lens database, whose calibrations are held against
// lensfun's own modifier.
#include <gtest/gtest.h>
#include <lensfun/lensfun.h>
#include <sys/resource.h>
#include <tiffio.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "../codec/CodecFixtures.h"
#include "BatchRuns.h"
#include "codec/CameraFile.h"
#include "codec/ColourFileWriter.h"
#include "codec/ResultExif.h"
#include "geometry/RadialLens.h"
#include "image/BitmapFile.h"
#include "lensdb/LensDatabase.h"

namespace vesta {
namespace {

namespace fs = std::filesystem;
using test::kSample;

// The batch tool's colour runs, in a fresh folder, their results read back as camera files.
class CliColour : public test::CodecTest {};

// The palette bitmap as red, green and blue; `width` columns of it (0: all).
ColourImage expanded(const IndexedImage& image, int width = 0) {
    ColourImage out;
    out.width = width > 0 ? width : image.width;
    out.height = image.height;
    out.samples8.reserve(out.rowSamples() * std::size_t(out.height));
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const Rgb c = image.colour(image.row(y)[x]);
            out.samples8.insert(out.samples8.end(), {c.r, c.g, c.b});
        }
    }
    return out;
}

// The rolled sample as a colour photograph.
ColourImage expandedSample() {
    return expanded(readSourceBitmap(kSample).value().image);
}

// By known measures, a colour photograph that is the palette sample expanded, rectified with
// the nearest pixel, is the palette result expanded: the same source pixel for every output
// pixel. Bilinear, the default, is another image.
TEST_F(CliColour, KnownMeasuresNearestOnTheExpandedPaletteGivesThePaletteResultExpanded) {
    const std::string photo = save("foto.png", expandedSample()).string();
    ASSERT_EQ(test::runOnArea(dir, kSample, "kpal.bmp", " --known 300,250").code, 0);
    ASSERT_EQ(test::runOnArea(dir, photo, "kcol.png", " --interp nearest --known 300,250").code, 0);
    const ColourImage known = read(dir / "kcol.png").image;
    Result<SourceBitmap> knownPalette = readSourceBitmap((dir / "kpal.bmp").string());
    ASSERT_TRUE(knownPalette.ok());
    ASSERT_GT(known.width, 100);
    EXPECT_TRUE(known.samples8 == expanded(knownPalette.value().image, known.width).samples8);
    ASSERT_EQ(test::runOnArea(dir, photo, "kbil.tif", " --known 300,250").code, 0);
    EXPECT_NE(read(dir / "kbil.tif").image.samples8, known.samples8);
}

// A camera's TIFF as libtiff writes it: the image directory's make, model, date and colour
// profile, and an EXIF directory with the dates, the focal lengths, the lens and the recorded
// size.
void writeCameraTiff(const fs::path& path, const ColourImage& photo,
                     const std::vector<std::uint8_t>& profile) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    ASSERT_EQ(TIFFCreateEXIFDirectory(tif), 0);
    TIFFSetField(tif, EXIFTAG_DATETIMEORIGINAL, "2026:05:04 10:11:12");
    TIFFSetField(tif, EXIFTAG_LENSMODEL, "24-70mm F2.8-4");
    TIFFSetField(tif, EXIFTAG_FOCALLENGTH, 24.0);
    TIFFSetField(tif, EXIFTAG_FNUMBER, 2.8);
    TIFFSetField(tif, EXIFTAG_FOCALLENGTHIN35MMFILM, std::uint16_t(36));
    TIFFSetField(tif, EXIFTAG_PIXELXDIMENSION, std::uint32_t(4000));
    const float rangeF[4] = {24, 70, 2.8f, 4};
    const double rangeD[4] = {24, 70, 2.8, 4};
    const bool floats = TIFFFieldSetGetSize(TIFFFieldWithTag(tif, EXIFTAG_LENSSPECIFICATION)) == 4;
    TIFFSetField(tif, EXIFTAG_LENSSPECIFICATION, floats ? (const void*)rangeF : rangeD);
    std::uint64_t exifOffset = 0;
    ASSERT_EQ(TIFFWriteCustomDirectory(tif, &exifOffset), 1);
    TIFFFreeDirectory(tif);
    TIFFCreateDirectory(tif);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, std::uint32_t(photo.width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, std::uint32_t(photo.height));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, std::uint16_t(3));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, std::uint16_t(8));
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_MAKE, "Fotocamere SpA");
    TIFFSetField(tif, TIFFTAG_MODEL, "F1");
    TIFFSetField(tif, TIFFTAG_DATETIME, "2026:05:05 08:00:00");
    TIFFSetField(tif, TIFFTAG_EXIFIFD, exifOffset);
    TIFFSetField(tif, TIFFTAG_ICCPROFILE, std::uint32_t(profile.size()), profile.data());
    std::vector<std::uint8_t> row(photo.rowSamples());
    for (int y = 0; y < photo.height; ++y) {
        std::copy_n(photo.samples8.begin() + std::ptrdiff_t(row.size()) * y, row.size(),
                    row.begin());
        ASSERT_EQ(TIFFWriteScanline(tif, row.data(), std::uint32_t(y), 0), 1);
    }
    TIFFClose(tif);
}

// A rectified TIFF photograph keeps who took it with what, when and through which lens, in
// every format that holds EXIF, as one from a JPEG does; nothing of its pixels' size. A bitmap
// holds neither EXIF nor a colour profile: the result is written without the profile and stderr
// says so; the other formats keep it without a word. The output's name chooses its format, as
// only a bitmap loses the profile shows.
TEST_F(CliColour, AResultFromACameraTiffKeepsItsCameraDateLensAndProfile) {
    const std::vector<std::uint8_t> profile = test::smallIccProfile(false);
    writeCameraTiff(dir / "foto.tif", expandedSample(), profile);
    for (const std::string name : {"r.bmp", "r.jpg", "r.png", "r.tif"}) {
        const test::Outcome r = test::runOnArea(dir, (dir / "foto.tif").string(), name);
        ASSERT_EQ(r.code, 0) << name;
        const CameraPhoto back = read(dir / name);
        if (name == "r.bmp") {
            EXPECT_EQ(r.err, profileNotice(ColourFileFormat::Bmp, profile.size()) + "\n");
            EXPECT_TRUE(back.image.iccProfile.empty());
            continue;
        }
        EXPECT_EQ(r.err, "") << name;
        EXPECT_EQ(back.image.iccProfile, profile) << name;
        const CameraFacts& f = back.facts;
        EXPECT_TRUE(f.make == "Fotocamere SpA" && f.model == "F1") << name;
        EXPECT_TRUE(f.focalLengthMm == 24.0 && f.focalLength35mm == 36 && !f.pixelXDimension)
            << name;
        const ResultExifTags tags = resultExifTags(back.image.exif);
        EXPECT_EQ(tags.dateTimeOriginal + " " + tags.dateTime,
                  "2026:05:04 10:11:12 2026:05:05 08:00:00")
            << name;
        EXPECT_TRUE(tags.lensModel == "24-70mm F2.8-4" && tags.fNumber == 2.8) << name;
    }
}

// A result far larger than its photograph (800 x 600 pixels opened out to 12803 x 8945) is
// computed and written a band at a time: the batch tool's peak memory stays a small part of the
// result's pixels. (Under AddressSanitizer its own bookkeeping swamps the figure.)
TEST_F(CliColour, ALargeResultIsWrittenWithoutHoldingItInMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's bookkeeping swamps a process's memory";
#endif
    // The largest child waited for is the batch tool, which the shell became.
    ASSERT_EQ(test::run(test::colourPhotograph(dir) + " " + (dir / "out.tif").string() +
                            test::kLines + test::kLargeArea,
                        dir)
                  .code,
              0);
    rusage usage{};
    ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &usage), 0);
    const ColourImage result = read(dir / "out.tif").image;
    const double resultBytes = double(result.width) * result.height * 3;
    ASSERT_GT(resultBytes, 100e6);
    EXPECT_LT(double(usage.ru_maxrss) * 1024, resultBytes / 4);
}

// The lens database's calibrations as vesta bends by them, and the batch tool's --lens exif on a
// JPEG whose EXIF names a camera and lens it holds: one calibration of each model (PtLens twice,
// Poly3, Poly5), two of them made on a sensor of another crop factor than the camera's, so that
// the conversion of the database's unit of length is exercised.
const LensQuery kShots[] = {
    {"Canon", "Canon EOS 550D", "Canon EF-S 18-55mm f/3.5-5.6 IS", 24.0},
    {"Canon", "Canon EOS 5D Mark II", "Canon EF 50mm f/1.8 MkII", 50.0},
    {"Canon", "Canon EOS 5D Mark II", "Canon EF 70-200mm f/4L USM", 100.0},
    {"Canon", "Canon PowerShot G12", "Canon PowerShot G12", 10.0},
};

// Where lensfun's own modifier takes the photograph's point for each point of the straightened
// picture, against RadialLens::distorted; and the way back. Landscape, portrait and an aspect
// other than the calibration's each scale the unit differently.
TEST(LensDatabase, TheBendIsLensfunsOwnOnEveryModelAndShape) {
    lfDatabase db;
    ASSERT_EQ(db.Load(), LF_NO_ERROR);
    for (const LensQuery& shot : kShots) {
        SCOPED_TRACE(shot.lens);
        const Result<LensProfile> found = lookUpLens(shot);
        ASSERT_TRUE(found.ok()) << found.error();
        const lfCamera** cameras = db.FindCameras(shot.make.c_str(), shot.model.c_str());
        const lfLens** lenses = db.FindLenses(cameras[0], nullptr, shot.lens.c_str());
        for (const auto& [w, h] :
             {std::pair{5184, 3456}, std::pair{3000, 4500}, std::pair{800, 600}}) {
            lfModifier modifier(lenses[0], cameras[0]->CropFactor, w, h);
            ASSERT_EQ(modifier.Initialize(lenses[0], LF_PF_U8, float(*shot.focalMm), 8, 10, 1,
                                          lenses[0]->Type, LF_MODIFY_DISTORTION, false),
                      LF_MODIFY_DISTORTION);
            const RadialLens lens = RadialLens::ofProfile(found.value(), w, h);
            for (const Point u : {Point{0, 0}, Point{w - 1.0, h - 1.0}, Point{w * 0.8, h * 0.1},
                                  Point{w * 0.5, h * 0.95}, Point{w * 0.3, h * 0.4}}) {
                float theirs[2];
                ASSERT_TRUE(modifier.ApplyGeometryDistortion(float(u.x), float(u.y), 1, 1, theirs));
                const std::optional<Point> ours = lens.distorted(u);
                ASSERT_TRUE(ours);
                // lensfun computes in single precision: a thousandth of a pixel of its own.
                const double tolerance = 2e-6 * std::max(w, h);
                EXPECT_NEAR(ours->x, theirs[0], tolerance) << w << " x " << h << " at " << u.x;
                EXPECT_NEAR(ours->y, theirs[1], tolerance) << w << " x " << h << " at " << u.y;
                const Point back = lens.undistorted(*ours);
                EXPECT_NEAR(back.x, u.x, 1e-7);
                EXPECT_NEAR(back.y, u.y, 1e-7);
            }
        }
    }
}

// A bend that stops growing within the photograph would fold two of its points onto one: it is
// not taken, and beyond the fold no straightened point has a source. (A bend that does not fold
// is taken, as --lens exif's runs show.)
TEST(LensDatabase, ABendThatFoldsInsideThePhotographIsRefused) {
    LensProfile p;
    p.model = LensModel::Poly3;
    p.terms = {-0.4, 0, 0};  // rd = ru (1.4 − 0.4 ru²): its slope vanishes at ru ≈ 1.08
    const RadialLens lens = RadialLens::ofProfile(p, 3000, 2000);
    EXPECT_FALSE(lens.bendsWholePhotograph(3000, 2000));
    EXPECT_FALSE(lens.distorted({lens.centre.x + 1.1 * lens.unit, lens.centre.y}));
}

// --lens exif takes the calibration of the lens the JPEG declares; its record replays it to the
// same bytes with the database out of the picture; a lens the database lacks is refused.
TEST(LensExifCli, TheDeclaredLensIsTakenKeptAndReplayed) {
    test::TempDir dir;
    const std::string photo = test::colourPhotograph(dir, "foto.jpg");
    const std::vector<std::uint8_t> plain = test::readBytes(photo);
    const auto declare = [&](const std::string& lens) {
        test::ExifFields exif;
        exif.make = "Canon";
        exif.model = "Canon EOS 550D";
        exif.lensModel = lens;
        exif.focalLengthMm = 24;
        test::writeBytes(photo, test::withExifSegment(plain, test::exifBlock(exif)));
    };
    declare(kShots[0].lens);
    const std::string out = (dir / "raddrizzata.tif").string();
    BatchRequest request = test::sampleRequest(photo, out, {"--lens", "exif"});
    const BatchResult done = runBatch(request, dir.path().string());
    ASSERT_TRUE(done.ok) << done.message;
    ASSERT_EQ(done.state.lensProfile, lookUpLens(kShots[0]).value());
    // The construction's lines are the clicks taken out of the database's bend.
    const Point u =
        RadialLens::ofProfile(*done.state.lensProfile, 800, 600).undistorted({234, 174});
    EXPECT_LT(std::hypot(done.state.line(1).first.x - u.x, done.state.line(1).first.y - u.y), 1e-3);

    // Kept, and replayed from the record alone, which holds the calibration itself.
    test::replayed(done, out, dir, "di-nuovo");

    declare("Obiettivo Immaginario 24mm f/1.0");
    request.output = (dir / "mai.tif").string();
    const BatchResult refused = runBatch(request, dir.path().string());
    EXPECT_NE(refused.message.find("non è nel database degli obiettivi"), std::string::npos)
        << refused.message;
    EXPECT_FALSE(std::filesystem::exists(request.output));
}

}  // namespace
}  // namespace vesta
