// The lens database's calibrations as vesta bends by them, held against lensfun's own modifier,
// and the batch tool's --lens exif on a JPEG whose EXIF names a camera and lens it holds.
#include <gtest/gtest.h>
#include <lensfun/lensfun.h>

#include <cmath>
#include <string>
#include <vector>

#include "../codec/CodecFixtures.h"
#include "BatchRuns.h"
#include "geometry/RadialLens.h"
#include "lensdb/LensDatabase.h"

namespace vesta {
namespace {

struct Shot {
    LensQuery query;
    LensModel model;
};

// One calibration of each model, two of them made on a sensor of another crop factor than the
// camera's, so that the conversion of the database's unit of length is exercised.
const Shot kShots[] = {
    {{"Canon", "Canon EOS 550D", "Canon EF-S 18-55mm f/3.5-5.6 IS", 24.0}, LensModel::PtLens},
    {{"Canon", "Canon EOS 5D Mark II", "Canon EF 50mm f/1.8 MkII", 50.0}, LensModel::PtLens},
    {{"Canon", "Canon EOS 5D Mark II", "Canon EF 70-200mm f/4L USM", 100.0}, LensModel::Poly3},
    {{"Canon", "Canon PowerShot G12", "Canon PowerShot G12", 10.0}, LensModel::Poly5},
};

// Where lensfun's own modifier takes the photograph's point for each point of the straightened
// picture, against RadialLens::distorted; and the way back. Landscape, portrait and an aspect
// other than the calibration's each scale the unit differently.
TEST(LensDatabase, TheBendIsLensfunsOwnOnEveryModelAndShape) {
    lfDatabase db;
    ASSERT_EQ(db.Load(), LF_NO_ERROR);
    for (const Shot& shot : kShots) {
        SCOPED_TRACE(shot.query.lens);
        const Result<LensProfile> found = lookUpLens(shot.query);
        ASSERT_TRUE(found.ok()) << found.error();
        EXPECT_EQ(found.value().model, shot.model);
        const lfCamera** cameras =
            db.FindCameras(shot.query.make.c_str(), shot.query.model.c_str());
        const lfLens** lenses = db.FindLenses(cameras[0], nullptr, shot.query.lens.c_str());
        for (const auto& [w, h] :
             {std::pair{5184, 3456}, std::pair{3000, 4500}, std::pair{800, 600}}) {
            lfModifier modifier(lenses[0], cameras[0]->CropFactor, w, h);
            ASSERT_EQ(modifier.Initialize(lenses[0], LF_PF_U8, float(*shot.query.focalMm), 8, 10, 1,
                                          lenses[0]->Type, LF_MODIFY_DISTORTION, false),
                      LF_MODIFY_DISTORTION);
            const RadialLens lens = RadialLens::ofProfile(found.value(), w, h);
            EXPECT_TRUE(lens.bendsWholePhotograph(w, h));
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
// not taken, and beyond the fold no straightened point has a source.
TEST(LensDatabase, ABendThatFoldsInsideThePhotographIsRefused) {
    LensProfile p;
    p.model = LensModel::Poly3;
    p.terms = {-0.4, 0, 0};  // rd = ru (1.4 − 0.4 ru²): its slope vanishes at ru ≈ 1.08
    RadialLens lens = RadialLens::ofProfile(p, 3000, 2000);
    EXPECT_NEAR(lens.foldRadius, std::sqrt(1.4 / 1.2), 1e-9);
    EXPECT_FALSE(lens.bendsWholePhotograph(3000, 2000));
    EXPECT_FALSE(lens.distorted({lens.centre.x + 1.1 * lens.unit, lens.centre.y}));
    p.terms = {-0.02, 0, 0};
    lens = RadialLens::ofProfile(p, 3000, 2000);
    EXPECT_TRUE(lens.bendsWholePhotograph(3000, 2000));
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
    declare(kShots[0].query.lens);
    const std::string out = (dir / "raddrizzata.tif").string();
    BatchRequest request = test::sampleRequest(photo, out, {"--lens", "exif"});
    const BatchResult done = runBatch(request, dir.path().string());
    ASSERT_TRUE(done.ok) << done.message;
    const LensProfile expected = lookUpLens(kShots[0].query).value();
    ASSERT_EQ(done.state.lensProfile, expected);
    // The construction's lines are the clicks taken out of the database's bend, which moves them.
    const Point u = RadialLens::ofProfile(expected, 800, 600).undistorted({234, 174});
    EXPECT_GT(std::hypot(u.x - 234, u.y - 174), 1);
    EXPECT_NEAR(done.state.line(1).first.x, u.x, 1e-3);
    EXPECT_NEAR(done.state.line(1).first.y, u.y, 1e-3);
    const std::string printed = describe(done.state, true);
    EXPECT_NE(printed.find("\"lens_model\": \"ptlens\""), std::string::npos) << printed;
    EXPECT_NE(printed.find("\"lens\": \"Canon EF-S 18-55mm f/3.5-5.6 IS\""), std::string::npos);

    // Kept, and replayed from the record alone, which holds the calibration itself.
    test::replayed(done, out, dir, "di-nuovo");

    declare("Obiettivo Immaginario 24mm f/1.0");
    request.output = (dir / "mai.tif").string();
    const BatchResult refused = runBatch(request, dir.path().string());
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.message.find("non è nel database degli obiettivi"), std::string::npos)
        << refused.message;
    EXPECT_FALSE(std::filesystem::exists(request.output));
}

}  // namespace
}  // namespace vesta
