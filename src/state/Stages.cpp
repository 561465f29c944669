#include "state/Stages.h"

#include <array>
#include <cstdint>

namespace vesta {

namespace {

// What a command is in one stage: off, on, or on when a fact holds.
enum class Offer : std::uint8_t {
    Off,
    On,
    IfLine,
    IfNoLine,
    IfFourLines,
    IfMeasures,
    IfResult,
    IfColour,
    IfStray,
    IfScale,
};

bool holds(Offer offer, const StageFacts& f) {
    switch (offer) {
        case Offer::Off:
            return false;
        case Offer::On:
            return true;
        case Offer::IfLine:
            return f.lineGiven;
        case Offer::IfNoLine:
            return !f.lineGiven;
        case Offer::IfFourLines:
            return f.fourLines;
        case Offer::IfMeasures:
            return f.knownMeasures;
        case Offer::IfResult:
            return f.resultKept;
        case Offer::IfColour:
            return f.colour;
        case Offer::IfStray:
            return f.strayLine;
        case Offer::IfScale:
            return f.scaleKnown;
    }
    return false;
}

using Flag = bool& (*)(FormModel&);

template <auto Member>
bool& enabled(FormModel& f) {
    return (f.*Member).enabled;
}

template <auto Member>
bool& visible(FormModel& f) {
    return (f.*Member).visible;
}

enum class Refresh : bool { OnEntry, EveryEvent };

struct Row {
    Flag flag;
    std::array<Offer, kStages> offer;
    Refresh refresh = Refresh::OnEntry;
};

using enum Offer;
using F = FormModel;
constexpr Refresh kEveryEvent = Refresh::EveryEvent;

// One row a command, one column a stage: none, lines, construction, area, rectifying, result,
// measuring. With no photograph the menus are as the window is designed. While rows are computed
// nothing may start another rectification, change the construction, nor save or print the
// unfinished result; Canc. stops them.
const Row kTable[] = {
    // The panel's buttons.
    {enabled<&F::cancella>, {Off, IfLine, On, On, On, On, On}},
    // Known measures kept for the four lines rectify without the construction; on a result the
    // button is Misura.
    {enabled<&F::RADDRIZZA>, {Off, IfMeasures, IfMeasures, On, Off, On, On}},
    {visible<&F::RADDRIZZA>, {On, On, On, On, Off, On, On}},
    {enabled<&F::GRIGLIA>, {Off, Off, Off, On, Off, Off, Off}},
    {visible<&F::GRIGLIA>, {On, On, On, On, Off, Off, Off}},
    {enabled<&F::RETTANG>, {Off, Off, On, On, Off, Off, Off}},
    {visible<&F::RETTANG>, {On, On, On, On, Off, Off, Off}},
    {enabled<&F::CENTRO>, {Off, Off, On, On, Off, Off, Off}},
    {visible<&F::CENTRO>, {On, On, On, On, Off, Off, Off}},
    {enabled<&F::MISURENOTE>, {Off, IfFourLines, IfFourLines, IfFourLines, Off, Off, Off}},
    {visible<&F::zoo>, {Off, On, On, On, Off, On, On}},
    // The size arrows come with the vanishing points; a size step while rows are computed is
    // taken by the next rectification.
    {visible<&F::GRANDEZZA>, {Off, Off, On, On, On, On, On}},
    {visible<&F::Text3>, {Off, Off, On, On, Off, On, On}},
    {visible<&F::Text4>, {Off, Off, Off, Off, On, Off, Off}},
    {enabled<&F::Picture1>, {On, On, On, On, Off, On, On}},
    // File.
    {enabled<&F::save>, {Off, IfResult, IfResult, IfResult, Off, On, On}},
    {enabled<&F::stampaScala>, {Off, Off, Off, Off, Off, IfScale, IfScale}, kEveryEvent},
    // Edit.
    {enabled<&F::canc>, {Off, On, On, On, On, Off, Off}},
    {enabled<&F::centro1>, {Off, Off, Off, On, Off, Off, Off}},
    {enabled<&F::area>, {Off, Off, Off, On, Off, Off, Off}},
    {enabled<&F::griglia2>, {Off, Off, Off, On, Off, Off, Off}},
    {enabled<&F::focale>, {Off, On, On, On, On, On, On}},
    // Snapping is chosen before the first line, so that every line of a construction is taken
    // the same way (and its record replays them so); a turn of the photograph would throw the
    // lines away.
    {enabled<&F::agganciaBordi>, {On, IfNoLine, Off, Off, Off, Off, Off}, kEveryEvent},
    // The lines standing are taken out of a new coefficient again, until rows are computed.
    {enabled<&F::distorsioneK1>, {Off, On, On, On, Off, Off, Off}},
    {enabled<&F::correggiDistorsione>, {Off, IfLine, On, On, Off, Off, Off}},
    {enabled<&F::ruotaDestra>, {Off, IfNoLine, Off, Off, Off, On, On}, kEveryEvent},
    {enabled<&F::ruotaSinistra>, {Off, IfNoLine, Off, Off, Off, On, On}, kEveryEvent},
    {enabled<&F::capovolgi>, {Off, IfNoLine, Off, Off, Off, On, On}, kEveryEvent},
    // Further lines join the four, never a result.
    {enabled<&F::altraRettaOrizz>, {Off, IfFourLines, IfFourLines, IfFourLines, Off, Off, Off}},
    {enabled<&F::altraRettaVert>, {Off, IfFourLines, IfFourLines, IfFourLines, Off, Off, Off}},
    {enabled<&F::togliRetta>, {Off, IfStray, IfStray, IfStray, Off, Off, Off}},
    // Points along a line standing, until a result is computed from it.
    {enabled<&F::altriPunti>, {Off, IfLine, On, On, Off, Off, Off}},
    // Raddrizza.
    {enabled<&F::raddrizza1>, {Off, Off, On, On, Off, On, On}},
    {enabled<&F::start>, {On, IfMeasures, IfMeasures, On, Off, Off, Off}},
    // Back to the photograph while a result of it is kept.
    {visible<&F::altra>, {Off, IfResult, IfResult, IfResult, Off, On, On}},
    // Only a grey or colour photograph is interpolated; a palette bitmap takes the nearest pixel.
    {enabled<&F::bilineare>, {Off, IfColour, IfColour, IfColour, IfColour, IfColour, IfColour}},
    {enabled<&F::misureNote>, {Off, IfFourLines, IfFourLines, IfFourLines, Off, Off, Off}},
    // Print.
    {enabled<&F::print1>, {Off, On, On, On, Off, On, On}},
};

}  // namespace

Stage stageOf(const WorkingState& s) {
    if (s.resultFile == ResultFile::Writing) {
        return Stage::Rectifying;
    }
    if (s.nRaddr > 1) {
        return Stage::Measuring;
    }
    if (s.nRaddr == 1) {
        return Stage::Result;
    }
    if (s.fughe) {
        return s.construction ? Stage::Area : Stage::Construction;
    }
    if (s.larghezzaSorg() > 0 || s.nRette > 0) {
        return Stage::DrawingLines;
    }
    return Stage::NoPhotograph;
}

void applyStage(FormModel& form, Stage stage, const StageFacts& facts, Rows rows) {
    for (const Row& row : kTable) {
        if (rows == Rows::EveryEvent && row.refresh != Refresh::EveryEvent) {
            continue;
        }
        row.flag(form) = holds(row.offer[std::size_t(stage)], facts);
    }
}

const char* stageName(Stage stage) {
    static constexpr const char* kNames[kStages] = {
        "no photograph", "lines", "construction", "area", "rectifying", "result", "measuring"};
    return kNames[std::size_t(stage)];
}

}  // namespace vesta
