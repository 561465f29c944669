#include "rectify/PrintAtScale.h"

#include <filesystem>

#include "rectify/PrintLayout.h"
#include "state/ScalePrintJob.h"

namespace vesta {

namespace {

constexpr const char* kTitle = "STAMPA IN SCALA";

}  // namespace

std::optional<double> resultScale(const Context& ctx) {
    const WorkingState& s = ctx.s;
    const bool resultOnShow =
        ctx.form.Picture2.visible && !ctx.form.Picture1.visible &&
        (s.resultFile == ResultFile::Unsaved || s.resultFile == ResultFile::Saved) &&
        (s.immagineRaddrizzata.width > 0 || s.risultatoColori.width > 0);
    if (!resultOnShow || !(s.scala > 0)) {
        return std::nullopt;
    }
    return s.scala;
}

void stampaScala_Click(Context& ctx) {
    const std::optional<double> scale = resultScale(ctx);
    if (!scale) {
        return;
    }
    std::vector<std::string> choices;
    for (const int n : kUsualPrintScales) {
        choices.push_back(scaleText(n));
    }
    const std::optional<std::string> typed = ctx.dialogs.chooseOrType(
        "Scala di stampa (per esempio 1:100, oppure 1:75 o 75):", kTitle, choices, scaleText(100));
    if (!typed) {
        return;
    }
    const std::optional<int> denominator = typedPrintScale(*typed);
    if (!denominator) {
        ctx.dialogs.messageBox("Scala non valida: \"" + *typed +
                                   "\".\nScrivere la scala come 1:75 oppure 75, con un numero "
                                   "intero da 1 a 100000.",
                               kTitle, MessageIcon::Warning);
        return;
    }
    const WorkingState& s = ctx.s;
    ScalePrintJob job;
    if (s.risultatoColori.width > 0) {
        job.colour = &s.risultatoColori;
    } else {
        job.palette = &s.immagineRaddrizzata;
    }
    job.cmPerPixel = *scale;
    job.denominator = *denominator;
    job.name = std::filesystem::path(s.nomeFile).filename().string();
    ctx.dialogs.printAtScale(job);
}

}  // namespace vesta
