#include "cli/AutoLinesArgs.h"

#include <charconv>

#include "autolines/LsdDetector.h"
#include "construction/AutoLines.h"

namespace vesta {

namespace {

// Shortest round trip, the same in every locale.
std::string number(double v) {
    char buffer[40];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
    return std::string(buffer, end);
}

}  // namespace

bool readAutoLinesOption(const std::string& flag, BatchRequest& request) {
    if (flag != "--auto") {
        return false;
    }
    request.autoLines = true;
    return true;
}

std::string autoLinesConflict(const LineOptions& lines, const BatchRequest& request) {
    bool given = !lines.more[0].empty() || !lines.more[1].empty();
    for (const auto& line : lines.four) {
        given = given || line.has_value();
    }
    if (given) {
        return "--auto non si combina con --h1 --h2 --v1 --v2 --h --v";
    }
    // The lines are found on the bent photograph, the construction wants them straightened.
    if (request.lensK1) {
        return "--auto non si combina con --lens";
    }
    return "";
}

void takeFoundLines(Context& ctx, const std::optional<std::array<Point, 2>>& area) {
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
