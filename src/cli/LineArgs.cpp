#include "cli/LineArgs.h"

namespace vesta {

namespace {

constexpr const char* kFourNames[4] = {"--h1", "--h2", "--v1", "--v2"};

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
    if (!value) {
        error = flag + " vuole X1,Y1,X2,Y2";
        return false;
    }
    const std::array<Click, 2> ends{Click{(*value)[0], (*value)[1]},
                                    Click{(*value)[2], (*value)[3]}};
    if (four >= 0) {
        lines.four[std::size_t(four)] = ends;
    } else {
        lines.more[flag == "--h" ? 0 : 1].push_back(ends);
    }
    return true;
}

std::string assignLines(const LineOptions& lines, BatchRequest& request) {
    request.extraLines.clear();
    for (int axis = 0; axis < 2; ++axis) {
        std::size_t next = 0;
        const std::vector<std::array<Click, 2>>& more = lines.more[axis];
        for (int k = 2 * axis; k < 2 * axis + 2; ++k) {
            const std::optional<std::array<Click, 2>>& given = lines.four[std::size_t(k)];
            if (!given && next == more.size()) {
                return std::string("manca ") + kFourNames[k] + " (o un'altra " +
                       (axis == 0 ? "--h" : "--v") + ")";
            }
            const std::array<Click, 2> ends = given ? *given : more[next++];
            request.lines[k][0] = ends[0];
            request.lines[k][1] = ends[1];
        }
        for (; next < more.size(); ++next) {
            request.extraLines.push_back({axis == 0, more[next]});
        }
    }
    return "";
}

}  // namespace vesta
