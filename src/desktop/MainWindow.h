// The main window: builds the widgets of the form model, routes every event to its procedure
// and pushes the form model back onto the widgets.
#pragma once

#include <QMainWindow>
#include <QMouseEvent>
#include <QWheelEvent>

#include "construction/ConstructionState.h"
#include "construction/LensCorrection.h"
#include "desktop/CanvasPicture.h"
#include "desktop/FormPusher.h"
#include "desktop/InputGate.h"
#include "state/Context.h"

namespace vesta::desktop {

class Magnifier;
class FirstViewWidget;
class PictureWidget;
class ZoomWindow;

struct Services {
    Dialogs& dialogs;
    EventLoop& events;
    Paths paths;
    ScreenInfo screen;
    char decimalSeparator = '.';
};

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(const Services& services);
    ~MainWindow() override;

    Context& context() { return ctx_; }
    CanvasPicture& picture1() { return picture1_; }
    CanvasPicture& picture2() { return picture2_; }
    QWidget* client() const { return client_; }
    QWidget* control(const std::string& name) const { return pusher_.widget(name); }
    PictureWidget* pictureWidget(const std::string& name) const;
    QAction* menuAction(const std::string& name) const { return pusher_.action(name); }
    ZoomWindow* zoomWindow() const { return zoom_; }
    Magnifier* magnifier() const { return magnifier_; }
    FirstViewWidget* firstView() const { return firstView_; }

    // Runs one procedure of the core, then shows what it changed. Whether the picture on show
    // may be turned, snapping chosen and the result printed at scale is offered again from the
    // stage any procedure leaves. Input sent while it computed rows and not yet handed out is
    // dropped once it ends.
    template <typename Procedure>
    void run(Procedure&& procedure) {
        const long yields = yields_.count();
        ++running_;
        procedure(ctx_);
        --running_;
        offerEveryEventCommands(ctx_);
        // The lens database's item shows only for a photograph it knows: outside the table.
        offerLensCorrection(ctx_);
        push();
        if (running_ == 0 && yields_.count() != yields) {
            dropInputOfTheComputation();
        }
        if (running_ == 0) {
            runWhenShown();
        }
    }
    void push();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void dropInputOfTheComputation();
    // Posts what the procedures asked to run once their changes are on the screen: the window
    // is painted first, then each runs as a procedure.
    void runWhenShown();
    void connectEvents();
    void connectMenus();
    void connectButtons();
    void connectPictures();
    void connectScrollBars();
    void openZoom();
    void connectView();
    // The wheel with Ctrl held over the photograph: a scale up or down about the cursor.
    bool zoomWithWheel(QWidget* watched, const QWheelEvent& event);
    void followWithMagnifier(QWidget* watched, const QMouseEvent& event);
    // The first view of a photograph being read over the pictures' part of the window, or none.
    void placeFirstView();

    CanvasPicture picture1_;
    CanvasPicture picture2_;
    CountedYields yields_;
    Context ctx_;
    QWidget* client_;
    FormPusher pusher_;
    ZoomWindow* zoom_ = nullptr;
    Magnifier* magnifier_ = nullptr;
    FirstViewWidget* firstView_ = nullptr;
    InputGate* gate_ = nullptr;
    int running_ = 0;   // procedures under way, one inside another during a computation's yield
    int zoomTurn_ = 0;  // parts of a wheel notch not yet turned into a step
};

}  // namespace vesta::desktop
