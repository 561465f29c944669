// The real main window on the offscreen platform: opening a large photograph, and the time from
// the Raddrizza click to the rectified image on show (rows yielded to Qt, progress pushed); the
// photograph fit to the window: opening it until it is painted, and a repaint while a rubber
// band follows the mouse.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>
#include <filesystem>

#include "CameraPhotograph.h"
#include "FrameOfSide.h"
#include "cli/HeadlessPlatform.h"
#include "construction/Commands.h"
#include "construction/PictureInput.h"
#include "desktop/MainWindow.h"
#include "desktop/PictureWidget.h"
#include "desktop/QtPlatform.h"
#include "facade/FacadeRenderer.h"
#include "geometry/Frame.h"
#include "image/BitmapFile.h"
#include "opening/OpenImage.h"
#include "rectify/Rectification.h"
#include "ui/Undo.h"

namespace {

using namespace vesta;
namespace fs = std::filesystem;

fs::path folder() {
    static const fs::path dir = [] {
        const fs::path d = fs::temp_directory_path() / "vesta-window-bench";
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

// A photograph of the facade rendered with the rolled sample's camera scaled to width x height.
std::pair<std::string, facade::FacadeScene> photograph(int width, int height) {
    facade::FacadeScene scene = facade::samples::rolled();
    const double k = width / 800.0;
    scene.camera.width = width;
    scene.camera.height = height;
    scene.camera.focal *= k;
    scene.camera.principal = {scene.camera.principal.x * k, scene.camera.principal.y * k};
    scene.supersampling = 1;
    const fs::path path = folder() / ("facciata-" + std::to_string(width) + ".bmp");
    if (!fs::exists(path)) {
        const IndexedImage image = facade::renderFacade(scene);
        writeBitmapFile(path.string(), classicHeader(width, height), image);
    }
    return {path.string(), scene};
}

// Lets the window run until the photograph asked for is read and shown.
void untilOpened(desktop::MainWindow& window) {
    while (window.context().s.openingUnderWay != 0) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
}

struct Window {
    explicit Window(const std::string& photo)
        : dialogs(photo),
          window({dialogs, events, Paths{"", folder().string(), folder().string()},
                  ScreenInfo{1920 * 15.0, 1080 * 15.0, 15.0, 15.0}, '.'}) {
        events.onYield([this] { window.push(); });
        events.onFinish(
            [this](std::function<void()> done) { window.run([&done](Context&) { done(); }); });
        window.resize(1920, 1080);
        window.show();
    }
    AnsweringDialogs dialogs;
    desktop::QtEventLoop events;
    desktop::MainWindow window;
};

void BM_OpenPhotographInWindow(benchmark::State& state) {
    const auto [path, scene] = photograph(int(state.range(0)), int(state.range(1)));
    Window w(path);
    for (auto _ : state) {
        w.window.run(open_Click);
        untilOpened(w.window);
        QApplication::processEvents();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * state.range(1));
}
BENCHMARK(BM_OpenPhotographInWindow)->Args({6000, 4000})->Unit(benchmark::kMillisecond);

// From the Open command to the photograph painted in a fit view: read, shown, reduced once.
void BM_OpenPhotographFitInWindow(benchmark::State& state) {
    const auto [path, scene] = photograph(int(state.range(0)), int(state.range(1)));
    Window w(path);
    w.window.menuAction("fitView")->trigger();
    desktop::PictureWidget* photo = w.window.pictureWidget("Picture1");
    for (auto _ : state) {
        w.window.menuAction("open")->trigger();
        untilOpened(w.window);
        photo->repaint();
    }
    if (photo->scale() >= 1.0) {
        state.SkipWithError("the photograph was not reduced");
    }
}
BENCHMARK(BM_OpenPhotographFitInWindow)->Args({6000, 4000})->Unit(benchmark::kMillisecond);

// A camera's 24-megapixel JPEG, from the Open command until it is painted: read, decoded,
// turned upright (argument 6: a portrait) or not (1), shown at 1:1 (second argument 0) or fit to
// the window (1).
void BM_OpenJpegInWindow(benchmark::State& state) {
    const std::string path = bench::cameraPhotograph(int(state.range(0)));
    Window w(path);
    if (state.range(1) != 0) {
        w.window.menuAction("fitView")->trigger();
    }
    desktop::PictureWidget* photo = w.window.pictureWidget("Picture1");
    for (auto _ : state) {
        w.window.menuAction("open")->trigger();
        untilOpened(w.window);
        photo->repaint();
    }
    if (!w.window.context().s.aColori()) {
        state.SkipWithError("the JPEG was not opened");
    }
}
BENCHMARK(BM_OpenJpegInWindow)
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({6, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// One mouse move of a rubber band over a fit view: the band drawn, the view repainted.
void BM_RubberBandOnFitView(benchmark::State& state) {
    const auto [path, scene] = photograph(6000, 4000);
    Window w(path);
    w.window.menuAction("fitView")->trigger();
    w.window.menuAction("open")->trigger();
    untilOpened(w.window);
    desktop::PictureWidget* photo = w.window.pictureWidget("Picture1");
    w.window.run([](Context& c) { PICTURE1_MouseDown(c, 1000, 1000); });
    w.window.run([](Context& c) { Picture1_MouseUp(c, 1000, 1000); });
    float x = 2000;
    for (auto _ : state) {
        x = x > 5000 ? 2000 : x + 7;
        w.window.run([x](Context& c) { Picture1_MouseMove(c, x, 3000); });
        photo->repaint();
    }
}
BENCHMARK(BM_RubberBandOnFitView)->Unit(benchmark::kMillisecond);

void BM_RectifyInWindow(benchmark::State& state) {
    const int side = int(state.range(0));
    const auto [path, scene] = photograph(4000, 3000);
    Window w(path);
    w.window.run(open_Click);
    untilOpened(w.window);
    const auto click = [&](facade::ImagePoint p) {
        const float x = float(p.x), y = float(p.y);
        w.window.run([x, y](Context& c) { PICTURE1_MouseDown(c, x, y); });
        w.window.run([x, y](Context& c) { Picture1_MouseUp(c, x, y); });
    };
    for (const char* name : {"cornice-bottom", "string-course-top", "left", "right"}) {
        const auto edge =
            facade::projectEdge(scene.camera, facade::referenceEdge(scene.facade, name));
        click(edge.from);
        click(edge.to);
    }
    const auto at = [&](double u, double v) {
        return facade::projectFacadePoint(scene.camera, {u, v});
    };
    w.window.run(RETTANG3);
    click({std::max(at(100, 820).x, at(100, 80).x), std::max(at(100, 820).y, at(1100, 820).y)});
    click({std::min(at(1100, 820).x, at(1100, 80).x), std::min(at(100, 80).y, at(1100, 80).y)});
    // Spread the output over the area as side x side pixels.
    WorkingState& s = w.window.context().s;
    if (!s.construction) {
        state.SkipWithError("no construction stands");
        return;
    }
    frameOfSide(*s.construction, side);
    for (auto _ : state) {
        w.window.run(RADDR1);
        QApplication::processEvents();
        state.PauseTiming();
        if (!w.dialogs.messages.empty() || s.nRaddr != 1) {
            state.SkipWithError("the rectification did not run");
            break;
        }
        w.window.run(ALTRA1);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(side) * side);
}
BENCHMARK(BM_RectifyInWindow)->Arg(3000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
