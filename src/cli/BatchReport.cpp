#include "cli/BatchReport.h"

#include "cli/AutoLinesArgs.h"
#include "cli/LensExif.h"

#include "state/Numbers.h"

namespace vesta {

namespace {

// One name and its value, as a "name: value" line or a member of the JSON object.
class Report {
  public:
    explicit Report(bool json) : json_(json), out_(json ? "{" : "") {}

    void add(const char* name, const std::string& value) {
        if (json_) {
            out_ += std::string(first_ ? "" : ", ") + "\"" + name + "\": " + value;
        } else {
            out_ += std::string(name) + ": " + value + "\n";
        }
        first_ = false;
    }
    // A list of values: a JSON array, or the values separated by blanks; `none` stands for a
    // missing one, null in JSON.
    void addList(const char* name, const std::vector<std::optional<double>>& values,
                 const char* none) {
        std::string list;
        for (std::size_t k = 0; k < values.size(); ++k) {
            list += std::string(k == 0  ? ""
                                : json_ ? ", "
                                        : " ") +
                    (values[k] ? exactForm(*values[k])
                     : json_   ? "null"
                               : none);
        }
        add(name, json_ ? "[" + list + "]" : list);
    }
    // A number that may be indeterminate: null in JSON, "indeterminato" in the lines.
    void addSure(const char* name, double value, bool indeterminate) {
        add(name, indeterminate ? (json_ ? "null" : "indeterminato") : exactForm(value));
    }
    std::string text() const { return json_ ? out_ + "}\n" : out_; }

  private:
    bool json_;
    bool first_ = true;
    std::string out_;
};

}  // namespace

std::string describe(const WorkingState& s, bool json) {
    static const Construction none;
    const Construction& c = s.construction ? *s.construction : none;
    const std::pair<const char*, double> values[] = {
        {"fugaOrizzX", c.fughe.vh.x},
        {"fugaOrizzY", c.fughe.vh.y},
        {"fugaVertX", c.fughe.vv.x},
        {"fugaVertY", c.fughe.vv.y},
        {"centroX", s.centroX},
        {"centroY", s.centroY},
        {"distanzaPrinc", c.orientation.distanzaPrinc},
        {"pox", c.orientation.po.x},
        {"poy", c.orientation.po.y},
        {"pvx", c.orientation.pv.x},
        {"pvy", c.orientation.pv.y},
        {"angoloRifX", c.frame.rif.x},
        {"angoloRifY", c.frame.rif.y},
        // A result by known measures has its own size, whatever the construction's.
        {"largOut", s.scalaNota > 0 ? s.largRaddr : c.frame.largOut},
        {"altOut", s.scalaNota > 0 ? s.altRaddr : c.frame.altOut},
    };
    Report report(json);
    for (const auto& [name, value] : values) {
        report.add(name, exactForm(value));
    }
    // How sure the proportions are: an indeterminate ratio has no number.
    report.addSure("aspect_sigma", s.aspectSigma, s.aspectIndeterminate);
    report.addSure("distance_sigma", s.distanceSigma, s.aspectIndeterminate);
    // Known measures give the scale, or two points and their distance.
    if (s.scala > 0) {
        report.add("cm_per_pixel", exactForm(s.scala));
    }
    // How far each line moved onto its edge: h1, h2, v1, v2, none where no edge was found.
    if (s.agganciaBordi) {
        std::vector<std::optional<double>> shifts;
        for (int k = 1; k <= 4; ++k) {
            shifts.push_back(s.edgeShift(k));
        }
        report.addList("snap_shift_px", shifts, "nessuno");
    }
    // Each line's distance from its fitted vanishing point, once there are further lines.
    for (const auto& [name, residuals] :
         {std::pair{"residuals_h", &s.residualsH}, std::pair{"residuals_v", &s.residualsV}}) {
        if (!residuals->empty()) {
            report.addList(name, {residuals->begin(), residuals->end()}, "");
        }
    }
    if (s.lensK1) {
        report.add("lens_k1", exactForm(*s.lensK1));
    }
    for (const auto& [name, value] : lensDescription(s, json)) {
        report.add(name.c_str(), value);
    }
    if (s.lensK1 && s.lensFitRms) {
        report.add("lens_fit_rms_px", exactForm(*s.lensFitRms));
    }
    if (s.linesFound) {
        for (const auto& [name, value] : listedLines(s, json)) {
            report.add(name.c_str(), value);
        }
    }
    return report.text();
}

}  // namespace vesta
