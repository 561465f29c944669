#include "desktop/MainWindow.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include "autolines/LsdDetector.h"
#include "construction/AutoLines.h"
#include "construction/Commands.h"
#include "construction/EdgeSnapping.h"
#include "construction/ExtraLines.h"
#include "construction/FocalLengthCommand.h"
#include "construction/Grid.h"
#include "construction/LensCommands.h"
#include "construction/LensCorrection.h"
#include "construction/LinePoints.h"
#include "construction/PictureInput.h"
#include "desktop/FirstViewWidget.h"
#include "desktop/FontMapping.h"
#include "desktop/Magnifier.h"
#include "desktop/PictureWidget.h"
#include "desktop/SpinButton.h"
#include "desktop/WheelScrolling.h"
#include "desktop/ZoomWindow.h"
#include "image/Scrolling.h"
#include "measure/Measuring.h"
#include "opening/OpenImage.h"
#include "rectify/ColourRectification.h"
#include "rectify/KnownMeasuresCommand.h"
#include "rectify/PrintAtScale.h"
#include "rectify/Rectification.h"
#include "rectify/SaveAndPrint.h"
#include "rectify/ScratchFile.h"
#include "rectify/UnsavedResult.h"
#include "state/Numbers.h"
#include "ui/Startup.h"
#include "ui/TurnCommands.h"
#include "ui/Undo.h"
#include "ui/ViewScale.h"
#include "ui/WindowCommands.h"
#include "ui/WindowSize.h"
#include "ui/ZoomViewer.h"

namespace vesta::desktop {

namespace {

int designPixels(double twips, double twipsPerPixel) {
    return int(roundHalfEven(twips / twipsPerPixel));
}

// These lay the photograph out one screen pixel per photograph pixel; the chosen view follows
// (a new camera photograph larger than the window fits it).
void openAtView(Context& ctx) {
    openPhotograph(ctx, showNewPhotograph);
}
void altraAtView(Context& ctx) {
    ALTRA1(ctx);
    reshowView(ctx);
}
void cancAtView(Context& ctx) {
    CANC2(ctx);
    reshowView(ctx);
}
// A new result is laid out one screen pixel per pixel; the chosen view follows, as it does for
// the photograph. Measuring keeps the view as it is.
void rectifyAtView(Context& ctx) {
    const int before = ctx.s.nRaddr;
    RADDR1(ctx);
    if (before == 0 && ctx.s.nRaddr == 1) {
        reshowView(ctx);
    }
}
void turnAtView(Context& ctx, void (*turn)(Context&)) {
    turn(ctx);
    reshowView(ctx);
}

}  // namespace

MainWindow::MainWindow(const Services& services)
    : picture1_(designPixels(3972, services.screen.twipsPerPixelX),
                designPixels(4092, services.screen.twipsPerPixelY), colours::windowBackground),
      picture2_(designPixels(1935, services.screen.twipsPerPixelX),
                designPixels(2415, services.screen.twipsPerPixelY), colours::windowBackground),
      yields_(services.events),
      ctx_(picture1_, picture2_, services.dialogs, yields_, services.paths),
      client_(new QWidget(this)) {
    ctx_.decimalSeparator = services.decimalSeparator;
    ctx_.decodeBytes = memoryForDecoding(MemoryUse::Window);
    ctx_.lookUpLens = true;
    drawThroughLens(ctx_);
    Form_Load(ctx_, services.screen);

    setCentralWidget(client_);
    QPalette palette = client_->palette();
    palette.setColor(QPalette::Window, QColor(ctx_.form.background.r, ctx_.form.background.g,
                                              ctx_.form.background.b));
    palette.setColor(QPalette::WindowText, QColor(ctx_.form.foreground.r, ctx_.form.foreground.g,
                                                  ctx_.form.foreground.b));
    client_->setPalette(palette);
    client_->setAutoFillBackground(true);
    client_->setFont(qtFont(ctx_.form.font));
    client_->installEventFilter(this);
    setWindowIcon(QIcon(QString::fromStdString(ctx_.paths.installDir + "/vesta.xpm")));

    pusher_.build(ctx_.form, client_, menuBar(), picture1_, picture2_);
    magnifier_ = new Magnifier(picture1_, client_);
    firstView_ =
        new FirstViewWidget(picture1_, palette.color(QPalette::Window), control("Label4"), client_);
    picture1_.onFirstView([this] { placeFirstView(); });
    connectEvents();
    connectView();
    gate_ = new InputGate(
        {[this] { return ctx_.s.resultFile == ResultFile::Writing || ctx_.s.openingUnderWay != 0; },
         [this] { return ctx_.s.interrompi != 0 || ctx_.s.openingUnderWay != 0; },
         control("cancella"), menuAction("canc")},
        this);
    push();
    // The window itself holds the focus at start, not the first text box.
    client_->setFocusPolicy(Qt::ClickFocus);
    client_->setFocus();
}

PictureWidget* MainWindow::pictureWidget(const std::string& name) const {
    return qobject_cast<PictureWidget*>(control(name));
}

MainWindow::~MainWindow() {
    // The gate filters the whole application and reads this window's state: it goes first, so
    // the events the widgets send while they are taken down never reach a window half gone.
    delete gate_;
    gate_ = nullptr;
    delete zoom_;
}

void MainWindow::push() {
    pusher_.push(ctx_.form, this, client_);
    pictureWidget("Picture1")->setScale(ctx_.form.viewScale);
    pictureWidget("Picture2")->setScale(ctx_.form.viewScale);
    if (!ctx_.form.magnifier.checked || !ctx_.form.Picture1.visible) {
        magnifier_->hide();
    }
    magnifier_->raise();
    placeFirstView();
    if (zoom_) {
        zoom_->push(ctx_.zoomForm);
    }
}

void MainWindow::placeFirstView() {
    // The pictures' part of the window: the visible region and the strips of its bars.
    const VisibleRegion v = vesta::visibleRegion(ctx_.s);
    const double bar = ctx_.s.altezzaBarra;
    firstView_->place(QSize(std::max(0, int(v.width + bar)), std::max(0, int(v.height + bar))));
}

void MainWindow::runWhenShown() {
    for (std::function<void()>& task : yields_.takeShownTasks()) {
        // A posted call runs before the paint Qt keeps for last: paint now, then ask.
        QTimer::singleShot(0, this, [this, task = std::move(task)] {
            repaint();
            run([&task](Context&) { task(); });
        });
    }
}

void MainWindow::dropInputOfTheComputation() {
    // Sent while "Sto calcolando..." was on show, after the last yield: meant for a window that
    // is no longer there.
    gate_->dropAll(true);
    QCoreApplication::processEvents();
    gate_->dropAll(false);
}

void MainWindow::openZoom() {
    if (!zoom_) {
        zoom_ = new ZoomWindow([this](std::function<void(Context&)> procedure) { run(procedure); },
                               ctx_.screen.twipsPerPixelX, ctx_.screen.twipsPerPixelY);
        zoom_->setWindowIcon(windowIcon());
    }
    run(zoo_Click);
}

void MainWindow::connectEvents() {
    connectMenus();
    connectButtons();
    connectPictures();
    connectScrollBars();
}

void MainWindow::connectMenus() {
    auto onMenu = [this](const char* name, void (*procedure)(Context&)) {
        connect(menuAction(name), &QAction::triggered, this, [this, procedure] { run(procedure); });
    };
    onMenu("open", openAtView);
    onMenu("exit", EXIT_Click);
    onMenu("frame_m", frame_m_Click);
    onMenu("help1", help1_Click);
    onMenu("centro1", centro1_Click);
    onMenu("save", save_Click);
    onMenu("print", print_Click);
    onMenu("stampaScala", stampaScala_Click);
    onMenu("start", rectifyAtView);
    onMenu("altra", altraAtView);
    onMenu("bilineare", bilineare_Click);
    onMenu("misureNote", misureNote_Click);
    onMenu("canc", cancAtView);
    onMenu("area", RETTANG3);
    onMenu("griglia2", griglia1);
    onMenu("focale", focale_Click);
    onMenu("agganciaBordi", agganciaBordi_Click);
    onMenu("distorsioneObiettivo", distorsioneObiettivo_Click);
    onMenu("distorsioneK1", distorsioneK1_Click);
    onMenu("correggiDistorsione", correggiDistorsione_Click);
    onMenu("altraRettaOrizz", altraRettaOrizz_Click);
    onMenu("altraRettaVert", altraRettaVert_Click);
    onMenu("togliRetta", togliRetta_Click);
    onMenu("altriPunti", altriPunti_Click);
    onMenu("retteAutomatiche", [](Context& c) { retteAutomatiche_Click(c, detectSegments); });
    onMenu("accettaRette", accettaRette_Click);
    onMenu("ruotaDestra", [](Context& c) { turnAtView(c, ruotaDestra_Click); });
    onMenu("ruotaSinistra", [](Context& c) { turnAtView(c, ruotaSinistra_Click); });
    onMenu("capovolgi", [](Context& c) { turnAtView(c, capovolgi_Click); });
}

// The buttons, and the size factor's spin button.
void MainWindow::connectButtons() {
    auto onButton = [this](const char* name, void (*procedure)(Context&)) {
        connect(qobject_cast<QPushButton*>(control(name)), &QPushButton::clicked, this,
                [this, procedure] { run(procedure); });
    };
    onButton("CENTRO", CENTRO_Click);
    onButton("RETTANG", RETTANG3);
    onButton("GRIGLIA", griglia1);
    onButton("RADDRIZZA", rectifyAtView);
    onButton("MISURENOTE", misureNote_Click);
    onButton("cancella", cancAtView);
    connect(qobject_cast<QPushButton*>(control("zoo")), &QPushButton::clicked, this,
            [this] { openZoom(); });

    auto* spin = qobject_cast<SpinButton*>(control("GRANDEZZA"));
    connect(spin, &SpinButton::spinUp, this, [this] { run(GRANDEZZA_SpinUp); });
    connect(spin, &SpinButton::spinDown, this, [this] { run(GRANDEZZA_SpinDown); });
}

void MainWindow::connectPictures() {
    PictureWidget* result = pictureWidget("Picture2");
    result->setDoubleClickPresses(false);
    result->installEventFilter(this);
    connect(result, &PictureWidget::mouseDown, this, [this](int, int, float x, float y) {
        run([x, y](Context& c) { Picture2_MouseDown(c, x, y); });
    });
    connect(result, &PictureWidget::mouseMove, this, [this](int, int, float x, float y) {
        run([x, y](Context& c) { Picture2_MouseMove(c, x, y); });
    });
    connect(result, &PictureWidget::doubleClicked, this, [this] { run(Picture2_DblClick); });

    // The button and the modifier keys mean nothing on the photograph.
    PictureWidget* photo = pictureWidget("Picture1");
    photo->installEventFilter(this);
    connect(photo, &PictureWidget::mouseDown, this, [this](int, int, float x, float y) {
        run([x, y](Context& c) {
            const Point p = clickOutOfLens(c, x, y);
            PICTURE1_MouseDown(c, float(p.x), float(p.y));
        });
    });
    connect(photo, &PictureWidget::mouseMove, this, [this](int, int, float x, float y) {
        run([x, y](Context& c) {
            const Point p = clickOutOfLens(c, x, y);
            Picture1_MouseMove(c, float(p.x), float(p.y));
        });
    });
    connect(photo, &PictureWidget::mouseUp, this, [this](int, int, float x, float y) {
        run([x, y](Context& c) {
            const Point p = clickOutOfLens(c, x, y);
            Picture1_MouseUp(c, float(p.x), float(p.y));
        });
    });
}

// A scroll bar's new value goes into the form before its procedure runs.
void MainWindow::connectScrollBars() {
    auto onScroll = [this](const char* name, Control FormModel::*bar, void (*procedure)(Context&)) {
        auto* widget = qobject_cast<QScrollBar*>(control(name));
        connect(widget, &QScrollBar::valueChanged, this, [this, bar, procedure](int value) {
            (ctx_.form.*bar).value = value;
            run(procedure);
        });
    };
    onScroll("HScroll1", &FormModel::HScroll1, HScroll1_Change);
    onScroll("VScroll1", &FormModel::VScroll1, VScroll1_Change);
    onScroll("HScroll2", &FormModel::HScroll2, HScroll2_Change);
    onScroll("VScroll2", &FormModel::VScroll2, VScroll2_Change);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    bool mayClose = true;
    run([&mayClose](Context& c) { mayClose = resultMayGo(c, Leaving::Exit); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    // A photograph still being read is not shown in a window that has gone.
    run(abandonOpening);
    // The window's scratch file goes with it; a saved image was moved away already.
    const bool computing = ctx_.s.resultFile == ResultFile::Writing;
    discardScratchFile(ctx_);
    QMainWindow::closeEvent(event);
    // Closed while rows are computed: the program ends as Exit ends it, instead of finishing an
    // image nobody will see.
    if (computing) {
        ctx_.events.terminate();
    }
}

void MainWindow::connectView() {
    auto onMenu = [this](const char* name, std::function<void(Context&)> procedure) {
        connect(menuAction(name), &QAction::triggered, this, [this, procedure] { run(procedure); });
    };
    onMenu("fitView", showFitting);
    const std::pair<const char*, double> scales[] = {{"scale1to4", 0.25}, {"scale1to2", 0.5},
                                                     {"scale1to1", 1.0},  {"scale2to1", 2.0},
                                                     {"scale4to1", 4.0},  {"scale8to1", 8.0}};
    for (const auto& [name, scale] : scales) {
        onMenu(name, [scale](Context& c) { showScale(c, scale); });
    }
    onMenu("zoomIn", [](Context& c) { stepScaleAboutMiddle(c, 1); });
    onMenu("zoomOut", [](Context& c) { stepScaleAboutMiddle(c, -1); });
    onMenu("magnifier", toggleMagnifier);
}

bool MainWindow::zoomWithWheel(QWidget* watched, const QWheelEvent& event) {
    const PictureOnShow shown = pictureOnShow(ctx_);
    if (!(event.modifiers() & Qt::ControlModifier) || shown == PictureOnShow::None) {
        return false;
    }
    PictureWidget* photo = pictureWidget(shown == PictureOnShow::Result ? "Picture2" : "Picture1");
    const QPointF at =
        watched == client_ ? event.position() : QPointF(watched->mapTo(client_, event.position()));
    if (!photo->geometry().contains(at.toPoint())) {
        return false;
    }
    // 120 is one notch; a fine-grained wheel sends parts of it.
    zoomTurn_ += event.angleDelta().y();
    const int steps = zoomTurn_ / 120;
    zoomTurn_ -= steps * 120;
    if (steps != 0) {
        run([steps, at](Context& c) { stepScale(c, steps, at.x(), at.y()); });
    }
    return true;
}

void MainWindow::followWithMagnifier(QWidget* watched, const QMouseEvent& event) {
    PictureWidget* photo = pictureWidget("Picture1");
    if (watched != photo || !ctx_.form.magnifier.checked || !ctx_.form.Picture1.visible ||
        ctx_.s.larghezzaPic1 <= 0) {
        return;
    }
    magnifier_->showAt(photo->toPicture(event.position()),
                       photo->mapTo(client_, event.position().toPoint()));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        followWithMagnifier(qobject_cast<QWidget*>(watched), *static_cast<QMouseEvent*>(event));
    } else if (event->type() == QEvent::Leave && watched == pictureWidget("Picture1")) {
        magnifier_->hide();
    }
    if (event->type() == QEvent::Wheel &&
        (watched == client_ || qobject_cast<PictureWidget*>(watched)) &&
        zoomWithWheel(static_cast<QWidget*>(watched), *static_cast<QWheelEvent*>(event))) {
        event->accept();
        return true;
    }
    // A click on the window background redraws. A click on a disabled control reaches the
    // client too, passed up by Qt; it is no click on the background.
    if (watched == client_ && (event->type() == QEvent::MouseButtonRelease ||
                               event->type() == QEvent::MouseButtonDblClick)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && !client_->childAt(mouse->position().toPoint())) {
            // A double click is a click first, as the system has always delivered it.
            run(event->type() == QEvent::MouseButtonRelease ? Form_Click : VALORIDEFAULT);
            return true;
        }
    }
    // A wheel turned anywhere over the client (pictures, panel, background) scrolls the
    // picture on show. The pictures are watched themselves too: a wheel event reaches the
    // client only when the window system sent it.
    if (event->type() == QEvent::Wheel &&
        (watched == client_ || qobject_cast<PictureWidget*>(watched))) {
        const bool result = ctx_.form.Picture2.visible && !ctx_.form.Picture1.visible;
        const char* vertical = result ? "VScroll2" : "VScroll1";
        const char* horizontal = result ? "HScroll2" : "HScroll1";
        if (scrollWithWheel(*static_cast<QWheelEvent*>(event),
                            qobject_cast<QScrollBar*>(control(vertical)),
                            qobject_cast<QScrollBar*>(control(horizontal)))) {
            event->accept();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // The window's own size, not the event's: of two sizes the window system gives at once (a
    // window manager mapping the window, then maximising it) Qt may pass on the first while it
    // has taken the second, and sends no event after it.
    const QSize size = this->size();
    run([size](Context& c) { fitToWindow(c, size.width(), size.height()); });
}

}  // namespace vesta::desktop
