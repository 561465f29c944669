#include "cli/LensExif.h"

#include <cstdio>

#include "geometry/RadialLens.h"
#include "sidecar/LensRecord.h"
#include "state/Numbers.h"

namespace vesta {

namespace {

// A database's name as a JSON string: quotes, backslashes and control characters escaped.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(c));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

std::optional<std::string> takeRequestedLens(Context& ctx, const BatchRequest& request) {
    WorkingState& s = ctx.s;
    if (request.lensFromExif) {
        if (!s.lensOffered) {
            return (s.lensNotOffered.empty() ? "La fotografia non dichiara il suo obiettivo."
                                             : s.lensNotOffered) +
                   " --lens exif non si può usare.";
        }
        s.lensProfile = s.lensOffered;
    } else {
        s.lensProfile = request.lensProfile;
    }
    if (s.lensProfile && !RadialLens::ofProfile(*s.lensProfile, s.larghezzaSorg(), s.altezzaSorg())
                              .bendsWholePhotograph(s.larghezzaSorg(), s.altezzaSorg())) {
        s.lensProfile.reset();
        return std::string(
            "La distorsione dell'obiettivo ripiega la fotografia su se stessa: non "
            "si può togliere.");
    }
    return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> lensDescription(const WorkingState& s, bool json) {
    std::vector<std::pair<std::string, std::string>> out;
    if (!s.lensProfile) {
        return out;
    }
    const LensProfile& p = *s.lensProfile;
    const auto text = [&](const std::string& t) { return json ? quoted(t) : t; };
    out.emplace_back("lens_model", text(lensModelName(p.model)));
    std::string terms;
    for (const double t : p.terms) {
        terms += (terms.empty() ? "" : json ? ", " : " ") + exactForm(t);
    }
    out.emplace_back("lens_terms", json ? "[" + terms + "]" : terms);
    out.emplace_back("lens", text(p.lens));
    out.emplace_back("lens_camera", text(p.camera));
    out.emplace_back("lens_focal_mm", exactForm(p.focalMm));
    return out;
}

}  // namespace vesta
