#include "image/OpenImage.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <new>

#include "codec/CameraFile.h"
#include "construction/ConstructionState.h"
#include "construction/FocalLengthCommand.h"
#include "geometry/FocalLength.h"
#include "image/BitmapFile.h"
#include "image/Scrolling.h"
#include "rectify/ScratchFile.h"
#include "rectify/UnsavedResult.h"
#include "sidecar/KeepConstruction.h"
#include "state/Numbers.h"
#include "state/Prompts.h"

namespace vesta {

namespace {

void placeScrollBarsOfSource(Context& ctx) {
    FormModel& f = ctx.form;
    f.VScroll1.visible = false;
    f.HScroll1.visible = false;
    showScrollBars(f, f.VScroll1, f.HScroll1, f.Picture1, ctx.s.larghezzaPic1, ctx.s.altezzaPic1,
                   visibleRegion(ctx.s));
}

// A regular file whose first bytes are those of a JPEG, PNG, TIFF or colour bitmap: read (and,
// when damaged, told about) by the camera reader.
bool knownCameraKind(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    char head[32] = {};
    in.read(head, sizeof head);
    const CameraFormat kind =
        sniffCameraFormat(reinterpret_cast<const std::uint8_t*>(head), std::size_t(in.gcount()));
    return kind != CameraFormat::Unknown && kind != CameraFormat::PaletteBitmap;
}

}  // namespace

namespace {

// A photograph as read from its file, before anything of the window changes.
struct ReadPhotograph {
    Result<SourceBitmap> bitmap = Result<SourceBitmap>::success(SourceBitmap{});
    std::shared_ptr<const ColourImage> colour;
    std::optional<double> declaredFocal;
};

// Reads the file alone, away from the window: a palette bitmap, or a file of no kind the
// camera reader knows, goes the bitmap road; any other is decoded as a camera file.
ReadPhotograph readPhotograph(const std::string& path, std::uint64_t decodeBytes) {
    ReadPhotograph r;
    try {
        if (knownCameraKind(path)) {
            Result<CameraPhoto> photo = readCameraFile(path, DecodeLimits{decodeBytes});
            if (!photo.ok()) {
                r.bitmap = Result<SourceBitmap>::failure(photo.error());
            } else if (photo.value().paletteBitmap) {
                r.bitmap = readSourceBitmap(path);
            } else {
                r.declaredFocal = equivalentFocal35(photo.value().facts);
                r.colour = std::make_shared<const ColourImage>(std::move(photo.value().image));
            }
        } else {
            r.bitmap = readSourceBitmap(path);
        }
    } catch (const std::bad_alloc&) {
        r.colour.reset();
        r.bitmap = Result<SourceBitmap>::failure("Memoria insufficiente per aprire la fotografia.");
    }
    return r;
}

// The photograph read, put on show in place of the work there.
void showPhotograph(Context& ctx, const std::string& chosen, ReadPhotograph read,
                    void (*shown)(Context&)) {
    FormModel& f = ctx.form;
    WorkingState& s = ctx.s;
    PictureArea& p = ctx.picture1;

    // The previous result goes with its photograph: saved already, or chosen not to be.
    if (s.resultFile != ResultFile::Writing) {
        discardScratchFile(ctx);
        s.resultFile = ResultFile::None;
    }
    std::shared_ptr<const ColourImage> colour = std::move(read.colour);
    const int width = colour ? colour->width : read.bitmap.value().image.width;
    const int height = colour ? colour->height : read.bitmap.value().image.height;

    f.domanda1.caption = prompts::kStoCaricando;
    f.Picture2.visible = false;
    f.Picture1.visible = false;
    f.Picture1.pointer = MousePointer::Hourglass;
    f.pointer = MousePointer::Hourglass;

    if (colour) {
        p.setPicture(*colour);
    } else {
        p.setPicture(read.bitmap.value().image);
    }
    // A scrolled-away picture would leave the new image partly off screen with no bar to reach
    // it: a new photograph always starts at the top-left corner.
    f.Picture1.left = 0;
    f.Picture1.top = 0;
    f.HScroll1.value = 0;
    f.VScroll1.value = 0;
    f.Picture1.width = width;
    f.Picture1.height = height;

    s.nomeFile = chosen;
    s.photographTurn = 0;
    s.lensK1.reset();
    f.domanda1.caption = prompts::kStoCaricando;
    f.tfuox.caption = "fuox";
    f.tfuoy.caption = "fuoy";
    f.tfuvx.caption = "fuvx";
    f.tfuvy.caption = "fuvy";
    f.caption = "Raddrizzamento di   ' " + s.nomeFile + " '";

    s.fotoColori = std::move(colour);
    s.risultatoColori = ColourImage{};
    // Only a grey or colour photograph is interpolated; a palette bitmap takes the nearest pixel.
    f.bilineare.enabled = s.fotoColori != nullptr;
    // A measured length's ± belongs to the previous photograph's result.
    f.incertezzaMisura.caption.clear();
    f.bordi.caption.clear();
    LEGGI_img(ctx, std::move(read.bitmap.value()));

    startConstructionOver(ctx);
    s.exifFocal35 = read.declaredFocal;
    focalLengthForNewPhotograph(ctx);
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
    ctx.events.inBackground(
        [read, path = *chosen, bytes = ctx.decodeBytes] { *read = readPhotograph(path, bytes); },
        [&ctx, read, path = *chosen, opening, before, shown] {
            WorkingState& s = ctx.s;
            if (s.openings != opening) {
                return;  // a later opening took its place
            }
            s.openingUnderWay = 0;
            if (!read->bitmap.ok()) {
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
        ++ctx.s.openings;
        ctx.s.openingUnderWay = 0;
    }
}

void startConstructionOver(Context& ctx) {
    FormModel& f = ctx.form;
    WorkingState& s = ctx.s;
    PictureArea& p = ctx.picture1;
    s.altezzaPic1 = float(f.Picture1.height);
    s.larghezzaPic1 = float(f.Picture1.width);

    f.cancella.caption = "Canc.";
    f.Label1.visible = true;
    f.Label1.caption = "Immagine sorgente";
    f.zoo.visible = true;
    f.CENTRO.enabled = false;
    f.CENTRO.visible = true;
    f.focale.enabled = true;
    f.RETTANG.visible = true;
    f.GRIGLIA.visible = true;
    f.Text3.visible = false;
    f.RADDRIZZA.caption = "Raddrizza";
    f.RADDRIZZA.tooltip = "opera il raddrizzamento";  // not Misura's of a previous result
    f.RADDRIZZA.enabled = false;

    placeScrollBarsOfSource(ctx);

    s.modoClick = ClickMode::LineEnd;
    s.nRette = 0;
    s.extraLines.clear();
    s.proposedLines[0].clear();
    s.proposedLines[1].clear();
    s.linesFound = false;
    s.extraLineHorizontal.reset();
    // A first point left pending on the previous photograph must not become half of a line
    // on this one.
    s.attesaSecondo = 0;
    s.primoMovimento = 1;
    for (int i = 1; i <= 4; ++i) {
        f.Text6[i].caption = "m" + std::to_string(i);
    }
    s.nRaddr = 0;
    s.raddrAvviato = 0;
    // Nothing of the previous photograph's construction stands on this one.
    constructionChanged(ctx, ConstructionStage::None);
    // As at start: no bars of a rectified image, no size arrows before a construction.
    f.VScroll2.visible = false;
    f.HScroll2.visible = false;
    f.GRANDEZZA.visible = false;

    f.Picture1.pointer = MousePointer::Cross;
    f.pointer = MousePointer::Default;
    f.Picture1.enabled = true;
    f.Picture1.visible = true;
    p.refresh();

    p.setForeColor(colours::red);
    p.setDrawMode(DrawMode::CopyPen);
    p.box(20, 40, 120, 140);
    p.circle(70, 90, 50);

    s.centroX = s.larghezzaPic1 / 2.0;
    s.centroY = s.altezzaPic1 / 2.0;
    f.tfuvy.caption = "";
    const float cx = float(s.centroX);
    const float cy = float(s.centroY);
    p.circle(cx, cy, 2);
    p.line(cx, 0, cx, s.altezzaPic1);
    p.line(0, cy, s.larghezzaPic1, cy);

    s.grandezza = 1.0;
    s.setDefaultArea();
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

    f.raddrizza1.enabled = false;
    f.edit.visible = true;
    f.edit.enabled = true;
    f.area.enabled = false;
    f.griglia2.enabled = false;
    f.canc.enabled = true;
    f.centro1.enabled = false;
    f.save.enabled = hasResult(s);
    f.print1.enabled = true;
}

}  // namespace vesta
