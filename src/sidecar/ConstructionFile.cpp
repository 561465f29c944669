#include "sidecar/ConstructionFile.h"

#include <openssl/evp.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

namespace vesta {

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

constexpr int kFormatVersion = 1;
constexpr std::uintmax_t kLargestRecord = 1 << 20;  // a record is a few kilobytes
const char* const kDamaged = "Il file della costruzione è danneggiato o non è di VESTA:\n";

json pair(const std::array<double, 2>& p) {
    return json::array({p[0], p[1]});
}

// A number that a replay can use: present and finite. JSON has no NaN, but a hand-edited file
// may hold a string or nothing at all.
double number(const json& j) {
    if (!j.is_number()) {
        throw std::runtime_error("numero mancante");
    }
    const double v = j.get<double>();
    if (!std::isfinite(v)) {
        throw std::runtime_error("numero non finito");
    }
    return v;
}

template <std::size_t N>
std::array<double, N> numbers(const json& j) {
    if (!j.is_array() || j.size() != N) {
        throw std::runtime_error("elenco di numeri errato");
    }
    std::array<double, N> out{};
    for (std::size_t i = 0; i < N; ++i) {
        out[i] = number(j[i]);
    }
    return out;
}

const char* const kLineNames[4] = {"h1", "h2", "v1", "v2"};

// Quarter turns from degrees clockwise, 0, 90, 180 or 270; none when absent (older records).
int turnOf(const json& options, const char* name) {
    if (!options.contains(name)) {
        return 0;
    }
    if (!options.at(name).is_number_integer()) {
        throw std::runtime_error("rotazione non intera");
    }
    const int degrees = options.at(name).get<int>();
    if (degrees != 0 && degrees != 90 && degrees != 180 && degrees != 270) {
        throw std::runtime_error("rotazione diversa da 0, 90, 180 o 270 gradi");
    }
    return degrees / 90;
}

}  // namespace

std::string constructionJson(const ConstructionRecord& r) {
    json lines = json::object();
    json viewScales = json::object();
    bool allAt1to1 = true;
    for (int k = 0; k < 4; ++k) {
        lines[kLineNames[k]] = r.lines[std::size_t(k)];
        viewScales[kLineNames[k]] = r.lineViewScales[std::size_t(k)];
        allAt1to1 = allAt1to1 && r.lineViewScales[std::size_t(k)] == std::array<double, 2>{1, 1};
    }
    json options = json::object();
    if (!r.interpolation.empty()) {
        options["interpolation"] = r.interpolation;
    }
    if (r.knownMeasures) {
        options["known_measures_cm"] = pair(*r.knownMeasures);
    }
    if (r.focal35) {
        options["focal35_mm"] = *r.focal35;
    }
    // Degrees clockwise; absent when not turned, so a record of an upright road is as before.
    if (r.photographTurn != 0) {
        options["rotate_degrees"] = 90 * r.photographTurn;
    }
    if (r.resultTurn != 0) {
        options["result_rotate_degrees"] = 90 * r.resultTurn;
    }
    json result = {{"horizontal_vanishing_point", pair(r.horizontalVanishingPoint)},
                   {"vertical_vanishing_point", pair(r.verticalVanishingPoint)},
                   {"principal_distance", r.principalDistance},
                   {"output_size", r.outputSize}};
    if (r.aspectSigma) {
        result["aspect_sigma"] = *r.aspectSigma;
    }
    if (r.distanceSigma) {
        result["distance_sigma"] = *r.distanceSigma;
    }
    const json doc = {{"vesta_construction", kFormatVersion},
                      {"photograph", {{"name", r.photograph}, {"sha256", r.sha256}}},
                      {"lines", lines},
                      {"principal_point", pair(r.principalPoint)},
                      {"area", r.area},
                      {"size_steps", r.sizeSteps},
                      {"size_factor", r.sizeFactor},
                      {"options", options},
                      {"reference_length", r.referenceLength},
                      {"scale_cm_per_pixel", r.scale},
                      {"construction", result}};
    // A construction clicked at 1:1 is written as before.
    if (allAt1to1) {
        return doc.dump(2) + "\n";
    }
    json withScales = doc;
    withScales["line_view_scales"] = viewScales;
    return withScales.dump(2) + "\n";
}

Result<ConstructionRecord> parseConstructionJson(const std::string& text) {
    try {
        const json doc = json::parse(text);
        if (!doc.is_object() || !doc.contains("vesta_construction")) {
            return Result<ConstructionRecord>::failure(std::string(kDamaged) +
                                                       "non è una costruzione di VESTA");
        }
        if (doc.at("vesta_construction") != kFormatVersion) {
            return Result<ConstructionRecord>::failure(
                "Questa costruzione è stata salvata da una versione più recente di VESTA.");
        }
        ConstructionRecord r;
        r.photograph = doc.at("photograph").at("name").get<std::string>();
        r.sha256 = doc.at("photograph").at("sha256").get<std::string>();
        for (int k = 0; k < 4; ++k) {
            r.lines[std::size_t(k)] = numbers<4>(doc.at("lines").at(kLineNames[k]));
        }
        if (doc.contains("line_view_scales")) {
            for (int k = 0; k < 4; ++k) {
                const std::array<double, 2> scales =
                    numbers<2>(doc.at("line_view_scales").at(kLineNames[k]));
                if (!(scales[0] > 0 && scales[1] > 0)) {
                    throw std::runtime_error("scala della vista non positiva");
                }
                r.lineViewScales[std::size_t(k)] = scales;
            }
        }
        r.principalPoint = numbers<2>(doc.at("principal_point"));
        r.area = numbers<4>(doc.at("area"));
        r.sizeSteps = doc.at("size_steps").get<int>();
        if (r.sizeSteps < 0 || r.sizeSteps > 9) {
            throw std::runtime_error("fattore di grandezza fuori dai limiti");
        }
        r.sizeFactor =
            doc.contains("size_factor") ? number(doc.at("size_factor")) : 1.0 + r.sizeSteps / 10.0;
        if (std::fabs(r.sizeFactor - (1.0 + r.sizeSteps / 10.0)) > 1e-6) {
            throw std::runtime_error("fattore di grandezza fuori dai limiti");
        }
        const json& options = doc.at("options");
        if (options.contains("interpolation")) {
            r.interpolation = options.at("interpolation").get<std::string>();
            if (r.interpolation != "nearest" && r.interpolation != "bilinear") {
                throw std::runtime_error("interpolazione sconosciuta");
            }
        }
        if (options.contains("known_measures_cm")) {
            r.knownMeasures = numbers<2>(options.at("known_measures_cm"));
        }
        if (options.contains("focal35_mm")) {
            r.focal35 = number(options.at("focal35_mm"));
        }
        r.photographTurn = turnOf(options, "rotate_degrees");
        r.resultTurn = turnOf(options, "result_rotate_degrees");
        r.referenceLength = doc.value("reference_length", std::string());
        r.scale = doc.contains("scale_cm_per_pixel") ? number(doc.at("scale_cm_per_pixel")) : 0;
        if (doc.contains("construction")) {
            const json& c = doc.at("construction");
            r.horizontalVanishingPoint = numbers<2>(c.at("horizontal_vanishing_point"));
            r.verticalVanishingPoint = numbers<2>(c.at("vertical_vanishing_point"));
            r.principalDistance = number(c.at("principal_distance"));
            r.outputSize = c.at("output_size").get<std::array<int, 2>>();
            if (c.contains("aspect_sigma")) {
                r.aspectSigma = number(c.at("aspect_sigma"));
            }
            if (c.contains("distance_sigma")) {
                r.distanceSigma = number(c.at("distance_sigma"));
            }
        }
        return Result<ConstructionRecord>::success(std::move(r));
    } catch (const nlohmann::json::exception&) {
        return Result<ConstructionRecord>::failure(std::string(kDamaged) +
                                                   "voci mancanti o di tipo errato");
    } catch (const std::runtime_error& e) {
        return Result<ConstructionRecord>::failure(std::string(kDamaged) + e.what());
    }
}

Result<ConstructionRecord> readConstructionFile(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec) || fs::file_size(path, ec) > kLargestRecord) {
        return Result<ConstructionRecord>::failure("Impossibile leggere la costruzione:\n" + path);
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) {
        return Result<ConstructionRecord>::failure("Impossibile leggere la costruzione:\n" + path);
    }
    return parseConstructionJson(text.str());
}

Result<std::string> fileSha256(const std::string& path) {
    const auto failure = [&] {
        return Result<std::string>::failure("Impossibile leggere il file:\n" + path);
    };
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        return failure();
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> md(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!file || !md || EVP_DigestInit_ex(md.get(), EVP_sha256(), nullptr) != 1) {
        return failure();
    }
    std::vector<unsigned char> buffer(1 << 16);
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0) {
        EVP_DigestUpdate(md.get(), buffer.data(), got);
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (std::ferror(file.get()) || EVP_DigestFinal_ex(md.get(), digest, &length) != 1) {
        return failure();
    }
    static const char* const hex = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < length; ++i) {
        out += hex[digest[i] >> 4];
        out += hex[digest[i] & 15];
    }
    return Result<std::string>::success(out);
}

std::string constructionPathFor(const std::string& imagePath) {
    return fs::path(imagePath).replace_extension(".json").string();
}

std::vector<std::string> constructionsFor(const std::string& photographPath) {
    const fs::path photograph(photographPath);
    std::error_code ec;
    fs::directory_iterator it(photograph.parent_path().empty() ? "." : photograph.parent_path(),
                              ec);
    if (ec) {
        return {};
    }
    std::optional<std::string> checksum;
    std::vector<std::pair<fs::file_time_type, std::string>> found;
    for (const fs::directory_entry& entry : it) {
        if (entry.path().extension() != ".json" || !entry.is_regular_file(ec)) {
            continue;
        }
        const Result<ConstructionRecord> record = readConstructionFile(entry.path().string());
        if (!record.ok() || record.value().photograph != photograph.filename().string()) {
            continue;
        }
        if (!checksum) {
            const Result<std::string> sum = fileSha256(photographPath);
            if (!sum.ok()) {
                return {};
            }
            checksum = sum.value();
        }
        if (record.value().sha256 == *checksum) {
            found.emplace_back(entry.last_write_time(ec), entry.path().string());
        }
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a > b; });
    std::vector<std::string> out;
    for (auto& f : found) {
        out.push_back(std::move(f.second));
    }
    return out;
}

}  // namespace vesta
