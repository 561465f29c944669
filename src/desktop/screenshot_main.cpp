// Takes a picture of the main window with a sample opened, for the README. Runs on the
// offscreen platform, so it needs no display:
//   vesta-screenshot OUT.png SAMPLE.bmp [X,Y ...]
// Each X,Y is a click on the photograph, as a user makes it.
#include <QApplication>
#include <QStyleFactory>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "construction/PictureInput.h"
#include "desktop/InstallPaths.h"
#include "desktop/MainWindow.h"
#include "desktop/QtPlatform.h"

namespace {

// The Open dialog answers with the sample; every other dialog is cancelled.
class AnsweringDialogs : public vesta::Dialogs {
  public:
    explicit AnsweringDialogs(std::string sample) : sample_(std::move(sample)) {}
    void messageBox(const std::string& text, const std::string&, vesta::MessageIcon) override {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    std::optional<std::string> inputBox(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> openFile(const std::string&, const std::string&) override {
        return sample_;
    }
    std::optional<std::string> saveFile(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    void showHelp(const std::string&) override {}
    bool confirm(const std::string&, const std::string&) override { return false; }
    vesta::SaveChoice askToSave(const std::string&, const std::string&) override {
        return vesta::SaveChoice::Cancel;
    }
    bool printWindow() override { return false; }
    bool printAtScale(const vesta::ScalePrintJob&) override { return false; }

  private:
    std::string sample_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "uso: vesta-screenshot IMMAGINE.png FOTO.bmp [X,Y ...]\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    AnsweringDialogs dialogs(argv[2]);
    vesta::desktop::QtEventLoop events;
    const vesta::ScreenInfo screen{1280 * 15.0, 800 * 15.0, 15.0, 15.0};
    vesta::desktop::MainWindow window(
        {dialogs, events, vesta::desktop::installPaths(), screen, ','});
    window.resize(1280, 800);
    window.show();
    events.onFinish([&window](std::function<void()> done) {
        window.run([&done](vesta::Context&) { done(); });
    });
    window.menuAction("open")->trigger();
    while (window.context().s.openingUnderWay != 0) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    for (int i = 3; i < argc; ++i) {
        // Read with the point whatever the locale Qt took from the environment.
        float x = 0, y = 0;
        const std::string click = argv[i];
        const std::size_t comma = click.find(',');
        const char* end = click.data() + click.size();
        const auto first = std::from_chars(click.data(), click.data() + comma, x);
        const auto second =
            comma == std::string::npos ? first : std::from_chars(click.data() + comma + 1, end, y);
        if (comma == std::string::npos || first.ec != std::errc() ||
            first.ptr != click.data() + comma || second.ec != std::errc() || second.ptr != end) {
            std::fprintf(stderr, "click non valido: %s\n", argv[i]);
            return 2;
        }
        window.run([x, y](vesta::Context& c) { vesta::PICTURE1_MouseDown(c, x, y); });
        window.run([x, y](vesta::Context& c) { vesta::Picture1_MouseUp(c, x, y); });
    }
    QApplication::processEvents();
    return window.grab().save(argv[1]) ? 0 : 1;
}
