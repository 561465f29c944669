#include "cli/LineArgs.h"

#include "state/LineLimits.h"

namespace vesta {

namespace {

constexpr const char* kFourNames[4] = {"--h1", "--h2", "--v1", "--v2"};

// The points beside the ends only for a line of more than two: a line of two is its two ends.
std::vector<Click> alongIfMore(const std::vector<Click>& points) {
    return points.size() > 2 ? points : std::vector<Click>{};
}

}  // namespace

bool repeatableLineOption(const std::string& flag) {
    return flag == "--h" || flag == "--v";
}

bool readLineOption(const std::string& flag, const std::vector<float>* value, LineOptions& lines,
                    std::string& error) {
    int four = -1;
    for (int k = 0; k < 4; ++k) {
        four = flag == kFourNames[k] ? k : four;
    }
    if (four < 0 && !repeatableLineOption(flag)) {
        return false;
    }
    if (!value || value->size() < 4 || value->size() % 2 != 0 ||
        value->size() > 2 * kMostPointsAlong) {
        error = flag + " vuole X1,Y1,X2,Y2";
        return false;
    }
    std::vector<Click> points;
    for (std::size_t i = 0; i < value->size(); i += 2) {
        points.push_back(Click{(*value)[i], (*value)[i + 1]});
    }
    if (four >= 0) {
        lines.four[std::size_t(four)] = points;
    } else {
        lines.more[flag == "--h" ? 0 : 1].push_back(points);
    }
    return true;
}

std::string assignLines(const LineOptions& lines, BatchRequest& request) {
    request.extraLines.clear();
    for (int axis = 0; axis < 2; ++axis) {
        std::size_t next = 0;
        const std::vector<std::vector<Click>>& more = lines.more[axis];
        for (int k = 2 * axis; k < 2 * axis + 2; ++k) {
            const std::optional<std::vector<Click>>& given = lines.four[std::size_t(k)];
            if (!given && next == more.size()) {
                return std::string("manca ") + kFourNames[k] + " (o un'altra " +
                       (axis == 0 ? "--h" : "--v") + ")";
            }
            const std::vector<Click>& points = given ? *given : more[next++];
            request.lines[k][0] = points.front();
            request.lines[k][1] = points.back();
            request.linePoints[std::size_t(k)] = alongIfMore(points);
        }
        for (; next < more.size(); ++next) {
            const std::vector<Click>& points = more[next];
            request.extraLines.push_back(
                {axis == 0, {points.front(), points.back()}, alongIfMore(points)});
        }
    }
    // The window takes no more, nor does a record of the construction.
    if (request.extraLines.size() > kMostExtraLines) {
        return "al più " + std::to_string(kMostExtraLines) + " rette oltre le quattro";
    }
    return "";
}

}  // namespace vesta
