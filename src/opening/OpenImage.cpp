#include "opening/OpenImage.h"

#include <memory>

#include "construction/ConstructionState.h"
#include "construction/FocalLengthCommand.h"
#include "construction/LensCorrection.h"
#include "construction/StartOver.h"
#include "image/Scrolling.h"
#include "opening/ReadPhotograph.h"
#include "rectify/ScratchFile.h"
#include "rectify/UnsavedResult.h"
#include "sidecar/KeepConstruction.h"
#include "state/FitScale.h"
#include "state/Numbers.h"
#include "state/Prompts.h"

namespace vesta {

namespace {

// The photograph read, in Picture1 at the top-left corner: a scrolled-away picture would leave
// the new image partly off screen with no bar to reach it.
void putInPicture1(Context& ctx, const ReadPhotograph& read) {
    FormModel& f = ctx.form;
    const ColourImage* colour = read.colour.get();
    f.domanda1.caption = prompts::kStoCaricando;
    f.Picture2.visible = false;
    f.Picture1.visible = false;
    f.Picture1.pointer = MousePointer::Hourglass;
    f.pointer = MousePointer::Hourglass;

    if (colour) {
        ctx.picture1.setPicture(*colour);
    } else {
        ctx.picture1.setPicture(read.bitmap.value().image);
    }
    f.Picture1.left = 0;
    f.Picture1.top = 0;
    f.HScroll1.value = 0;
    f.VScroll1.value = 0;
    f.Picture1.width = colour ? colour->width : read.bitmap.value().image.width;
    f.Picture1.height = colour ? colour->height : read.bitmap.value().image.height;
}

// The caption and the panel's boxes of a photograph just opened, none of the previous one's.
void showNewPhotographPanel(Context& ctx) {
    FormModel& f = ctx.form;
    WorkingState& s = ctx.s;
    f.domanda1.caption = prompts::kStoCaricando;
    f.tfuox.caption = "fuox";
    f.tfuoy.caption = "fuoy";
    f.tfuvx.caption = "fuvx";
    f.tfuvy.caption = "fuvy";
    f.caption = "Raddrizzamento di   ' " + s.nomeFile + " '";
    // A measured length's ± belongs to the previous photograph's result.
    f.incertezzaMisura.caption.clear();
    f.bordi.caption.clear();
}

// The first view of the photograph being read, fitted to the window as the photograph will be;
// not once it is read or given up.
void showFirstView(Context& ctx, int opening, const JpegFirstView& view) {
    if (ctx.s.openingUnderWay != opening) {
        return;
    }
    const VisibleRegion v = visibleRegion(ctx.s);
    ctx.picture1.showFirstView(view.image, view.width, view.height,
                               fittingScale(view.width, view.height, v.width, v.height));
}

// The photograph read, put on show in place of the work there.
void showPhotograph(Context& ctx, const std::string& chosen, ReadPhotograph read,
                    void (*shown)(Context&)) {
    WorkingState& s = ctx.s;
    // The previous result goes with its photograph: saved already, or chosen not to be.
    if (s.resultFile != ResultFile::Writing) {
        discardScratchFile(ctx);
        s.resultFile = ResultFile::None;
    }
    putInPicture1(ctx, read);

    s.nomeFile = chosen;
    s.photographTurn = 0;
    s.lensK1.reset();
    s.lensFitRms.reset();
    s.lensFitSpread.reset();
    s.lensProfile.reset();
    s.pointsAlong.clear();
    s.fotoColori = std::move(read.colour);
    s.risultatoColori = ColourImage{};
    showNewPhotographPanel(ctx);
    LEGGI_img(ctx, std::move(read.bitmap.value()));

    startConstructionOver(ctx);
    s.exifFocal35 = read.declaredFocal;
    focalLengthForNewPhotograph(ctx);
    offerLensProfile(ctx, read.lens);
    if (shown) {
        shown(ctx);
    }
    // Asked over the new photograph, once it is painted; not when another came meanwhile.
    const std::string opened = s.nomeFile;
    ctx.events.whenShown([&ctx, opened] {
        if (ctx.s.nomeFile == opened) {
            offerKeptConstruction(ctx);
        }
    });
}

}  // namespace

void open_Click(Context& ctx) {
    openPhotograph(ctx, nullptr);
}

void openPhotograph(Context& ctx, void (*shown)(Context&)) {
    FormModel& f = ctx.form;
    WorkingState& s = ctx.s;

    // One photograph is read at a time (the window takes no input meanwhile).
    if (s.openingUnderWay != 0 || !resultMayGo(ctx, Leaving::AnotherPhotograph)) {
        return;
    }
    const std::optional<std::string> chosen =
        ctx.dialogs.openFile(ctx.paths.samplesDir(), kPhotographPattern);
    s.altezzaBarra = toInteger16(f.HScroll1.height);
    if (!chosen) {
        return;
    }
    // The dialog has gone: the window says at once that it loads, and stays drawn while the
    // file is read. Nothing of the work on show changes until the photograph is in, so a file
    // that cannot be read leaves it as it was.
    struct Before {
        std::string prompt;
        MousePointer window, photograph;
    };
    const Before before{f.domanda1.caption, f.pointer, f.Picture1.pointer};
    f.domanda1.caption = prompts::kStoCaricando;
    f.pointer = MousePointer::Hourglass;
    f.Picture1.pointer = MousePointer::Hourglass;
    const int opening = ++s.openings;
    s.openingUnderWay = opening;
    auto read = std::make_shared<ReadPhotograph>();
    // Where the window is drawn while the file is read, a reduced first view of a large JPEG
    // shows in a fraction of the time; the clicks still wait for the photograph itself.
    FirstViewWanted wanted;
    if (auto meanwhile = ctx.events.meanwhile(); meanwhile && ctx.picture1.shown()) {
        const VisibleRegion v = visibleRegion(s);
        wanted.width = v.width;
        wanted.height = v.height;
        wanted.show = [&ctx, opening, meanwhile](std::shared_ptr<JpegFirstView> view) {
            meanwhile([&ctx, opening, view] { showFirstView(ctx, opening, *view); });
        };
    }
    ctx.events.inBackground(
        [read, path = *chosen, bytes = ctx.decodeBytes, wanted, lens = ctx.lookUpLens] {
            *read = readPhotograph(path, bytes, wanted, lens);
        },
        [&ctx, read, path = *chosen, opening, before, shown] {
            WorkingState& s = ctx.s;
            if (s.openings != opening) {
                return;  // a later opening took its place
            }
            s.openingUnderWay = 0;
            if (!read->bitmap.ok()) {
                ctx.picture1.dropFirstView();
                ctx.form.domanda1.caption = before.prompt;
                ctx.form.pointer = before.window;
                ctx.form.Picture1.pointer = before.photograph;
                ctx.dialogs.messageBox(
                    "Impossibile aprire il file\n" + path + "\n\n" + read->bitmap.error(),
                    "IMMAGINE NON CARICATA", MessageIcon::Critical);
                return;
            }
            showPhotograph(ctx, path, std::move(*read), shown);
        });
}

void abandonOpening(Context& ctx) {
    if (ctx.s.openingUnderWay != 0) {
        ctx.picture1.dropFirstView();
        ++ctx.s.openings;
        ctx.s.openingUnderWay = 0;
    }
}

void LEGGI_img(Context& ctx, SourceBitmap bitmap) {
    FormModel& f = ctx.form;
    WorkingState& s = ctx.s;
    f.domanda1.caption = prompts::kStoCaricando;
    s.sorgente = std::move(bitmap);

    f.tfuox.caption = strForm(s.larghezzaSorg()) + " x";
    f.tfuoy.caption = strForm(s.altezzaSorg()) + " y";
    f.tfuox.tooltip = "Dimensione in X dell'immagine sorgente";
    f.tfuoy.tooltip = "Dimensione in Y dell'immagine sorgente";

    f.bringToFront(f.Label4);
    f.Label4.visible = true;
    f.Label4.caption = "Immagine sorgente";
    f.domanda1.caption = prompts::kDueRetteOrizz;
}

}  // namespace vesta
