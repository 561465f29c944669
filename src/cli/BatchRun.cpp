#include "cli/BatchRun.h"

#include <sys/stat.h>

#include <filesystem>

#include "cli/BatchReplay.h"
#include "cli/HeadlessPlatform.h"
#include "cli/TerminationCleanup.h"
#include "files/FilePlacement.h"
#include "image/BitmapFile.h"
#include "rectify/WorldFile.h"
#include "state/LargePages.h"
#include "ui/Startup.h"

namespace vesta {

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

std::string cannotWrite(const std::string& path, const std::string& error) {
    return "Impossibile scrivere il file " + path + " (" + error + ").";
}

// Makes OUTPUT's temporary file in `output`, or says what refuses the run before any work:
// OUTPUT is the photograph or no regular file, a world file of the user's is in the way, or
// the folder cannot take OUTPUT.
std::optional<std::string> prepareOutput(const BatchRequest& request,
                                         std::optional<OutputTemporary>& output) {
    if (auto why = outputRefusal(request)) {
        return why;
    }
    std::string error;
    if ((request.scalePair || request.known) && !worldFileMayGo(request.output, error)) {
        return "Impossibile scrivere il file di georeferenziazione: " + error + ".";
    }
    {
        const TerminationHeld held;
        output.emplace(request.output);
    }
    if (!output->file.ready(error)) {
        return cannotWrite(request.output, error);
    }
    return std::nullopt;
}

// Moves the scratch file to OUTPUT, a palette result in a colour format written out from it.
bool placeResult(PendingFile& output, const std::string& scratch,
                 const Result<ColourFileFormat>& format, bool colourPhotograph,
                 std::string& error) {
    const bool bmpOutput = !format.ok() || format.value() == ColourFileFormat::Bmp;
    bool placed = false;
    if (!colourPhotograph && !bmpOutput) {
        // A palette result in another format: its colours, from the finished bitmap.
        const ColourImage colours = expandedResult(scratch);
        std::error_code ignored;
        std::filesystem::remove(scratch, ignored);
        placed = output.place(
            [&](int fd, std::string& why) {
                why = writeColourImage(fd, colours, format.value());
                return why.empty();
            },
            error);
    } else {
        placed = output.placeFrom(scratch, error);
    }
    if (!placed) {
        // The scratch folder is this run's own: what is left in it is this run's too.
        std::error_code ignored;
        std::filesystem::remove(scratch, ignored);
    }
    return placed;
}

// The numbers of the construction, without a second copy of the photograph.
WorkingState withoutImages(WorkingState s) {
    s.sorgente = SourceBitmap{};
    s.immagineRaddrizzata = IndexedImage{};
    s.fotoColori = nullptr;
    s.risultatoColori = ColourImage{};
    return s;
}

}  // namespace

BatchResult runBatch(const BatchRequest& request, const std::string& scratchDir) {
    BatchResult result;
    std::optional<OutputTemporary> output;
    if (auto refused = prepareOutput(request, output)) {
        result.message = std::move(*refused);
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
    ctx.lookUpLens = request.lensFromExif;

    const std::string scratch = ctx.paths.scratchFile();
    if (auto refused = replayRoad(ctx, request, dialogs, picture2, format)) {
        // The scratch folder is this run's own: what is left in it is this run's too.
        std::error_code ignored;
        std::filesystem::remove(scratch, ignored);
        result.message = std::move(*refused);
        return result;
    }
    std::string error;
    if (!placeResult(output->file, scratch, format, ctx.s.aColori(), error)) {
        result.message = cannotWrite(request.output, error);
        return result;
    }
    if (request.scalePair) {
        const auto& p = *request.scalePair;
        ctx.s.scala = *scaleFromPair(p[0], p[1], p[2], p[3], p[4]);
    }
    if (ctx.s.scala > 0 && !writeWorldFile(request.output, ctx.s.scala, error)) {
        result.message = cannotWrite(worldFilePathFor(request.output), error);
        return result;
    }
    result.ok = true;
    if (ctx.s.fotoColori && format.ok()) {
        result.notice = profileNotice(format.value(), ctx.s.fotoColori->iccProfile.size());
    }
    result.state = withoutImages(std::move(ctx.s));
    return result;
}

}  // namespace vesta
