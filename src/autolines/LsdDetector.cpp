#include "autolines/LsdDetector.h"

#include <algorithm>
#include <opencv2/imgproc.hpp>

namespace vesta {

DetectedSegments detectSegments(const GreyView& image) {
    DetectedSegments out;
    const int side = std::max(image.width(), image.height());
    const int factor = std::max(1, (side + kSearchSide - 1) / kSearchSide);
    const int w = image.width() / factor, h = image.height() / factor;
    if (w < 2 || h < 2) {
        return out;
    }
    // Each pixel of the copy the mean of a factor x factor block: a box filter, which keeps an
    // edge where it was to a fraction of a pixel of the copy.
    cv::Mat grey(h, w, CV_8UC1);
    const float cells = float(factor * factor);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = grey.ptr<std::uint8_t>(y);
        for (int x = 0; x < w; ++x) {
            float sum = 0;
            for (int j = 0; j < factor; ++j) {
                for (int i = 0; i < factor; ++i) {
                    sum += image.at(x * factor + i, y * factor + j);
                }
            }
            row[x] = static_cast<std::uint8_t>(std::min(255.0f, sum / cells + 0.5f));
        }
    }
    std::vector<cv::Vec4f> lines;
    cv::createLineSegmentDetector(cv::LSD_REFINE_STD)->detect(grey, lines);
    // A pixel of the copy spans the block's pixels, its centre at the block's middle.
    const double f = factor, shift = (factor - 1) / 2.0;
    out.scale = f;
    out.segments.reserve(lines.size());
    for (const cv::Vec4f& l : lines) {
        out.segments.push_back(
            {{l[0] * f + shift, l[1] * f + shift}, {l[2] * f + shift, l[3] * f + shift}});
    }
    return out;
}

}  // namespace vesta
