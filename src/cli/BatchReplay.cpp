#include "cli/BatchReplay.h"

#include <functional>
#include <vector>

#include "cli/AutoLinesArgs.h"
#include "cli/LensExif.h"
#include "cli/LineClicks.h"
#include "construction/Commands.h"
#include "construction/ExtraLines.h"
#include "construction/PictureInput.h"
#include "construction/TurnPhotograph.h"
#include "geometry/FocalLength.h"
#include "geometry/RadialLens.h"
#include "opening/OpenImage.h"
#include "rectify/Rectification.h"
#include "rectify/TurnResult.h"
#include "sidecar/StateRecord.h"
#include "state/Numbers.h"
#include "state/Prompts.h"

namespace vesta {

namespace {

// The area's two corners when --area gives them: they say which front --auto takes.
std::optional<std::array<Point, 2>> requestedArea(const BatchRequest& request) {
    if (!request.area[0] || !request.area[1]) {
        return std::nullopt;
    }
    return std::array<Point, 2>{Point{request.area[0]->x, request.area[0]->y},
                                Point{request.area[1]->x, request.area[1]->y}};
}

// One step of the road: what the user does, and whether the state it leaves shows it done.
struct Step {
    std::function<void()> act;
    std::function<bool()> done;
};

void click(Context& ctx, Click at) {
    PICTURE1_MouseDown(ctx, at.x, at.y, at.viewScale);
    Picture1_MouseUp(ctx, at.x, at.y);
}

// The construction the window would let the user rectify: Raddrizza enabled and the panel not
// saying that it is impossible.
bool rectifiable(const Context& ctx) {
    return ctx.form.RADDRIZZA.enabled && ctx.form.domanda1.caption != prompts::kImpossibile;
}

// The road's steps over the request; each holds its references until the road is walked.
class Road {
  public:
    Road(Context& ctx, const BatchRequest& request, AnsweringDialogs& dialogs,
         const Result<ColourFileFormat>& format)
        : ctx_(ctx), request_(request), dialogs_(dialogs), format_(format) {}

    void opening();
    void construction();
    void rectifying(BlindPicture& result);
    std::optional<std::string> walk() const;

  private:
    // Known measures need the four lines only: the construction may be refused.
    bool constructed() const { return request_.known ? ctx_.s.nRette == 4 : rectifiable(ctx_); }
    void put(Click at) const;
    void add(std::function<void()> act, std::function<bool()> done) {
        steps_.push_back({std::move(act), std::move(done)});
    }
    void addConstructed(std::function<void()> act) {
        add(std::move(act), [this] { return constructed(); });
    }
    void takeFocal35();

    Context& ctx_;
    const BatchRequest& request_;
    AnsweringDialogs& dialogs_;
    const Result<ColourFileFormat>& format_;
    std::vector<Step> steps_;
    bool linesRefused_ = false;
};

// A click on the bent photograph, as the construction takes it: in the undistorted plane of
// the photograph as now turned.
void Road::put(Click at) const {
    const std::optional<RadialLens> lens = photographLens(
        ctx_.s.lensK1, ctx_.s.lensProfile, ctx_.s.larghezzaSorg(), ctx_.s.altezzaSorg());
    if (lens && !request_.clicksUndistorted) {
        const Point u = lens->undistorted({at.x, at.y});
        at.x = float(u.x);
        at.y = float(u.y);
    }
    click(ctx_, at);
}

// Opening forgets a focal length given for another photograph: this one's comes after.
void Road::takeFocal35() {
    const BatchRequest& request = request_;
    ctx_.focal35 = request.focal35FromExif ? ctx_.s.exifFocal35 : request.focal35;
    if (request.focal35FromExif && !ctx_.focal35 && ctx_.s.nomeFile == request.input) {
        dialogs_.messages.push_back(
            "La fotografia non dichiara la sua focale: --focal35 exif non si può usare.");
    } else if (request.focal35FromExif && ctx_.focal35 && !plausibleFocal35(*ctx_.focal35)) {
        dialogs_.messages.push_back(
            "La fotografia dichiara una focale equivalente di " + plainForm(*ctx_.focal35, '.') +
            " mm, fuori dai limiti (da " + plainForm(kFocal35Min, '.') + " a " +
            plainForm(kFocal35Max, '.') + " mm): --focal35 exif non si può usare.");
        ctx_.focal35.reset();
    }
}

void Road::opening() {
    add(
        [this] {
            open_Click(ctx_);
            takeFocal35();
            ctx_.s.lensK1 = request_.lensK1;
            if (const auto why = takeRequestedLens(ctx_, request_)) {
                dialogs_.messages.push_back(*why);
            }
        },
        [this] {
            return ctx_.s.nomeFile == request_.input &&
                   (ctx_.focal35 || !request_.focal35FromExif) &&
                   (ctx_.s.lensProfile || (!request_.lensFromExif && !request_.lensProfile));
        });
    // A colour photograph is written only in a format named by OUTPUT's extension; a palette
    // one goes by extension too, BMP when unknown.
    add([] {},
        [this] {
            if (ctx_.s.aColori() && !format_.ok()) {
                dialogs_.messages.push_back(format_.error());
                return false;
            }
            return true;
        });
    if (request_.photographTurn != 0) {
        add([this] { turnPhotograph(ctx_, request_.photographTurn); },
            [this] { return ctx_.s.photographTurn == request_.photographTurn; });
    }
}

void Road::construction() {
    // A fit refused after the lines were clicked leaves a construction without the bend asked.
    add(
        [this] {
            if (request_.autoLines) {
                takeFoundLines(ctx_, request_.lensFit, requestedArea(request_));
                return;
            }
            linesRefused_ = !clickRequestLines(ctx_, request_, dialogs_.messages);
        },
        [this] { return !linesRefused_ && constructed(); });
    if (request_.centre) {
        addConstructed([this] {
            CENTRO_Click(ctx_);
            put(*request_.centre);
        });
    }
    for (int i = 0; i < request_.sizeSteps; ++i) {
        addConstructed([this] { GRANDEZZA_SpinUp(ctx_); });
    }
    if (request_.exactSize) {
        addConstructed([this] { setSizeFactor(ctx_, *request_.exactSize); });
    }
    if (request_.area[0]) {
        addConstructed([this] {
            RETTANG3(ctx_);
            put(*request_.area[0]);
            put(*request_.area[1]);
        });
    }
}

void Road::rectifying(BlindPicture& result) {
    add(
        [this] {
            ctx_.s.misureNote = request_.known;
            RADDR1(ctx_);
        },
        [this] { return ctx_.s.raddrAvviato == 1; });
    if (request_.resultTurn != 0) {
        // The turned result is made from the whole image in memory, as the window turns it.
        result.keep = true;
        add([this] { turnResult(ctx_, request_.resultTurn); },
            [this] { return ctx_.s.resultTurn == request_.resultTurn; });
    }
}

// After each step, the state it leaves says whether it was refused; the messages it showed
// then say why.
std::optional<std::string> Road::walk() const {
    for (const Step& step : steps_) {
        const std::size_t before = dialogs_.messages.size();
        step.act();
        if (step.done()) {
            continue;
        }
        std::string message;
        for (std::size_t i = before; i < dialogs_.messages.size(); ++i) {
            message += (message.empty() ? "" : "\n") + dialogs_.messages[i];
        }
        return message.empty() ? std::string(prompts::kImpossibile) : message;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> replayRoad(Context& ctx, const BatchRequest& request,
                                      AnsweringDialogs& dialogs, BlindPicture& result,
                                      const Result<ColourFileFormat>& format) {
    Road road(ctx, request, dialogs, format);
    road.opening();
    road.construction();
    road.rectifying(result);
    return road.walk();
}

}  // namespace vesta
