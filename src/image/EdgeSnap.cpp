#include "image/EdgeSnap.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vesta {

namespace {

// Luminance of red, green and blue (ITU-R BT.601), as a grey photograph would show them.
float luminance(float r, float g, float b) {
    return 0.299f * r + 0.587f * g + 0.114f * b;
}

// Across the line, samples every half pixel; the gradient at each is the difference of the
// samples half a pixel before and after it, so one pixel apart.
constexpr double kStep = 0.5;
// An edge weaker than this (grey levels per pixel) is texture or noise, not an edge.
constexpr float kWeakestEdge = 6;
// Stations along the line: one a pixel, at most this many.
constexpr int kMostStations = 1500;
// Edge points near each end of the line, from which lines are tried; and how many stations
// tell how well a line is followed.
constexpr int kPairStations = 12;
constexpr int kCountingStations = 150;
// An edge point this near a line lies on it, pixels.
constexpr double kOnTheLine = 0.6;
// A line that runs along an edge over less than this share of its stations has found none.
constexpr double kLeastAlong = 0.4;
// Of the lines found, those followed by at least this share of the stations the best one has.
constexpr double kWellFollowed = 0.75;
// A straight edge is found again where it was drawn: drawing the line found onto its edge once
// more moves neither end further than this, pixels. Pieces of an edge offset from one another (the
// joint between a front's panels, storey by storey) or a bent edge give lines through different
// parts of it depending on where the click lay, a pixel or more apart.
constexpr double kSteadyEdge = 0.5;

// The line o = c + m t in the line's own frame: t along the clicked line from its first end, o
// across it.
struct FittedLine {
    double c = 0, m = 0;
    bool ok = false;
};

// Where a station crosses an edge: along the line, across it, and whether grey rises across.
struct Candidate {
    double along = 0, across = 0;
    bool rising = true;
};

// The line fitted by total least squares to the points whose `keep` is set.
FittedLine totalLeastSquares(const std::vector<double>& t, const std::vector<double>& o,
                             const std::vector<char>& keep) {
    double n = 0, st = 0, so = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (keep[i]) {
            n += 1;
            st += t[i];
            so += o[i];
        }
    }
    if (n < 2) {
        return {};
    }
    const double mt = st / n, mo = so / n;
    double stt = 0, soo = 0, sto = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (keep[i]) {
            const double dt = t[i] - mt, d0 = o[i] - mo;
            stt += dt * dt;
            soo += d0 * d0;
            sto += dt * d0;
        }
    }
    // The direction of greatest spread of the points is the line's.
    const double angle = 0.5 * std::atan2(2 * sto, stt - soo);
    const double dt = std::cos(angle), d0 = std::sin(angle);
    if (std::fabs(dt) < 0.5) {
        return {};
    }
    const double m = d0 / dt;
    return {mo - m * mt, m, true};
}

double median(std::vector<double> v) {
    const auto mid = v.begin() + std::ptrdiff_t(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

// Keeps the points within `limit` of the line; how many.
std::size_t keepNear(const std::vector<double>& t, const std::vector<double>& o, FittedLine line,
                     double limit, std::vector<char>& keep) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        keep[i] = std::fabs(o[i] - line.c - line.m * t[i]) <= limit;
        kept += std::size_t(keep[i]);
    }
    return kept;
}

// Spread of the kept points about the line, one standard deviation.
double spread(const std::vector<double>& t, const std::vector<double>& o, FittedLine line,
              const std::vector<char>& keep) {
    std::vector<double> residuals;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (keep[i]) {
            residuals.push_back(std::fabs(o[i] - line.c - line.m * t[i]));
        }
    }
    return residuals.empty() ? 0 : 1.4826 * median(std::move(residuals));
}

// A line through points of which some lie elsewhere (a crossing joint, a corner, a shadow),
// starting from one near most of them: total least squares on the points near it, three times,
// each time keeping those within three of their spreads (never under a tenth of a pixel, the
// points' own precision). Nothing when fewer than `least` points lie near it.
std::optional<FittedLine> robustLine(const std::vector<double>& t, const std::vector<double>& o,
                                     FittedLine line, double least) {
    std::vector<char> keep(t.size(), 1);
    for (int round = 0; round < 3; ++round) {
        const double limit = std::max(3 * spread(t, o, line, keep), 0.1);
        if (double(keepNear(t, o, line, limit, keep)) < least) {
            return std::nullopt;
        }
        line = totalLeastSquares(t, o, keep);
        if (!line.ok) {
            return std::nullopt;
        }
    }
    return line;
}

}  // namespace

GreyView::GreyView(const IndexedImage& image)
    : width_(image.width), height_(image.height), indices_(image.pixels.data()) {
    for (int i = 0; i < 256; ++i) {
        const Rgb c = image.colour(std::uint8_t(i));
        paletteGrey_[std::size_t(i)] = luminance(c.r, c.g, c.b);
    }
}

GreyView::GreyView(const ColourImage& image)
    : width_(image.width), height_(image.height), channels_(image.channels) {
    if (image.bitsPerChannel == 16) {
        samples16_ = image.samples16.data();
    } else {
        samples8_ = image.samples8.data();
    }
}

float GreyView::at(int x, int y) const {
    const std::size_t i = std::size_t(y) * std::size_t(width_) + std::size_t(x);
    if (indices_) {
        return paletteGrey_[indices_[i]];
    }
    const std::size_t s = i * std::size_t(channels_);
    if (samples8_) {
        return channels_ == 1 ? float(samples8_[s])
                              : luminance(samples8_[s], samples8_[s + 1], samples8_[s + 2]);
    }
    constexpr float k = 1.0f / 257;
    return channels_ == 1 ? samples16_[s] * k
                          : luminance(samples16_[s], samples16_[s + 1], samples16_[s + 2]) * k;
}

double snapReach(double firstViewScale, double secondViewScale) {
    // Five pixels at 1:1 and on enlarged views; up to twice that on reduced ones, whose screen
    // pixel is several of the photograph's.
    const double scale = std::min(firstViewScale, secondViewScale);
    return 5 * std::clamp(1 / scale, 1.0, 2.0);
}

namespace {

// The stations across the clicked line: evenly spaced along it, clear of its ends; the unit
// vectors along (u) and across (n) it.
struct Stations {
    Point first;
    double length = 0, margin = 0, spacing = 0;
    double ux = 0, uy = 0, nx = 0, ny = 0;
    int count = 0;
};

// Every edge point the stations cross; those of station s are candidates[firstOf[s]] up to
// candidates[firstOf[s + 1]].
struct EdgePoints {
    std::vector<Candidate> candidates;
    std::vector<std::size_t> firstOf;
};

// A line through two edge points, with how many stations cross an edge of its sign on it.
struct Hypothesis {
    FittedLine line;
    bool rising = true;
    int support = 0;
    double middle = 0;  // its distance across the clicked line, halfway along
};

// Nothing when the line is too short for its stations, implausibly long, or the reach is under
// two samples.
std::optional<Stations> placeStations(Point first, Point second, double reach) {
    Stations st;
    st.first = first;
    const double dx = second.x - first.x, dy = second.y - first.y;
    st.length = std::hypot(dx, dy);
    // Stations keep clear of the clicked ends, where the edge may stop at a corner.
    st.margin = std::min(reach, 0.1 * st.length);
    // No photograph holds a longer line (a side is at most 65535 pixels).
    if (!(st.length >= 2 * st.margin + 8) || !(st.length < 1e6) || !(reach > 2 * kStep)) {
        return std::nullopt;
    }
    st.ux = dx / st.length;
    st.uy = dy / st.length;
    st.nx = -st.uy;
    st.ny = st.ux;
    st.count = std::min(kMostStations, int(st.length - 2 * st.margin) + 1);
    st.spacing = (st.length - 2 * st.margin) / (st.count - 1);
    return st;
}

// The bilinear grey level at (x, y); negative outside the image.
float bilinearGrey(const GreyView& image, double x, double y) {
    const double fx = std::floor(x), fy = std::floor(y);
    if (!(fx >= 0 && fy >= 0 && fx + 1 < image.width() && fy + 1 < image.height())) {
        return -1.0f;
    }
    const int ix = int(fx), iy = int(fy);
    const float ax = float(x - fx), ay = float(y - fy);
    const float top = image.at(ix, iy) * (1 - ax) + image.at(ix + 1, iy) * ax;
    const float bottom = image.at(ix, iy + 1) * (1 - ax) + image.at(ix + 1, iy + 1) * ax;
    return top * (1 - ay) + bottom * ay;
}

// Every edge each station crosses within the reach: where the gradient across the line has a
// maximum of either sign, to a fraction of a pixel.
EdgePoints findEdgePoints(const GreyView& image, const Stations& st, double reach) {
    // Samples from one pixel beyond the reach on either side, so that a maximum at the reach
    // has its two neighbours.
    const int half = int(std::ceil(reach / kStep)) + 2;
    const int samples = 2 * half + 1;
    EdgePoints edges;
    edges.firstOf.assign(std::size_t(st.count) + 1, 0);
    std::vector<float> profile(std::size_t(samples), 0.0f), g(std::size_t(samples), 0.0f);
    for (int s = 0; s < st.count; ++s) {
        edges.firstOf[std::size_t(s)] = edges.candidates.size();
        const double t = st.margin + s * st.spacing;
        const double cx = st.first.x + t * st.ux, cy = st.first.y + t * st.uy;
        bool inside = true;
        for (int j = 0; j < samples && inside; ++j) {
            const double d = (j - half) * kStep;
            profile[std::size_t(j)] = bilinearGrey(image, cx + d * st.nx, cy + d * st.ny);
            inside = profile[std::size_t(j)] >= 0;
        }
        if (!inside) {
            continue;
        }
        for (std::size_t j = 1; j + 1 < std::size_t(samples); ++j) {
            g[j] = profile[j + 1] - profile[j - 1];
        }
        for (std::size_t j = 2; j + 2 < std::size_t(samples); ++j) {
            const float sign = g[j] >= 0 ? 1.0f : -1.0f;
            const float at = sign * g[j], before = sign * g[j - 1], after = sign * g[j + 1];
            if (at < kWeakestEdge || before > at || after >= at) {
                continue;
            }
            // The vertex of the parabola through the maximum and its two neighbours.
            const double curvature = before - 2 * at + after;
            const double vertex = curvature < 0 ? 0.5 * (before - after) / curvature : 0;
            const double across = (double(j) - half + vertex) * kStep;
            if (std::fabs(across) <= reach) {
                edges.candidates.push_back({t, across, sign > 0});
            }
        }
    }
    edges.firstOf[std::size_t(st.count)] = edges.candidates.size();
    return edges;
}

// How many of every step-th station cross an edge of the given sign on the line.
int support(const EdgePoints& edges, int stations, int step, const FittedLine& line, bool rising) {
    int count = 0;
    for (int s = 0; s < stations; s += step) {
        for (std::size_t i = edges.firstOf[std::size_t(s)]; i < edges.firstOf[std::size_t(s) + 1];
             ++i) {
            const Candidate& c = edges.candidates[i];
            if (c.rising == rising &&
                std::fabs(c.across - line.c - line.m * c.along) <= kOnTheLine) {
                ++count;
                break;
            }
        }
    }
    return count;
}

// Lines through two edge points, one near each end, that run along an edge. Counted on at most
// kCountingStations stations.
std::vector<Hypothesis> edgeHypotheses(const EdgePoints& edges, const Stations& st) {
    const int stations = st.count;
    const int step = std::max(1, stations / kCountingStations);
    const int counted = (stations + step - 1) / step;
    const int pairs = std::min(kPairStations, stations / 3);
    const auto& firstOf = edges.firstOf;
    std::vector<Hypothesis> found;
    for (int a = 0; a < pairs; ++a) {
        const int sa = a * (stations / 3) / pairs;
        for (int b = 0; b < pairs; ++b) {
            const int sb = stations - 1 - b * (stations / 3) / pairs;
            for (std::size_t i = firstOf[std::size_t(sa)]; i < firstOf[std::size_t(sa) + 1]; ++i) {
                for (std::size_t k = firstOf[std::size_t(sb)]; k < firstOf[std::size_t(sb) + 1];
                     ++k) {
                    const Candidate &p = edges.candidates[i], &q = edges.candidates[k];
                    if (p.rising != q.rising) {
                        continue;
                    }
                    const double m = (q.across - p.across) / (q.along - p.along);
                    const FittedLine line{p.across - m * p.along, m, true};
                    const int n = support(edges, stations, step, line, p.rising);
                    if (n >= kLeastAlong * counted) {
                        found.push_back({line, p.rising, n, line.c + m * st.length / 2});
                    }
                }
            }
        }
    }
    return found;
}

// Of the edges that run along the line, the one nearest the click: a user clicks on the edge
// meant, and a joint or a moulding a few pixels off is an edge as straight. Of the lines
// through that edge, the one most stations agree on.
// A dashed line of joints a few pixels off, or a line across two edges, is followed by fewer
// stations than the edge itself. `found` is not empty.
Hypothesis chooseEdge(std::vector<Hypothesis> found) {
    int most = 0;
    for (const Hypothesis& h : found) {
        most = std::max(most, h.support);
    }
    std::erase_if(found, [&](const Hypothesis& h) { return h.support < kWellFollowed * most; });
    const auto nearest = std::min_element(found.begin(), found.end(), [](auto& x, auto& y) {
        return std::fabs(x.middle) < std::fabs(y.middle);
    });
    const Hypothesis* best = &*nearest;
    for (const Hypothesis& h : found) {
        if (h.rising == nearest->rising && std::fabs(h.middle - nearest->middle) < 1 &&
            h.support > best->support) {
            best = &h;
        }
    }
    return *best;
}

// Every station's edge point on the chosen line, the nearest to it, for the final fit.
void pointsOnEdge(const EdgePoints& edges, int stations, const Hypothesis& best,
                  std::vector<double>& along, std::vector<double>& across) {
    for (int s = 0; s < stations; ++s) {
        double closest = kOnTheLine;
        const Candidate* pick = nullptr;
        for (std::size_t i = edges.firstOf[std::size_t(s)]; i < edges.firstOf[std::size_t(s) + 1];
             ++i) {
            const Candidate& c = edges.candidates[i];
            const double off = std::fabs(c.across - best.line.c - best.line.m * c.along);
            if (c.rising == best.rising && off <= closest) {
                closest = off;
                pick = &c;
            }
        }
        if (pick) {
            along.push_back(pick->along);
            across.push_back(pick->across);
        }
    }
}

// The straight edge along the segment, its ends on the perpendiculars through the segment's.
std::optional<SnappedLine> edgeAlong(const GreyView& image, Point first, Point second,
                                     double reach) {
    const std::optional<Stations> st = placeStations(first, second, reach);
    if (!st) {
        return std::nullopt;
    }
    const EdgePoints edges = findEdgePoints(image, *st, reach);
    std::vector<Hypothesis> found = edgeHypotheses(edges, *st);
    if (found.empty()) {
        return std::nullopt;
    }
    const Hypothesis best = chooseEdge(std::move(found));
    std::vector<double> along, across;
    pointsOnEdge(edges, st->count, best, along, across);
    const double least = std::max(6.0, kLeastAlong * st->count);
    const std::optional<FittedLine> edge = robustLine(along, across, best.line, least);
    if (!edge) {
        return std::nullopt;
    }
    const double atFirst = edge->c, atSecond = edge->c + edge->m * st->length;
    if (std::fabs(atFirst) > reach || std::fabs(atSecond) > reach) {
        return std::nullopt;
    }
    return SnappedLine{{first.x + atFirst * st->nx, first.y + atFirst * st->ny},
                       {second.x + atSecond * st->nx, second.y + atSecond * st->ny},
                       std::fabs(atFirst),
                       std::fabs(atSecond)};
}

}  // namespace

std::optional<SnappedLine> snapToEdge(const GreyView& image, Point first, Point second,
                                      double reach) {
    const std::optional<SnappedLine> onEdge = edgeAlong(image, first, second, reach);
    if (!onEdge) {
        return std::nullopt;
    }
    const std::optional<SnappedLine> again = edgeAlong(image, onEdge->first, onEdge->second, reach);
    const auto moved = [](Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); };
    if (!again || moved(again->first, onEdge->first) > kSteadyEdge ||
        moved(again->second, onEdge->second) > kSteadyEdge) {
        return std::nullopt;
    }
    return onEdge;
}

}  // namespace vesta
