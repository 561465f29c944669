#include "cli/RecordReplay.h"

#include <filesystem>

#include "sidecar/ConstructionFile.h"

namespace vesta {

namespace {

std::vector<Click> clicksOf(const std::vector<std::array<double, 2>>& points) {
    std::vector<Click> out;
    for (const auto& p : points) {
        out.push_back({float(p[0]), float(p[1])});
    }
    return out;
}

}  // namespace

Result<BatchRequest> requestFromRecord(const std::string& recordPath, BatchRequest request) {
    const Result<ConstructionRecord> read = readConstructionFile(recordPath);
    if (!read.ok()) {
        return Result<BatchRequest>::failure(read.error());
    }
    const ConstructionRecord& r = read.value();
    if (request.input.empty()) {
        request.input = (std::filesystem::path(recordPath).parent_path() / r.photograph).string();
    }
    const Result<std::string> sum = fileSha256(request.input);
    if (!sum.ok()) {
        return Result<BatchRequest>::failure(sum.error());
    }
    if (sum.value() != r.sha256) {
        return Result<BatchRequest>::failure("La fotografia " + request.input +
                                             " non è quella su cui è stata fatta la costruzione.");
    }
    for (std::size_t k = 0; k < 4; ++k) {
        request.lines[k][0] = {float(r.lines[k][0]), float(r.lines[k][1]), r.lineViewScales[k][0]};
        request.lines[k][1] = {float(r.lines[k][2]), float(r.lines[k][3]), r.lineViewScales[k][1]};
        request.linePoints[k] = clicksOf(r.linePoints[k]);
    }
    request.extraLines.clear();
    for (const ExtraLineRecord& l : r.extraLines) {
        request.extraLines.push_back({l.horizontal,
                                      {Click{float(l.line[0]), float(l.line[1]), l.viewScales[0]},
                                       Click{float(l.line[2]), float(l.line[3]), l.viewScales[1]}},
                                      clicksOf(l.points)});
    }
    request.centre = Click{float(r.principalPoint[0]), float(r.principalPoint[1])};
    request.area[0] = Click{float(r.area[0]), float(r.area[1])};
    request.area[1] = Click{float(r.area[2]), float(r.area[3])};
    request.sizeSteps = r.sizeSteps;
    request.exactSize = r.sizeFactor;
    if (!r.interpolation.empty()) {
        request.bilinear = r.interpolation == "bilinear";
    }
    // A focal length given on the command line replaces the one kept.
    if (!request.focal35 && !request.focal35FromExif) {
        request.focal35 = r.focal35;
    }
    request.known = r.knownMeasures;
    request.snap = r.snapToEdges;
    request.lensK1 = r.lensK1;
    request.lensFitRms = r.lensFitRms;
    request.lensFitSpread = r.lensFitSpread;
    request.lensProfile = r.lensProfile;
    request.clicksUndistorted = true;
    request.photographTurn = r.photographTurn;
    request.resultTurn = r.resultTurn;
    return Result<BatchRequest>::success(std::move(request));
}

}  // namespace vesta
