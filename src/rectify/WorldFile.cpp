#include "rectify/WorldFile.h"

#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "files/FilePlacement.h"
#include "state/Numbers.h"

namespace vesta {

namespace fs = std::filesystem;

namespace {

// A world file is a few dozen bytes; anything larger is not one and is not read.
constexpr std::uintmax_t kLargestWorldFile = 4096;

bool holdsSixNumbers(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(path, ec)) ||
        fs::file_size(path, ec) > kLargestWorldFile || ec) {
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return isWorldFileText(text.str());
}

}  // namespace

bool isWorldFileText(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    int numbers = 0;
    while (std::getline(in, line)) {
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) {
            line.pop_back();
        }
        if (line.empty()) {
            continue;
        }
        if (!typedNumber(line) || line.find(',') != std::string::npos) {
            return false;
        }
        ++numbers;
    }
    return numbers == 6;
}

std::string worldFilePathFor(const std::string& imagePath) {
    const fs::path image(imagePath);
    const std::string ext = image.extension().string();
    if (ext.size() < 3) {
        return fs::path(image).replace_extension(".wld").string();
    }
    std::string world = {'.', ext[1], ext.back(), 'w'};
    if (std::isupper(static_cast<unsigned char>(ext.back()))) {
        world[3] = 'W';
    }
    return fs::path(image).replace_extension(world).string();
}

std::string worldFileText(double cmPerPixel) {
    const double metres = cmPerPixel / 100;
    const auto line = [](double v) { return plainForm(v, '.') + "\n"; };
    return line(metres) + line(0) + line(0) + line(-metres) + line(metres / 2) + line(-metres / 2);
}

std::optional<double> scaleFromPair(double x1, double y1, double x2, double y2, double cm) {
    const double d = std::hypot(x2 - x1, y2 - y1);
    if (!(d > 0) || !(cm > 0) || !std::isfinite(cm / d)) {
        return std::nullopt;
    }
    return cm / d;
}

bool worldFileMayGo(const std::string& imagePath, std::string& error) {
    const std::string path = worldFilePathFor(imagePath);
    std::error_code ec;
    if (fs::symlink_status(path, ec).type() == fs::file_type::not_found || holdsSixNumbers(path)) {
        return true;
    }
    error = "esiste già il file " + path + ", che non è un file di georeferenziazione";
    return false;
}

bool writeWorldFile(const std::string& imagePath, double cmPerPixel, std::string& error) {
    if (!worldFileMayGo(imagePath, error)) {
        return false;
    }
    const std::string text = worldFileText(cmPerPixel);
    return replaceFile(
        worldFilePathFor(imagePath),
        [&](int fd, std::string& why) { return writeAll(fd, text.data(), text.size(), why); },
        error);
}

}  // namespace vesta
