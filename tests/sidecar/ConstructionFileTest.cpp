#include <gtest/gtest.h>

#include <fstream>

#include "BitmapBytes.h"
#include "sidecar/ConstructionFile.h"

namespace vesta {
namespace {

ConstructionRecord aRecord() {
    ConstructionRecord r;
    r.photograph = "facciata.bmp";
    r.sha256 = std::string(64, 'a');
    r.lines = {{{234.5, 174, 615, 135.25},
                {201, 352, 602, 379},
                {163, 448, 216, 174},
                {635, 525, 651, 129}}};
    r.principalPoint = {400.125, 300};
    r.area = {200, 150, 620, 500};
    r.sizeSteps = 8;
    r.sizeFactor = 1.9 - 0.1;  // to the top and one step down: not eight steps up to the bit
    r.interpolation = "bilinear";
    r.knownMeasures = std::array<double, 2>{1230.5, 870};
    r.focal35 = 28;
    r.snapToEdges = true;
    r.referenceLength = "12,5";
    r.scale = 0.1 + 0.2;  // a value whose shortest form needs all seventeen digits
    r.principalDistance = 640.0000000000001;
    r.outputSize = {935, 912};
    r.aspectSigma = 0.032;
    r.photographTurn = 1;
    r.resultTurn = 3;
    r.lineViewScales[2] = {0.171875, 4};  // v1 from the fit view to 4:1
    return r;
}

void write(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A replay must get back every bit of every click, whatever the locale writes commas with (the
// tests run under an Italian one).
TEST(ConstructionFile, RoundTripKeepsEveryBit) {
    const ConstructionRecord r = aRecord();
    const std::string text = constructionJson(r);
    const Result<ConstructionRecord> back = parseConstructionJson(text);
    ASSERT_TRUE(back.ok()) << back.error();
    const ConstructionRecord& b = back.value();
    EXPECT_EQ(text.find("0,3"), std::string::npos);
    // Every bit of the numbers that need all their digits.
    EXPECT_TRUE(b.lines == r.lines && b.principalPoint == r.principalPoint &&
                b.sizeFactor == r.sizeFactor && b.scale == r.scale &&
                b.principalDistance == r.principalDistance && !b.distanceSigma);
    // Whatever else the file holds (turns, view scales) comes back as written.
    EXPECT_EQ(constructionJson(b), text);
    EXPECT_NE(text.find("\"rotate_degrees\": 90"), std::string::npos);

    // A record of an upright road with lines as clicked says nothing of turns or snapping, as
    // those written before either existed.
    ConstructionRecord upright = r;
    upright.photographTurn = upright.resultTurn = 0;
    upright.snapToEdges = false;
    const std::string plain = constructionJson(upright);
    EXPECT_EQ(plain.find("rotate"), std::string::npos);
    EXPECT_EQ(plain.find("snap"), std::string::npos);
    const Result<ConstructionRecord> old = parseConstructionJson(plain);
    ASSERT_TRUE(old.ok()) << old.error();
    EXPECT_TRUE(old.value().photographTurn == 0 && old.value().resultTurn == 0 &&
                !old.value().snapToEdges);

    // A record clicked all at 1:1, as older ones, does not say so and reads as 1:1.
    ConstructionRecord oneToOne = r;
    oneToOne.lineViewScales[2] = {1, 1};
    const std::string older = constructionJson(oneToOne);
    EXPECT_EQ(older.find("view_scale"), std::string::npos);
    EXPECT_EQ(parseConstructionJson(older).value().lineViewScales, oneToOne.lineViewScales);
}

TEST(ConstructionFile, DamagedOrForeignFilesAreRefusedInItalian) {
    std::string good = constructionJson(aRecord());
    auto with = [&](const std::string& from, const std::string& to) {
        std::string t = good;
        t.replace(t.find(from), from.size(), to);
        return t;
    };
    const std::string bad[] = {
        "{\"name\": 1}",
        good.substr(0, good.size() / 2),
        with("\"h2\"", "\"h9\""),
        with("\"size_steps\": 8", "\"size_steps\": 12"),
        with("\"bilinear\"", "\"cubic\""),
        with("400.125", "\"400\""),
        with("\"vesta_construction\": 1", "\"vesta_construction\": 2"),
        with("\"rotate_degrees\": 90", "\"rotate_degrees\": 45"),
        with("\"result_rotate_degrees\": 270", "\"result_rotate_degrees\": 90.5"),
        with("0.171875", "0"),
        with("\"snap_to_edges\": true", "\"snap_to_edges\": 1"),
        // Only a file in the record's own folder is its photograph.
        with("\"facciata.bmp\"", "\"../w/facciata.bmp\""),
        with("\"facciata.bmp\"", "\"/tmp/facciata.bmp\""),
        with("\"facciata.bmp\"", "\"facciata.bmp\\u0000.txt\""),
        with("\"facciata.bmp\"", "\"..\""),
        // Numbers beyond their range, which no int or float can hold or no replay can use.
        with("\"size_steps\": 8", "\"size_steps\": 1e300"),
        with("\"size_steps\": 8", "\"size_steps\": 9223372036854775808"),
        with("\"size_steps\": 8", "\"size_steps\": 4294967296"),
        with("935", "1e300"),
        with("912", "-4294967296"),
        with("400.125", "1e300"),
        with("\"focal35_mm\": 28", "\"focal35_mm\": -28"),
    };
    for (const std::string& text : bad) {
        const Result<ConstructionRecord> r = parseConstructionJson(text);
        EXPECT_FALSE(r.ok()) << text;
        EXPECT_TRUE(r.error().find("costruzione") != std::string::npos) << r.error();
    }
}

TEST(ConstructionFile, OnlyRecordsOfThisVeryPhotographAreOffered) {
    test::TempDir dir;
    test::writeBytes(dir / "facciata.bmp", {'a', 'b', 'c'});
    const Result<std::string> sum = fileSha256((dir / "facciata.bmp").string());
    ASSERT_TRUE(sum.ok());
    EXPECT_EQ(sum.value(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

    ConstructionRecord mine = aRecord();
    mine.sha256 = sum.value();
    write(dir / "raddrizzata.json", constructionJson(mine));
    ConstructionRecord altered = mine;
    altered.sha256 = std::string(64, '0');  // the same name, other bytes
    write(dir / "vecchia.json", constructionJson(altered));
    write(dir / "appunti.json", "[1, 2, 3]");
    // Far larger than any record: not read whole, however it begins.
    std::string padded = constructionJson(mine);
    padded.insert(1, std::string(70000, ' '));
    write(dir / "gonfiata.json", padded);

    const std::vector<std::string> found = constructionsFor((dir / "facciata.bmp").string());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], (dir / "raddrizzata.json").string());
}

}  // namespace
}  // namespace vesta
