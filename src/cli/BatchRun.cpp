#include "cli/BatchRun.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "cli/AutoLinesArgs.h"
#include "cli/HeadlessPlatform.h"
#include "cli/LineArgs.h"
#include "cli/TerminationCleanup.h"
#include "codec/ColourFileWriter.h"
#include "construction/Commands.h"
#include "construction/ExtraLines.h"
#include "construction/PictureInput.h"
#include "files/FilePlacement.h"
#include "geometry/FocalLength.h"
#include "geometry/RadialLens.h"
#include "image/BitmapFile.h"
#include "image/OpenImage.h"
#include "image/TurnPhotograph.h"
#include "rectify/Rectification.h"
#include "rectify/SaveAndPrint.h"
#include "rectify/TurnResult.h"
#include "rectify/WorldFile.h"
#include "sidecar/StateRecord.h"
#include "state/LargePages.h"
#include "state/Numbers.h"
#include "state/Prompts.h"
#include "ui/Startup.h"

namespace vesta {

const char* const kUsage =
    "uso: vesta-rectify INPUT OUTPUT --h1 X1,Y1,X2,Y2 --h2 X1,Y1,X2,Y2\n"
    "                   --v1 X1,Y1,X2,Y2 --v2 X1,Y1,X2,Y2 [--h X1,Y1,X2,Y2]...\n"
    "                   [--v X1,Y1,X2,Y2]... [--centre X,Y]\n"
    "                   [--area X1,Y1,X2,Y2] [--size F] [--interp nearest|bilinear]\n"
    "                   [--click-sigma PX] [--focal35 MM|exif] [--known L,A]\n"
    "                   [--rotate 90|180|270] [--snap] [--lens K1] [--scale X1,Y1,X2,Y2,CM]\n"
    "                   [--json]\n"
    "     vesta-rectify INPUT OUTPUT --auto [--centre X,Y] [--area X1,Y1,X2,Y2] [--size F] ...\n"
    "     vesta-rectify [INPUT] OUTPUT --from COSTRUZIONE.json [--click-sigma PX]\n"
    "                   [--focal35 MM|exif] [--scale X1,Y1,X2,Y2,CM] [--json]\n"
    "     vesta-rectify --help\n"
    "INPUT: bitmap a tavolozza di 8 bit, BMP a colori, JPEG, PNG, TIFF (8 o 16 bit).\n"
    "OUTPUT: il formato secondo l'estensione (.bmp .png .tif .tiff .jpg .jpeg); da una bitmap\n"
    "a tavolozza, BMP con ogni altra estensione. Le fotografie a colori si raddrizzano con\n"
    "interpolazione bilineare, salvo --interp nearest.\n"
    "--known L,A: larghezza e altezza vere in cm (col punto decimale) del rettangolo delimitato\n"
    "dalle quattro rette; si raddrizza con esse, senza costruzione, e la scala (cm per pixel)\n"
    "è nota.\n"
    "--rotate 90|180|270: gira la fotografia di tanti gradi in senso orario, dopo l'orientamento\n"
    "EXIF e prima delle rette; ogni clic è un pixel della fotografia girata.\n"
    "--focal35 MM: la focale equivalente 35 mm, da 4 a 2000 mm; exif: quella che la\n"
    "fotografia dichiara, se è in quei limiti.\n"
    "--snap: ogni retta si aggancia al bordo diritto della fotografia più vicino (entro\n"
    "5 pixel), al decimo di pixel; dove non ce n'è, resta come cliccata.\n"
    "--scale X1,Y1,X2,Y2,CM: due punti dell'immagine raddrizzata (in pixel) e la loro distanza\n"
    "vera in cm: la scala dell'immagine. Con la scala nota (--scale o --known) accanto a OUTPUT\n"
    "si scrive il file di georeferenziazione (.bpw .pgw .tfw .jgw: dimensione del pixel in\n"
    "metri), per inserire l'immagine in un disegno CAD o GIS a grandezza vera.\n"
    "--h, --v: un'altra retta orizzontale o verticale, ripetibili; aggiungono rette a\n"
    "--h1 --h2 --v1 --v2 o ne fanno le veci (almeno due per direzione). Con più di due\n"
    "rette per direzione i punti di fuga si adattano a tutte e si stampano gli scarti\n"
    "di ogni retta in pixel (residuals_h, residuals_v).\n"
    "--lens K1: toglie la distorsione dell'obiettivo (a barilotto K1 > 0, a cuscinetto K1 < 0),\n"
    "da -0.3 a 0.3: il punto non distorto è il punto x (1 + K1 r^2), r la distanza dal centro\n"
    "della fotografia in mezze diagonali; ogni clic è un pixel della fotografia distorta.\n"
    "--auto: le rette si trovano nella fotografia (al posto di --h1 ... --v2, --h, --v): le due\n"
    "più lunghe e distanti di ogni direzione sono le quattro, le altre rette in più. Si\n"
    "stampano (lines_h, lines_v: X1,Y1,X2,Y2 di ogni retta) con i loro scarti.\n";

namespace {

void click(Context& ctx, Click at) {
    PICTURE1_MouseDown(ctx, at.x, at.y, at.viewScale);
    Picture1_MouseUp(ctx, at.x, at.y);
}

// One number written plainly: digits, an optional point and exponent, an optional leading
// minus; no blanks, no plus, no hexadecimal, nothing infinite. The same in every locale.
template <typename T>
std::optional<T> plainNumber(std::string_view text) {
    T v{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, v, std::chars_format::general);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

// Numbers separated by commas, exactly `count` of them, read as the mouse gives them.
std::optional<std::vector<float>> numbers(const std::string& text, std::size_t count) {
    std::vector<float> out;
    std::size_t from = 0;
    while (true) {
        const std::size_t comma = text.find(',', from);
        const auto v = plainNumber<float>(std::string_view(text).substr(
            from, comma == std::string::npos ? std::string::npos : comma - from));
        if (!v) {
            return std::nullopt;
        }
        out.push_back(*v);
        if (comma == std::string::npos) {
            break;
        }
        from = comma + 1;
    }
    if (out.size() != count) {
        return std::nullopt;
    }
    return out;
}

std::string number(double v) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    return buffer;
}

}  // namespace

double sizeAfterSteps(int steps) {
    double g = 1.0;
    for (int i = 0; i < steps; ++i) {
        g = g + 0.1;
        if (g >= 2.0) {
            g = 1.9;
        }
    }
    return g;
}

ParsedArgs parseArgs(const std::vector<std::string>& args) {
    ParsedArgs parsed;
    BatchRequest request;
    std::vector<std::string> files;
    std::vector<std::string> seen;
    LineOptions lines;
    for (const std::string& a : args) {
        if (a == "--help") {
            parsed.help = true;
            return parsed;
        }
    }
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            files.push_back(a);
            continue;
        }
        // A second value for the same thing is a mistake in the script, not a choice.
        if (std::find(seen.begin(), seen.end(), a) != seen.end() && !repeatableLineOption(a)) {
            parsed.error = "opzione ripetuta: " + a;
            return parsed;
        }
        seen.push_back(a);
        if (a == "--json") {
            parsed.json = true;
            continue;
        }
        if (a == "--snap") {
            request.snap = true;
            continue;
        }
        if (readAutoLinesOption(a, request)) {
            continue;
        }
        if (i + 1 >= args.size()) {
            parsed.error = "manca il valore di " + a;
            return parsed;
        }
        const std::string& value = args[++i];
        const auto lineValue = numbers(value, 4);
        bool known = readLineOption(a, lineValue ? &*lineValue : nullptr, lines, parsed.error);
        if (!parsed.error.empty()) {
            return parsed;
        }
        if (a == "--from") {
            parsed.from = value;
            known = true;
        } else if (a == "--centre") {
            const auto v = numbers(value, 2);
            if (!v) {
                parsed.error = "--centre vuole X,Y";
                return parsed;
            }
            request.centre = Click{(*v)[0], (*v)[1]};
            known = true;
        } else if (a == "--area") {
            const auto v = numbers(value, 4);
            if (!v) {
                parsed.error = "--area vuole X1,Y1,X2,Y2";
                return parsed;
            }
            request.area[0] = Click{(*v)[0], (*v)[1]};
            request.area[1] = Click{(*v)[2], (*v)[3]};
            known = true;
        } else if (a == "--interp") {
            if (value != "nearest" && value != "bilinear") {
                parsed.error = "--interp vuole nearest o bilinear";
                return parsed;
            }
            request.bilinear = value == "bilinear";
            known = true;
        } else if (a == "--size") {
            const auto f = plainNumber<double>(value);
            const double steps = f ? std::round((*f - 1.0) * 10) : -1;
            if (!f || !(steps >= 0 && steps <= 9) || std::fabs(*f - (1.0 + steps / 10)) > 1e-9) {
                parsed.error = "--size vuole un fattore da 1.0 a 1.9 a passi di 0.1";
                return parsed;
            }
            request.sizeSteps = int(steps);
            known = true;
        }
        if (a == "--focal35" && value == "exif") {
            request.focal35FromExif = true;
            known = true;
        } else if (a == "--focal35") {
            const auto v = plainNumber<double>(value);
            if (!v || !plausibleFocal35(*v)) {
                parsed.error = "--focal35 vuole la focale equivalente 35 mm, da " +
                               plainForm(kFocal35Min, '.') + " a " + plainForm(kFocal35Max, '.') +
                               " mm, o exif";
                return parsed;
            }
            request.focal35 = *v;
            known = true;
        }
        if (a == "--known") {
            const std::size_t comma = value.find(',');
            const auto w = comma == std::string::npos
                               ? std::nullopt
                               : plainNumber<double>(std::string_view(value).substr(0, comma));
            const auto h = comma == std::string::npos
                               ? std::nullopt
                               : plainNumber<double>(std::string_view(value).substr(comma + 1));
            if (!w || !h || !(*w > 0) || !(*h > 0)) {
                parsed.error = "--known vuole larghezza,altezza in cm, maggiori di zero";
                return parsed;
            }
            request.known = std::array<double, 2>{*w, *h};
            known = true;
        }
        if (a == "--rotate") {
            if (value != "90" && value != "180" && value != "270") {
                parsed.error = "--rotate vuole 90, 180 o 270 (gradi in senso orario)";
                return parsed;
            }
            request.photographTurn = value == "90" ? 1 : value == "180" ? 2 : 3;
            known = true;
        }
        if (a == "--scale") {
            std::array<double, 5> v{};
            std::size_t from = 0;
            bool good = true;
            for (std::size_t k = 0; k < 5 && good; ++k) {
                const std::size_t comma = k < 4 ? value.find(',', from) : value.size();
                const auto n =
                    comma == std::string::npos
                        ? std::nullopt
                        : plainNumber<double>(std::string_view(value).substr(from, comma - from));
                good = n.has_value();
                v[k] = n.value_or(0);
                from = comma + 1;
            }
            if (!good || !scaleFromPair(v[0], v[1], v[2], v[3], v[4])) {
                parsed.error =
                    "--scale vuole X1,Y1,X2,Y2,CM: due punti distinti e la loro distanza in cm, "
                    "maggiore di zero";
                return parsed;
            }
            request.scalePair = v;
            known = true;
        }
        if (a == "--lens") {
            const auto v = plainNumber<double>(value);
            if (!v || !plausibleLensK1(*v)) {
                parsed.error = "--lens vuole il coefficiente K1 della distorsione, da " +
                               plainForm(kLensK1Min, '.') + " a " + plainForm(kLensK1Max, '.');
                return parsed;
            }
            request.lensK1 = *v;
            known = true;
        }
        if (a == "--click-sigma") {
            const auto v = plainNumber<double>(value);
            if (!v || !(*v > 0)) {
                parsed.error = "--click-sigma vuole uno scarto in pixel maggiore di zero";
                return parsed;
            }
            request.clickSigma = *v;
            known = true;
        }
        if (!known) {
            parsed.error = "opzione sconosciuta: " + a;
            return parsed;
        }
    }
    if (parsed.from) {
        // The kept construction holds every click; the photograph is found beside it unless
        // given.
        if (files.empty() || files.size() > 2) {
            parsed.error = "con --from servono il file di uscita e, se si vuole, la fotografia";
        } else if (seen.size() > 1u + (parsed.json ? 1u : 0u) + (request.clickSigma ? 1u : 0u) +
                                     (request.focal35 || request.focal35FromExif ? 1u : 0u) +
                                     (request.scalePair ? 1u : 0u)) {
            parsed.error =
                "--from non si combina con rette, centro, area, grandezza, interpolazione, "
                "rotazione, obiettivo o aggancio ai bordi";
        } else {
            request.input = files.size() == 2 ? files[0] : "";
            request.output = files.back();
            parsed.request = request;
        }
        return parsed;
    }
    if (files.size() != 2) {
        parsed.error = "servono un file di ingresso e uno di uscita";
        return parsed;
    }
    // The edges are sought on the bent photograph, the lines drawn in the straightened plane.
    if (request.snap && request.lensK1) {
        parsed.error = "--snap non si combina con --lens";
        return parsed;
    }
    parsed.error =
        request.autoLines ? autoLinesConflict(lines, request) : assignLines(lines, request);
    if (!parsed.error.empty()) {
        return parsed;
    }
    request.input = files[0];
    request.output = files[1];
    parsed.request = request;
    return parsed;
}

namespace {

// Why OUTPUT must not be written, or nothing: it is the photograph itself, under any name or
// link, or it is not a regular file. Both are refused before any work is done.
std::optional<std::string> outputRefusal(const BatchRequest& request) {
    struct stat out {};
    if (::stat(request.output.c_str(), &out) != 0) {
        return std::nullopt;
    }
    struct stat in {};
    if (::stat(request.input.c_str(), &in) == 0 && in.st_dev == out.st_dev &&
        in.st_ino == out.st_ino) {
        return "Il file di uscita " + request.output +
               " è la fotografia di ingresso: scegliere un altro nome.";
    }
    std::string why;
    if (!canReplace(request.output, why)) {
        return "Impossibile scrivere il file " + request.output + ": " + why + ".";
    }
    return std::nullopt;
}

// The construction the window would let the user rectify: Raddrizza enabled and the panel not
// saying that it is impossible.
// The palette result in the scratch file as red, green and blue; empty when unreadable.
ColourImage expandedResult(const std::string& scratch) {
    ColourImage out;
    const Result<SourceBitmap> read = readSourceBitmap(scratch);
    if (!read.ok()) {
        return out;
    }
    const IndexedImage& image = read.value().image;
    out.width = image.width;
    out.height = image.height;
    resizeImageBuffer(out.samples8, out.rowSamples() * std::size_t(out.height));
    std::uint8_t* to = out.samples8.data();
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* row = image.row(y);
        for (int x = 0; x < image.width; ++x) {
            const Rgb c = image.colour(row[x]);
            *to++ = c.r;
            *to++ = c.g;
            *to++ = c.b;
        }
    }
    return out;
}

bool rectifiable(const Context& ctx) {
    return ctx.form.RADDRIZZA.enabled && ctx.form.domanda1.caption != prompts::kImpossibile;
}

// OUTPUT's temporary file, made before any work; a stopping signal removes it while it lives.
struct OutputTemporary {
    explicit OutputTemporary(const std::string& target) : file(target) {
        rememberLeftover(Leftover::OutputTemporary, file.temporaryPath());
    }
    ~OutputTemporary() { forgetLeftover(Leftover::OutputTemporary); }
    OutputTemporary(const OutputTemporary&) = delete;
    OutputTemporary& operator=(const OutputTemporary&) = delete;
    PendingFile file;
};

}  // namespace

BatchResult runBatch(const BatchRequest& request, const std::string& scratchDir) {
    BatchResult result;
    if (const auto why = outputRefusal(request)) {
        result.message = *why;
        return result;
    }
    // A world file will go beside OUTPUT: a file of the user's at its name is found now.
    std::string error;
    if ((request.scalePair || request.known) && !worldFileMayGo(request.output, error)) {
        result.message = "Impossibile scrivere il file di georeferenziazione: " + error + ".";
        return result;
    }
    // A folder that cannot take OUTPUT is found now, not after the computing.
    std::optional<OutputTemporary> output;
    {
        const TerminationHeld held;
        output.emplace(request.output);
    }
    if (!output->file.ready(error)) {
        result.message = "Impossibile scrivere il file " + request.output + " (" + error + ").";
        return result;
    }
    BlindPicture picture1, picture2;
    AnsweringDialogs dialogs(request.input);
    QuietEventLoop events;
    Context ctx(picture1, picture2, dialogs, events, Paths{"", scratchDir, scratchDir});
    Form_Load(ctx, ScreenInfo{1024 * 15.0, 768 * 15.0, 15.0, 15.0});
    // A colour result goes into the scratch file already in OUTPUT's format, band by band.
    const Result<ColourFileFormat> format = colourFormatForPath(request.output);
    if (format.ok()) {
        ctx.s.formatoRisultato = request.output;
    }
    if (request.bilinear) {
        ctx.s.bilineare = *request.bilinear;
    }
    ctx.clickSigma = request.clickSigma.value_or(0);
    ctx.s.agganciaBordi = request.snap;

    // The road as the user walks it. After each step, the state it leaves says whether it was
    // refused; the messages it showed then say why.
    struct Step {
        std::function<void()> act;
        std::function<bool()> done;
    };
    // Known measures need the four lines only: the construction may be refused.
    const auto constructed = [&] { return request.known ? ctx.s.nRette == 4 : rectifiable(ctx); };
    // A click on the bent photograph, as the construction takes it: in the undistorted plane
    // of the photograph as now turned.
    const auto put = [&](Click at) {
        if (ctx.s.lensK1 && !request.clicksUndistorted) {
            const Point u =
                RadialLens::ofPhotograph(*ctx.s.lensK1, ctx.s.larghezzaSorg(), ctx.s.altezzaSorg())
                    .undistorted({at.x, at.y});
            at.x = float(u.x);
            at.y = float(u.y);
        }
        click(ctx, at);
    };
    std::vector<Step> road;
    // Opening forgets a focal length given for another photograph: this one's comes after.
    road.push_back(
        {[&] {
             open_Click(ctx);
             ctx.focal35 = request.focal35FromExif ? ctx.s.exifFocal35 : request.focal35;
             ctx.s.lensK1 = request.lensK1;
             if (request.focal35FromExif && !ctx.focal35 && ctx.s.nomeFile == request.input) {
                 dialogs.messages.push_back(
                     "La fotografia non dichiara la sua focale: --focal35 exif non "
                     "si può usare.");
             } else if (request.focal35FromExif && ctx.focal35 && !plausibleFocal35(*ctx.focal35)) {
                 dialogs.messages.push_back(
                     "La fotografia dichiara una focale equivalente di " +
                     plainForm(*ctx.focal35, '.') + " mm, fuori dai limiti (da " +
                     plainForm(kFocal35Min, '.') + " a " + plainForm(kFocal35Max, '.') +
                     " mm): --focal35 exif non si può usare.");
                 ctx.focal35.reset();
             }
         },
         [&] {
             return ctx.s.nomeFile == request.input && (ctx.focal35 || !request.focal35FromExif);
         }});
    if (request.photographTurn != 0) {
        road.push_back({[&] { turnPhotograph(ctx, request.photographTurn); },
                        [&] { return ctx.s.photographTurn == request.photographTurn; }});
    }
    road.push_back({[&] {
                        if (request.autoLines) {
                            takeFoundLines(ctx);
                            return;
                        }
                        for (const auto& line : request.lines) {
                            put(line[0]);
                            put(line[1]);
                        }
                        for (const ExtraLineClicks& line : request.extraLines) {
                            (line.horizontal ? altraRettaOrizz_Click : altraRettaVert_Click)(ctx);
                            put(line.ends[0]);
                            put(line.ends[1]);
                        }
                    },
                    constructed});
    if (request.centre) {
        road.push_back({[&] {
                            CENTRO_Click(ctx);
                            put(*request.centre);
                        },
                        constructed});
    }
    for (int i = 0; i < request.sizeSteps; ++i) {
        road.push_back({[&] { GRANDEZZA_SpinUp(ctx); }, constructed});
    }
    if (request.exactSize) {
        road.push_back({[&] { setSizeFactor(ctx, *request.exactSize); }, constructed});
    }
    if (request.area[0]) {
        road.push_back({[&] {
                            RETTANG3(ctx);
                            put(*request.area[0]);
                            put(*request.area[1]);
                        },
                        constructed});
    }
    road.push_back({[&] {
                        ctx.s.misureNote = request.known;
                        RADDR1(ctx);
                    },
                    [&] { return ctx.s.raddrAvviato == 1; }});
    if (request.resultTurn != 0) {
        // The turned result is made from the whole image in memory, as the window turns it.
        picture2.keep = true;
        road.push_back({[&] { turnResult(ctx, request.resultTurn); },
                        [&] { return ctx.s.resultTurn == request.resultTurn; }});
    }

    bool good = true;
    road.insert(road.begin() + 1, Step{[] {},
                                       [&] {
                                           // A colour photograph is written only in a format named
                                           // by OUTPUT's extension; a palette one goes by extension
                                           // too, BMP when unknown.
                                           if (ctx.s.aColori() && !format.ok()) {
                                               dialogs.messages.push_back(format.error());
                                               return false;
                                           }
                                           return true;
                                       }});
    for (const Step& step : road) {
        const std::size_t before = dialogs.messages.size();
        step.act();
        if (step.done()) {
            continue;
        }
        for (std::size_t i = before; i < dialogs.messages.size(); ++i) {
            result.message += (result.message.empty() ? "" : "\n") + dialogs.messages[i];
        }
        if (result.message.empty()) {
            result.message = prompts::kImpossibile;
        }
        good = false;
        break;
    }
    const std::string scratch = ctx.paths.scratchFile();
    const bool bmpOutput = !format.ok() || format.value() == ColourFileFormat::Bmp;
    if (good && !ctx.s.aColori() && !bmpOutput) {
        // A palette result in another format: its colours, from the finished bitmap.
        const ColourImage colours = expandedResult(scratch);
        std::error_code ignored;
        std::filesystem::remove(scratch, ignored);
        const bool placed = output->file.place(
            [&](int fd, std::string& why) {
                why = writeColourImage(fd, colours, format.value());
                return why.empty();
            },
            error);
        if (!placed) {
            result.message = "Impossibile scrivere il file " + request.output + " (" + error + ").";
            good = false;
        }
    } else if (good && !output->file.placeFrom(scratch, error)) {
        result.message = "Impossibile scrivere il file " + request.output + " (" + error + ").";
        good = false;
    }
    if (!good) {
        // The scratch folder is this run's own: what is left in it is this run's too.
        std::error_code ignored;
        std::filesystem::remove(scratch, ignored);
        return result;
    }
    if (request.scalePair) {
        const auto& p = *request.scalePair;
        ctx.s.scala = *scaleFromPair(p[0], p[1], p[2], p[3], p[4]);
    }
    if (ctx.s.scala > 0 && !writeWorldFile(request.output, ctx.s.scala, error)) {
        result.message = "Impossibile scrivere il file " + worldFilePathFor(request.output) + " (" +
                         error + ").";
        return result;
    }
    result.ok = true;
    if (ctx.s.fotoColori && format.ok()) {
        result.notice = profileNotice(format.value(), ctx.s.fotoColori->iccProfile.size());
    }
    // The numbers of the construction, without a second copy of the photograph.
    ctx.s.sorgente = SourceBitmap{};
    ctx.s.immagineRaddrizzata = IndexedImage{};
    ctx.s.fotoColori = nullptr;
    ctx.s.risultatoColori = ColourImage{};
    result.state = std::move(ctx.s);
    return result;
}

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
    std::string out = json ? "{" : "";
    bool first = true;
    const auto add = [&](const char* name, const std::string& value) {
        if (json) {
            out += std::string(first ? "" : ", ") + "\"" + name + "\": " + value;
        } else {
            out += std::string(name) + ": " + value + "\n";
        }
        first = false;
    };
    for (const auto& [name, value] : values) {
        add(name, number(value));
    }
    // How sure the proportions are: an indeterminate ratio has no number.
    add("aspect_sigma",
        s.aspectIndeterminate ? (json ? "null" : "indeterminato") : number(s.aspectSigma));
    add("distance_sigma",
        s.aspectIndeterminate ? (json ? "null" : "indeterminato") : number(s.distanceSigma));
    // Known measures give the scale, or two points and their distance.
    if (s.scala > 0) {
        add("cm_per_pixel", number(s.scala));
    }
    // How far each line moved onto its edge: h1, h2, v1, v2, none where no edge was found.
    if (s.agganciaBordi) {
        std::string shifts;
        for (int k = 1; k <= 4; ++k) {
            const std::optional<double> shift = s.edgeShift(k);
            shifts += std::string(k == 1 ? ""
                                  : json ? ", "
                                         : " ") +
                      (shift  ? number(*shift)
                       : json ? "null"
                              : "nessuno");
        }
        add("snap_shift_px", json ? "[" + shifts + "]" : shifts);
    }
    // Each line's distance from its fitted vanishing point, once there are further lines.
    for (const auto& [name, residuals] :
         {std::pair{"residuals_h", &s.residualsH}, std::pair{"residuals_v", &s.residualsV}}) {
        if (residuals->empty()) {
            continue;
        }
        std::string list;
        for (const double r : *residuals) {
            list += (list.empty() ? "" : json ? ", " : " ") + number(r);
        }
        add(name, json ? "[" + list + "]" : list);
    }
    if (s.lensK1) {
        add("lens_k1", number(*s.lensK1));
    }
    if (s.linesFound) {
        out += listedLines(s, json);
    }
    return json ? out + "}\n" : out;
}

}  // namespace vesta
