#include "cli/BatchArgs.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

#include "cli/AutoLinesArgs.h"
#include "cli/LensExif.h"
#include "cli/LineArgs.h"
#include "geometry/FocalLength.h"
#include "geometry/RadialLens.h"
#include "rectify/WorldFile.h"
#include "state/Numbers.h"

namespace vesta {

const char* const kUsage =
    "uso: vesta-rectify INPUT OUTPUT --h1 X1,Y1,X2,Y2 --h2 X1,Y1,X2,Y2\n"
    "                   --v1 X1,Y1,X2,Y2 --v2 X1,Y1,X2,Y2 [--h X1,Y1,X2,Y2]...\n"
    "                   [--v X1,Y1,X2,Y2]... [--centre X,Y]\n"
    "                   [--area X1,Y1,X2,Y2] [--size F] [--interp nearest|bilinear]\n"
    "                   [--click-sigma PX] [--focal35 MM|exif] [--known L,A]\n"
    "                   [--rotate 90|180|270] [--snap] [--lens K1|fit|exif]\n"
    "                   [--scale X1,Y1,X2,Y2,CM] [--json]\n"
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
    "--h, --v: un'altra retta orizzontale o verticale, ripetibili (al più 500 rette oltre le\n"
    "quattro); aggiungono rette a --h1 --h2 --v1 --v2 o ne fanno le veci (almeno due per\n"
    "direzione). Con più di due rette per direzione i punti di fuga si adattano a tutte e si\n"
    "stampano gli scarti di ogni retta in pixel (residuals_h, residuals_v).\n"
    "--lens K1: toglie la distorsione dell'obiettivo (a barilotto K1 > 0, a cuscinetto K1 < 0),\n"
    "da -0.3 a 0.3: il punto non distorto è il punto x (1 + K1 r^2), r la distanza dal centro\n"
    "della fotografia in mezze diagonali; ogni clic è un pixel della fotografia distorta.\n"
    "Ogni retta (--h1 ... --v2, --h, --v) può avere altri punti lungo di essa:\n"
    "X1,Y1,X2,Y2,X3,Y3,... Senza --lens va dal primo all'ultimo; con --lens passa per tutti.\n"
    "--lens fit: K1 si trova come quello che rende più diritte le rette date con più di due\n"
    "punti, poi si toglie come con --lens K1; si stampano lens_k1 e lens_fit_rms_px, lo scarto\n"
    "quadratico medio in pixel dei punti dalle loro rette raddrizzate.\n"
    "--lens exif: toglie la distorsione che il database degli obiettivi (lensfun) dà per la\n"
    "fotocamera, l'obiettivo e la focale che la fotografia dichiara; se non li ha, rifiuta.\n"
    "Con --snap il bordo di ogni retta si cerca lungo la sua immagine curva; con --lens fit K1\n"
    "si trova dai punti dei bordi agganciati.\n"
    "--auto: le rette si trovano nella fotografia (al posto di --h1 ... --v2, --h, --v): le due\n"
    "più lunghe e distanti di ogni direzione sono le quattro, le altre rette in più. Si\n"
    "stampano (lines_h, lines_v: X1,Y1,X2,Y2 di ogni retta) con i loro scarti. Con --lens\n"
    "le rette si cercano fuori dalla distorsione; con --lens fit K1 si trova dai loro bordi.\n";

namespace {

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

// Numbers separated by commas, exactly `count` of them (any number for 0), read as the mouse
// gives them.
template <typename T = float>
std::optional<std::vector<T>> numbers(const std::string& text, std::size_t count) {
    std::vector<T> out;
    std::size_t from = 0;
    while (true) {
        const std::size_t comma = text.find(',', from);
        const auto v = plainNumber<T>(std::string_view(text).substr(
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
    if (count != 0 && out.size() != count) {
        return std::nullopt;
    }
    return out;
}

// Reads one option's value into the request; the Italian message when the value will not do.
using ValueReader = std::string (*)(const std::string& value, BatchRequest& request);

std::string readCentre(const std::string& value, BatchRequest& request) {
    const auto v = numbers(value, 2);
    if (!v) {
        return "--centre vuole X,Y";
    }
    request.centre = Click{(*v)[0], (*v)[1]};
    return "";
}

std::string readArea(const std::string& value, BatchRequest& request) {
    const auto v = numbers(value, 4);
    if (!v) {
        return "--area vuole X1,Y1,X2,Y2";
    }
    request.area[0] = Click{(*v)[0], (*v)[1]};
    request.area[1] = Click{(*v)[2], (*v)[3]};
    return "";
}

std::string readInterp(const std::string& value, BatchRequest& request) {
    if (value != "nearest" && value != "bilinear") {
        return "--interp vuole nearest o bilinear";
    }
    request.bilinear = value == "bilinear";
    return "";
}

std::string readSize(const std::string& value, BatchRequest& request) {
    const auto f = plainNumber<double>(value);
    const double steps = f ? std::round((*f - 1.0) * 10) : -1;
    if (!f || !(steps >= 0 && steps <= 9) || std::fabs(*f - (1.0 + steps / 10)) > 1e-9) {
        return "--size vuole un fattore da 1.0 a 1.9 a passi di 0.1";
    }
    request.sizeSteps = int(steps);
    return "";
}

std::string readFocal35(const std::string& value, BatchRequest& request) {
    if (value == "exif") {
        request.focal35FromExif = true;
        return "";
    }
    const auto v = plainNumber<double>(value);
    if (!v || !plausibleFocal35(*v)) {
        return "--focal35 vuole la focale equivalente 35 mm, da " + plainForm(kFocal35Min, '.') +
               " a " + plainForm(kFocal35Max, '.') + " mm, o exif";
    }
    request.focal35 = *v;
    return "";
}

std::string readKnown(const std::string& value, BatchRequest& request) {
    const auto v = numbers<double>(value, 2);
    if (!v || !((*v)[0] > 0) || !((*v)[1] > 0)) {
        return "--known vuole larghezza,altezza in cm, maggiori di zero";
    }
    request.known = std::array<double, 2>{(*v)[0], (*v)[1]};
    return "";
}

std::string readRotate(const std::string& value, BatchRequest& request) {
    if (value != "90" && value != "180" && value != "270") {
        return "--rotate vuole 90, 180 o 270 (gradi in senso orario)";
    }
    request.photographTurn = value == "90" ? 1 : value == "180" ? 2 : 3;
    return "";
}

std::string readScale(const std::string& value, BatchRequest& request) {
    const auto v = numbers<double>(value, 5);
    if (!v || !scaleFromPair((*v)[0], (*v)[1], (*v)[2], (*v)[3], (*v)[4])) {
        return "--scale vuole X1,Y1,X2,Y2,CM: due punti distinti e la loro distanza in cm, "
               "maggiore di zero";
    }
    request.scalePair = std::array<double, 5>{(*v)[0], (*v)[1], (*v)[2], (*v)[3], (*v)[4]};
    return "";
}

std::string readLens(const std::string& value, BatchRequest& request) {
    if (value == "fit") {
        request.lensFit = true;
        return "";
    }
    if (value == kLensFromExif) {
        request.lensFromExif = true;
        return "";
    }
    const auto v = plainNumber<double>(value);
    if (!v || !plausibleLensK1(*v)) {
        return "--lens vuole il coefficiente K1 della distorsione, da " +
               plainForm(kLensK1Min, '.') + " a " + plainForm(kLensK1Max, '.');
    }
    request.lensK1 = *v;
    return "";
}

std::string readClickSigma(const std::string& value, BatchRequest& request) {
    const auto v = plainNumber<double>(value);
    if (!v || !(*v > 0)) {
        return "--click-sigma vuole uno scarto in pixel maggiore di zero";
    }
    request.clickSigma = *v;
    return "";
}

struct ValueOption {
    const char* flag;
    ValueReader read;
};

constexpr ValueOption kValueOptions[] = {
    {"--centre", readCentre},   {"--area", readArea},
    {"--interp", readInterp},   {"--size", readSize},
    {"--focal35", readFocal35}, {"--known", readKnown},
    {"--rotate", readRotate},   {"--scale", readScale},
    {"--lens", readLens},       {"--click-sigma", readClickSigma},
};

// Reads one option that takes a value; false when `flag` is none of them. --from is kept
// beside the request: the construction it names replaces the clicks.
bool readValueOption(const std::string& flag, const std::string& value, LineOptions& lines,
                     ParsedArgs& parsed, BatchRequest& request) {
    const auto lineValue = numbers(value, 0);
    if (readLineOption(flag, lineValue ? &*lineValue : nullptr, lines, parsed.error) ||
        !parsed.error.empty()) {
        return true;
    }
    if (flag == "--from") {
        parsed.from = value;
        return true;
    }
    for (const ValueOption& option : kValueOptions) {
        if (flag == option.flag) {
            parsed.error = option.read(value, request);
            return true;
        }
    }
    return false;
}

// The files after a --from: the output, and the photograph when not the one beside the
// record. Only the options that do not change the clicks go with it.
void finishFromRecord(const std::vector<std::string>& files, std::size_t options,
                      ParsedArgs& parsed, BatchRequest& request) {
    if (files.empty() || files.size() > 2) {
        parsed.error = "con --from servono il file di uscita e, se si vuole, la fotografia";
    } else if (options > 1u + (parsed.json ? 1u : 0u) + (request.clickSigma ? 1u : 0u) +
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
}

// The files and the lines of a run that gives its clicks.
void finishClicks(const std::vector<std::string>& files, const LineOptions& lines,
                  ParsedArgs& parsed, BatchRequest& request) {
    if (files.size() != 2) {
        parsed.error = "servono un file di ingresso e uno di uscita";
        return;
    }
    parsed.error = request.autoLines ? autoLinesConflict(lines) : assignLines(lines, request);
    if (parsed.error.empty()) {
        request.input = files[0];
        request.output = files[1];
        parsed.request = request;
    }
}

}  // namespace

ParsedArgs parseArgs(const std::vector<std::string>& args) {
    ParsedArgs parsed;
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
        parsed.help = true;
        return parsed;
    }
    BatchRequest request;
    std::vector<std::string> files;
    std::vector<std::string> seen;
    LineOptions lines;
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
        if (readAutoLinesOption(a, request)) {
            continue;
        }
        if (a == "--json" || a == "--snap") {
            (a == "--json" ? parsed.json : request.snap) = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            parsed.error = "manca il valore di " + a;
            return parsed;
        }
        if (!readValueOption(a, args[++i], lines, parsed, request)) {
            parsed.error = "opzione sconosciuta: " + a;
        }
        if (!parsed.error.empty()) {
            return parsed;
        }
    }
    if (parsed.from) {
        finishFromRecord(files, seen.size(), parsed, request);
    } else {
        finishClicks(files, lines, parsed, request);
    }
    return parsed;
}

}  // namespace vesta
