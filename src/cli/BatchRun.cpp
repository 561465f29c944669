#include "cli/BatchRun.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "cli/HeadlessPlatform.h"
#include "construction/Commands.h"
#include "construction/PictureInput.h"
#include "image/OpenImage.h"
#include "rectify/Rectification.h"
#include "rectify/SaveAndPrint.h"
#include "ui/Startup.h"

namespace vesta {

namespace fs = std::filesystem;

const char* const kUsage =
    "uso: vesta-rectify INPUT.bmp OUTPUT.bmp --h1 X1,Y1,X2,Y2 --h2 X1,Y1,X2,Y2\n"
    "                   --v1 X1,Y1,X2,Y2 --v2 X1,Y1,X2,Y2 [--centre X,Y]\n"
    "                   [--area X1,Y1,X2,Y2] [--size F] [--json]\n";

namespace {

void click(Context& ctx, Click at) {
    PICTURE1_MouseDown(ctx, at.x, at.y);
    Picture1_MouseUp(ctx, at.x, at.y);
}

// Numbers separated by commas, exactly `count` of them, read as the mouse gives them.
std::optional<std::vector<float>> numbers(const std::string& text, std::size_t count) {
    std::vector<float> out;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        float v = 0;
        const char* end = item.data() + item.size();
        const auto read = std::from_chars(item.data(), end, v);
        if (item.empty() || read.ec != std::errc() || read.ptr != end || !std::isfinite(v)) {
            return std::nullopt;
        }
        out.push_back(v);
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
    bool lines[4] = {false, false, false, false};
    const char* lineNames[4] = {"--h1", "--h2", "--v1", "--v2"};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json") {
            parsed.json = true;
            continue;
        }
        if (a.rfind("--", 0) != 0) {
            files.push_back(a);
            continue;
        }
        if (i + 1 >= args.size()) {
            parsed.error = "manca il valore di " + a;
            return parsed;
        }
        const std::string& value = args[++i];
        bool known = false;
        for (int k = 0; k < 4; ++k) {
            if (a == lineNames[k]) {
                const auto v = numbers(value, 4);
                if (!v) {
                    parsed.error = a + " vuole X1,Y1,X2,Y2";
                    return parsed;
                }
                request.lines[k][0] = {(*v)[0], (*v)[1]};
                request.lines[k][1] = {(*v)[2], (*v)[3]};
                lines[k] = known = true;
            }
        }
        if (a == "--centre") {
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
        } else if (a == "--size") {
            double f = 0;
            const char* end = value.data() + value.size();
            const auto read = std::from_chars(value.data(), end, f);
            const double steps = std::round((f - 1.0) * 10);
            if (read.ec != std::errc() || read.ptr != end || !(steps >= 0 && steps <= 9) ||
                std::fabs(f - (1.0 + steps / 10)) > 1e-9) {
                parsed.error = "--size vuole un fattore da 1.0 a 1.9 a passi di 0.1";
                return parsed;
            }
            request.sizeSteps = int(steps);
            known = true;
        }
        if (!known) {
            parsed.error = "opzione sconosciuta: " + a;
            return parsed;
        }
    }
    if (files.size() != 2) {
        parsed.error = "servono un file di ingresso e uno di uscita";
        return parsed;
    }
    for (int k = 0; k < 4; ++k) {
        if (!lines[k]) {
            parsed.error = std::string("manca ") + lineNames[k];
            return parsed;
        }
    }
    request.input = files[0];
    request.output = files[1];
    parsed.request = request;
    return parsed;
}

BatchResult runBatch(const BatchRequest& request, const std::string& scratchDir) {
    BlindPicture picture1, picture2;
    AnsweringDialogs dialogs(request.input);
    QuietEventLoop events;
    Context ctx(picture1, picture2, dialogs, events, Paths{"", scratchDir, scratchDir});
    Form_Load(ctx, ScreenInfo{1024 * 15.0, 768 * 15.0, 15.0, 15.0});
    BatchResult result;
    const auto refused = [&] {
        result.message = dialogs.message;
        return !dialogs.message.empty();
    };

    open_Click(ctx);
    if (refused()) {
        return result;
    }
    for (const auto& line : request.lines) {
        click(ctx, line[0]);
        click(ctx, line[1]);
    }
    if (request.centre) {
        CENTRO_Click(ctx);
        click(ctx, *request.centre);
    }
    for (int i = 0; i < request.sizeSteps; ++i) {
        GRANDEZZA_SpinUp(ctx);
    }
    if (request.area[0]) {
        RETTANG3(ctx);
        click(ctx, *request.area[0]);
        click(ctx, *request.area[1]);
    }
    if (refused()) {
        return result;
    }
    RADDR1(ctx);
    if (refused()) {
        return result;
    }
    std::string error;
    if (!moveFile(ctx.paths.scratchFile(), request.output, error)) {
        result.message = "Impossibile scrivere il file " + request.output + ".";
        std::error_code ignored;
        fs::remove(request.output, ignored);
        return result;
    }
    result.ok = true;
    // The numbers of the construction, without a second copy of the photograph.
    ctx.s.sorgente = SourceBitmap{};
    ctx.s.immagineRaddrizzata = IndexedImage{};
    result.state = std::move(ctx.s);
    return result;
}

std::string describe(const WorkingState& s, bool json) {
    const std::pair<const char*, double> values[] = {
        {"fugaOrizzX", s.fugaOrizzX},
        {"fugaOrizzY", s.fugaOrizzY},
        {"fugaVertX", s.fugaVertX},
        {"fugaVertY", s.fugaVertY},
        {"centroX", s.centroX},
        {"centroY", s.centroY},
        {"distanzaPrinc", s.distanzaPrinc},
        {"pox", s.pox},
        {"poy", s.poy},
        {"pvx", s.pvx},
        {"pvy", s.pvy},
        {"angoloRifX", s.angoloRifX},
        {"angoloRifY", s.angoloRifY},
        {"largOut", s.largOut},
        {"altOut", s.altOut},
    };
    std::string out = json ? "{" : "";
    bool first = true;
    for (const auto& [name, value] : values) {
        if (json) {
            out += std::string(first ? "" : ", ") + "\"" + name + "\": " + number(value);
        } else {
            out += std::string(name) + ": " + number(value) + "\n";
        }
        first = false;
    }
    return json ? out + "}\n" : out;
}

}  // namespace vesta
