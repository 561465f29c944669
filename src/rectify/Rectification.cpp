#include "rectify/Rectification.h"

#include <cmath>
#include <filesystem>

#include "construction/ConstructionState.h"
#include "construction/ProportionsNotice.h"
#include "geometry/Construction.h"
#include "geometry/Uncertainty.h"
#include "image/BitmapFile.h"
#include "image/Scrolling.h"
#include "rectify/KnownMeasuresRectification.h"
#include "rectify/ResultRows.h"
#include "rectify/RowRectifier.h"
#include "rectify/ScratchFile.h"
#include "state/Numbers.h"
#include "state/Prompts.h"

namespace vesta {

namespace {

constexpr const char* kTitle = "IMPOSSIBILE RADDRIZZARE";

constexpr const char* kTooWide = "Immagine troppo grande; selezionare un'area più piccola";

constexpr const char* kNoConstruction =
    "Non c'è una costruzione completa per questa immagine: definire le quattro rette, il punto "
    "principale e l'area di calcolo";

// The reason an output of this size cannot be computed, or nothing.
const char* sizeRefusal(const Frame& f) {
    if (f.altOut > kMaxSide) {
        return "Immagine troppo alta (più di 32767 righe); selezionare un'area più piccola";
    }
    if (f.largOut < 1 || f.altOut < 1) {
        return "L'immagine raddrizzata sarebbe vuota; selezionare un'area più grande";
    }
    if (f.divRighe.size() < std::size_t(f.altOut) + 1 ||
        f.divColonne.size() < std::size_t(f.largOut) + 1) {
        return "Costruzione incompleta: ridefinire le rette e l'area di calcolo";
    }
    return nullptr;
}

// The scratch file could not be written: nothing is shown, the photograph and its
// construction are back as they were before the command.
void abandon(Context& ctx, const std::string& why) {
    WorkingState& s = ctx.s;
    FormModel& f = ctx.form;
    discardScratchFile(ctx);
    s.nRaddr -= 1;
    s.raddrAvviato = 0;
    offerStageCommands(ctx);
    f.Picture1.pointer = MousePointer::Cross;
    f.pointer = MousePointer::Default;
    f.domanda1.caption = prompts::kImpossibile;
    ctx.dialogs.messageBox(why, kTitle, MessageIcon::Critical);
}

// A photograph opened while the rows were computed: the result is thrown away and the window
// stays as the opening left it, but for what the start of the rectification hid.
void discardForTheNewPhotograph(Context& ctx) {
    discardScratchFile(ctx);
    offerStageCommands(ctx);
}

void showResult(Context& ctx, const RectifyInputs& in, IndexedImage&& result, bool colour) {
    WorkingState& s = ctx.s;
    FormModel& f = ctx.form;
    f.Picture2.top = 0;
    f.Picture2.left = 0;
    f.domanda1.caption = prompts::kHoFinito;
    s.raddrAvviato = 1;
    f.cancella.caption = "Altra ?";
    f.VScroll1.visible = false;
    f.HScroll1.visible = false;
    // The sizes computed with, whatever a size step changed while the rows were computed.
    s.altRaddr = in.altOut;
    s.largRaddr = toInteger16(in.largOut);
    if (colour) {
        ctx.picture2.setPicture(s.risultatoColori);
    } else {
        ctx.picture2.setPicture(result);
    }
    s.immagineRaddrizzata = std::move(result);
    f.Picture2.height = s.altRaddr;
    f.Picture2.width = s.largRaddr;
    f.HScroll2.value = 0;
    f.VScroll2.value = 0;

    showScrollBars(f, f.VScroll2, f.HScroll2, f.Picture2, s.largRaddr, s.altRaddr,
                   visibleRegion(s));
    f.Picture1.visible = false;
    f.Picture2.visible = true;
    f.Picture2.left = 0;
    f.sendToBack(f.Picture2);
    ctx.picture2.setDrawMode(DrawMode::Black);
    f.bringToFront(f.Label1);
    f.Label1.visible = true;
    f.Label1.caption = "Immagine raddrizzata";
}

void resultState(Context& ctx) {
    FormModel& f = ctx.form;
    f.RADDRIZZA.caption = "Misura";
    f.RADDRIZZA.tooltip = " Stabilisce una scala per le misurazioni dell'immagine";
    enterStage(ctx, ctx.s.nRaddr > 1 ? Stage::Measuring : Stage::Result);
    f.domanda1.caption = prompts::kVuoiMisurare;
}

void finishRectifying(Context& ctx, const RectifyInputs& in, IndexedImage&& result,
                      const HeaderBlock& header, bool colour);
void afterRectifying(Context& ctx);

// The end of computing the rows, the same on every road: a photograph opened meanwhile
// discards the result, a file that could not be written is abandoned with its message; else
// the beep and the photograph's pointer back. True when the result stands.
bool rowsWritten(Context& ctx, RowsOutcome rows, const std::string& scratch) {
    if (rows == RowsOutcome::AnotherPhotograph) {
        discardForTheNewPhotograph(ctx);
        return false;
    }
    if (rows == RowsOutcome::NotOpened) {
        abandon(ctx, "Impossibile creare il file dell'immagine raddrizzata:\n" + scratch);
        return false;
    }
    if (rows == RowsOutcome::OutOfMemory) {
        abandon(ctx,
                "Memoria insufficiente per scrivere l'immagine raddrizzata: selezionare un'area "
                "più piccola.");
        return false;
    }
    if (rows != RowsOutcome::Written) {
        abandon(ctx,
                "Impossibile scrivere il file dell'immagine raddrizzata (disco pieno o "
                "senza permessi):\n" +
                    scratch);
        return false;
    }
    ctx.events.beep();
    FormModel& f = ctx.form;
    f.Picture1.pointer = MousePointer::Cross;
    f.pointer = MousePointer::Default;
    return true;
}

// The palette result read back only where it is seen: a batch run keeps no more than one
// output row.
bool readBack(Context& ctx, const std::string& scratch, IndexedImage& result) {
    if (ctx.picture2.shown()) {
        Result<SourceBitmap> shown = readSourceBitmap(scratch);
        if (!shown.ok()) {
            abandon(ctx, "Impossibile rileggere l'immagine raddrizzata:\n" + scratch);
            return false;
        }
        result = std::move(shown.value().image);
    }
    return true;
}

// The window while the rows are computed: the result's size, the progress, the hourglass.
void showComputing(Context& ctx, const RectifyInputs& in) {
    FormModel& f = ctx.form;
    f.tfuox.caption = strForm(floorInt(in.largOut)) + "x";
    f.tfuoy.caption = strForm(floorInt(in.altOut)) + "y";
    f.tfuox.tooltip = "Dimensione in X dell'immagine raddrizzata";
    f.tfuoy.tooltip = "Dimensione in Y dell'immagine raddrizzata";
    ctx.s.raddrAvviato = 1;
    f.Picture1.pointer = MousePointer::Hourglass;
    f.domanda1.caption = prompts::kStoCalcolando;
}

// A result by known measures has their scale, and the panel's figure is this mapping's, not
// the construction's.
void knownMeasuresScale(Context& ctx, const KnownMeasuresFrame& known) {
    WorkingState& s = ctx.s;
    s.scala = known.cmPerPixel;
    s.scalaNota = known.cmPerPixel;
    ConstructionClicks clicks = ConstructionClicks::from(s);
    if (ctx.clickSigma > 0) {
        clicks.setClickSigma(ctx.clickSigma);
    }
    const KnownMeasuresUncertainty u =
        knownMeasuresUncertainty(clicks, (*s.misureNote)[0], (*s.misureNote)[1], fittedBend(s));
    s.scalaNotaSigma = u.scaleSigma;
    showAspectUncertainty(ctx, u.aspectSigma, u.indeterminate);
}

}  // namespace

namespace {

// The known measures' own frame, when they rectify this time: the construction is not needed.
// `refusal` says why they cannot.
std::optional<KnownMeasuresFrame> knownFrame(const WorkingState& s, std::string& refusal) {
    if (s.nRaddr != 1 || !s.misureNote) {
        return std::nullopt;
    }
    Result<KnownMeasuresFrame> frame = knownMeasuresFrameOf(s);
    if (!frame.ok()) {
        refusal = frame.error();
    } else if (frame.value().largOut > (s.aColori() ? kMaxSide : 3000)) {
        refusal = kTooWide;
    } else {
        return frame.value();
    }
    return std::nullopt;
}

// Why the command cannot go on, or nothing: no construction, or a result too large or empty.
// Measuring a result (a second press) needs only the construction's width.
std::string refusalOf(const WorkingState& s, std::optional<KnownMeasuresFrame>& known) {
    std::string refusal;
    known = knownFrame(s, refusal);
    const double largOut = s.construction ? s.construction->frame.largOut : 0;
    if (!refusal.empty() || known || (s.nRaddr > 1 && s.scalaNota > 0)) {
        // the frame's own size was checked; measuring needs no construction either
        return refusal;
    }
    if (s.nRaddr == 1 && !s.construction) {
        return kNoConstruction;
    }
    if (largOut > (s.aColori() ? kMaxSide : 3000)) {
        return kTooWide;
    }
    const char* why = s.nRaddr == 1 ? sizeRefusal(s.construction->frame) : nullptr;
    return why ? why : "";
}

// A new result has no scale until it is measured: an earlier one's would measure it, and
// place it in a drawing, wrongly.
void forgetTheScale(WorkingState& s) {
    s.scalaNota = 0;
    s.scala = 0;
    s.misuraCm.clear();
    s.resultTurn = 0;
}

// The state the result was made from, for Save's record: a copy without the photograph's and
// the result's pixels, which the record never reads (a colour photograph stands as an empty
// one, so that the copy holds no photograph in memory after another is opened).
void keepWhatTheResultIsMadeFrom(Context& ctx) {
    WorkingState& s = ctx.s;
    SourceBitmap photograph = std::move(s.sorgente);
    IndexedImage shown = std::move(s.immagineRaddrizzata);
    ColourImage colours = std::move(s.risultatoColori);
    s.resultMadeFrom.reset();
    auto made = std::make_shared<WorkingState>(s);
    if (made->fotoColori) {
        made->fotoColori = std::make_shared<const ColourImage>();
    }
    s.sorgente = std::move(photograph);
    s.immagineRaddrizzata = std::move(shown);
    s.risultatoColori = std::move(colours);
    s.resultMadeFrom = std::move(made);
    s.resultFocal35 = ctx.focal35;
}

// Computes a new result into the window's scratch file and shows it. Every rectification
// makes the scratch file anew; a file there that this window did not make is left alone.
void rectifyAnew(Context& ctx, const std::optional<KnownMeasuresFrame>& known) {
    WorkingState& s = ctx.s;
    forgetTheScale(s);
    const RectifyInputs in = known ? knownMeasuresInputs(*known) : RectifyInputs::from(s);
    showComputing(ctx, in);
    const std::string scratch = ctx.paths.scratchFile();
    discardScratchFile(ctx);
    std::error_code ignored;
    std::filesystem::create_directories(ctx.paths.scratchDir, ignored);
    const HeaderBlock header = s.sorgente.intestazione;
    if (!createExclusively(scratch)) {
        abandon(ctx, "Impossibile creare il file dell'immagine raddrizzata:\n" + scratch);
        return;
    }
    s.resultFile = ResultFile::Writing;
    enterStage(ctx, Stage::Rectifying);
    s.risultatoColori = ColourImage{};
    if (!rowsWritten(ctx, rectifyIntoScratch(ctx, in, known, scratch), scratch)) {
        return;
    }
    IndexedImage result;
    if (!s.aColori() && !readBack(ctx, scratch, result)) {
        return;
    }
    finishRectifying(ctx, in, std::move(result), header, s.aColori());
    if (known) {
        knownMeasuresScale(ctx, *known);
    }
    keepWhatTheResultIsMadeFrom(ctx);
}

}  // namespace

void RADDR1(Context& ctx) {
    WorkingState& s = ctx.s;
    // One rectification at a time: a command handled during the loop's yield starts no other.
    if (s.resultFile == ResultFile::Writing) {
        return;
    }
    s.interrompi = 0;
    ctx.picture1.setDrawMode(DrawMode::Invert);
    s.nRaddr += 1;
    std::optional<KnownMeasuresFrame> known;
    const std::string why = refusalOf(s, known);
    if (!why.empty()) {
        ctx.dialogs.messageBox(why, kTitle, MessageIcon::Critical);
        s.nRaddr -= 1;
        return;
    }
    if (s.nRaddr > 1) {
        s.raddrAvviato = 1;
        afterRectifying(ctx);
        return;
    }
    rectifyAnew(ctx, known);
}

namespace {

void finishRectifying(Context& ctx, const RectifyInputs& in, IndexedImage&& result,
                      const HeaderBlock& header, bool colour) {
    WorkingState& s = ctx.s;
    s.resultFile = ResultFile::Unsaved;
    s.resultHeader = header;
    showResult(ctx, in, std::move(result), colour);
    afterRectifying(ctx);
}

void afterRectifying(Context& ctx) {
    WorkingState& s = ctx.s;
    FormModel& f = ctx.form;
    resultState(ctx);
    if (s.nRaddr > 1) {
        f.domanda1.caption = prompts::kDuePunti;
        for (Control* c : {&f.Text6[1], &f.Text6[2], &f.Text6[3], &f.Text6[4], &f.tfuox, &f.tfuoy,
                           &f.tfuvx, &f.tfuvy}) {
            c->caption = "";
        }
        s.nMisura = 0;
    }
}

}  // namespace

}  // namespace vesta
