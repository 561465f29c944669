// Opening a camera's 24-megapixel JPEG in the real window on a real X server, as a user does:
// from the Open dialog's acceptance (Enter) until the first view of the photograph is painted
// and the X server has it (the time), and until the photograph itself is (photograph_ms). Run
// it with DISPLAY naming an X server (Xvfb and a window manager); without one it reports an
// error.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

#include "CameraPhotograph.h"
#include "desktop/FirstViewWidget.h"
#include "desktop/InstallPaths.h"
#include "desktop/MainWindow.h"
#include "desktop/PictureWidget.h"
#include "desktop/QtPlatform.h"

namespace {

using namespace vesta;

// Notes the first paint of the first view, and that of the photograph once the opening is
// complete.
class PaintWatch : public QObject {
  public:
    PaintWatch(const Context& ctx, QWidget* photo, QWidget* firstView) : ctx_(ctx) {
        photo->installEventFilter(this);
        firstView->installEventFilter(this);
        firstView_ = firstView;
    }
    bool firstPainted = false;
    bool painted = false;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint) {
            return false;
        }
        if (watched == firstView_) {
            firstPainted = true;
        } else if (ctx_.s.openingUnderWay == 0 && ctx_.form.Picture1.visible && ctx_.s.aColori()) {
            firstPainted = true;
            painted = true;
        }
        return false;
    }

  private:
    const Context& ctx_;
    QObject* firstView_;
};

struct Window {
    Window()
        : window({dialogs, events, desktop::installPaths(), desktop::primaryScreenInfo(), '.'}) {
        dialogs.setParent(&window);
        events.onYield([this] { window.push(); });
        events.onFinish(
            [this](std::function<void()> done) { window.run([&done](Context&) { done(); }); });
        window.showMaximized();
        QApplication::processEvents();
    }
    desktop::QtDialogs dialogs;
    desktop::QtEventLoop events;
    desktop::MainWindow window;
};

// Far longer than any opening takes, even on a machine shared by several builds.
constexpr qint64 kLongestWaitMs = 60000;

// Each opening replaces the same photograph; the clock runs from Enter to the first view painted.
void BM_OpenJpegInX(benchmark::State& state) {
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("no X server: set DISPLAY");
        return;
    }
    const std::string path = bench::cameraPhotograph(1);
    Window w;
    PaintWatch watch(w.window.context(), w.window.pictureWidget("Picture1"), w.window.firstView());
    double photographSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QElapsedTimer clock;
        // Enter in the Open dialog, as soon as it is on show.
        QTimer enter;
        QObject::connect(&enter, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible()) {
                return;
            }
            enter.stop();
            dialog->selectFile(QString::fromStdString(path));
            // Paints before Enter (the dialog over the previous photograph) do not count.
            watch.painted = false;
            watch.firstPainted = false;
            clock.start();
            QMetaObject::invokeMethod(dialog, "accept");
        });
        enter.start(20);
        QElapsedTimer waited;
        waited.start();
        // A paint that never comes is an error of the window, said as one, not a bench that
        // waits for ever.
        const auto waitFor = [&waited](const bool& painted) {
            while (!painted && waited.elapsed() < kLongestWaitMs) {
                QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            }
            return painted;
        };
        w.window.menuAction("open")->trigger();
        if (!waitFor(watch.firstPainted)) {
            state.ResumeTiming();
            state.SkipWithError("the first view was never painted");
            break;
        }
        QGuiApplication::sync();
        state.SetIterationTime(clock.nsecsElapsed() * 1e-9);
        if (!waitFor(watch.painted)) {
            state.ResumeTiming();
            state.SkipWithError("the photograph was never painted");
            break;
        }
        QGuiApplication::sync();
        photographSeconds += clock.nsecsElapsed() * 1e-9;
        state.ResumeTiming();
        if (!w.window.context().s.aColori()) {
            state.SkipWithError("the JPEG was not opened");
            break;
        }
    }
    state.counters["photograph_ms"] = benchmark::Counter(
        photographSeconds * 1e3 / double(std::max<std::int64_t>(1, state.iterations())));
}
BENCHMARK(BM_OpenJpegInX)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
