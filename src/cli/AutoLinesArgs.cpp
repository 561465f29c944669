#include "cli/AutoLinesArgs.h"

#include <charconv>

#include "autolines/LsdDetector.h"
#include "construction/AutoLines.h"
#include "construction/LensCommands.h"
#include "construction/LensCorrection.h"
#include "construction/LensEdges.h"
#include "geometry/LensFit.h"

namespace vesta {

namespace {

// Shortest round trip, the same in every locale.
std::string number(double v) {
    char buffer[40];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
    return std::string(buffer, end);
}

// The k1 that makes straightest the edges the lines found on the photograph run along: each
// line's edge sought in short pieces along its picture through the lens taken out now (none at
// first), as the window seeks a snapped line's; of the front `area` names when given.
Result<LensFit> fitToFoundLines(const Context& ctx,
                                const std::optional<std::array<Point, 2>>& area) {
    const WorkingState& s = ctx.s;
    const GreyView view = s.aColori() ? GreyView(*s.fotoColori) : GreyView(s.sorgente.image);
    const std::optional<RadialLens> lens = photographLensOf(s);
    const GroupedLines found = findPhotographLines(ctx, detectSegments, area);
    std::vector<std::vector<Point>> edges;
    for (const std::vector<Segment>* direction : {&found.horizontal, &found.vertical}) {
        for (const Segment& l : *direction) {
            const Point a = lens ? lens->undistorted(l.first) : l.first;
            const Point b = lens ? lens->undistorted(l.second) : l.second;
            edges.push_back(edgePointsAlong(view, lens, a, b, snapReach(1, 1)));
        }
    }
    return fitLensK1(edges, s.larghezzaSorg(), s.altezzaSorg());
}

}  // namespace

bool readAutoLinesOption(const std::string& flag, BatchRequest& request) {
    if (flag != "--auto") {
        return false;
    }
    request.autoLines = true;
    return true;
}

std::string autoLinesConflict(const LineOptions& lines) {
    bool given = !lines.more[0].empty() || !lines.more[1].empty();
    for (const auto& line : lines.four) {
        given = given || line.has_value();
    }
    if (given) {
        return "--auto non si combina con --h1 --h2 --v1 --v2 --h --v";
    }
    return "";
}

void takeFoundLines(Context& ctx, bool fitLens, const std::optional<std::array<Point, 2>>& area) {
    if (fitLens) {
        // Lines found on the bent photograph are pieces of its bent edges: the fit to them is
        // made once more on the lines found out of the first fitted bend, which run longer.
        for (int pass = 0; pass < 2; ++pass) {
            const Result<LensFit> fit = fitToFoundLines(ctx, area);
            if (!fit.ok()) {
                ctx.dialogs.messageBox(fit.error(), "vesta-rectify", MessageIcon::Warning);
                return;
            }
            keepLensFit(ctx.s, fit.value());
        }
    }
    const GroupedLines found = findPhotographLines(ctx, detectSegments, area);
    if (found.horizontal.size() < 2 || found.vertical.size() < 2) {
        ctx.dialogs.messageBox("Rette trovate: " + std::to_string(found.horizontal.size()) +
                                   " orizzontali e " + std::to_string(found.vertical.size()) +
                                   " verticali; ne servono almeno due per direzione.",
                               "vesta-rectify", MessageIcon::Warning);
        return;
    }
    takeLines(ctx, found);
}

std::vector<std::pair<std::string, std::string>> listedLines(const WorkingState& s, bool json) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const bool horizontal : {true, false}) {
        std::vector<ClickedLine> lines;
        for (int k = horizontal ? 1 : 3, n = 0; n < 2 && k <= s.nRette; ++k, ++n) {
            lines.push_back(s.line(k));
        }
        for (const ExtraLine& l : s.extraLines) {
            if (l.horizontal == horizontal) {
                lines.push_back(l.used());
            }
        }
        std::string list;
        for (const ClickedLine& l : lines) {
            const std::string ends = json ? "[" + number(l.first.x) + ", " + number(l.first.y) +
                                                ", " + number(l.second.x) + ", " +
                                                number(l.second.y) + "]"
                                          : number(l.first.x) + "," + number(l.first.y) + "," +
                                                number(l.second.x) + "," + number(l.second.y);
            list += (list.empty() ? "" : json ? ", " : " ") + ends;
        }
        const char* name = horizontal ? "lines_h" : "lines_v";
        out.emplace_back(name, json ? "[" + list + "]" : list);
    }
    // The photograph held other facades than the one the lines are of: how many, and where.
    if (!s.otherFronts.empty()) {
        std::string boxes;
        for (const auto& [a, b] : s.otherFronts) {
            const std::string box = number(a.x) + (json ? ", " : ",") + number(a.y) +
                                    (json ? ", " : ",") + number(b.x) + (json ? ", " : ",") +
                                    number(b.y);
            boxes += (boxes.empty() ? "" : json ? ", " : " ") + (json ? "[" + box + "]" : box);
        }
        out.emplace_back("other_fronts", std::to_string(s.otherFronts.size()));
        out.emplace_back("other_fronts_extent", json ? "[" + boxes + "]" : boxes);
    }
    return out;
}

}  // namespace vesta
