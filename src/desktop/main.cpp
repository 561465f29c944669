#include <QApplication>
#include <QScreen>
#include <QStyleFactory>

#include "desktop/InstallPaths.h"
#include "desktop/MainWindow.h"
#include "desktop/QtPlatform.h"
#include "desktop/Translations.h"
#include "rectify/ScratchFile.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    vesta::desktop::installItalianQtTexts(app);
    vesta::desktop::QtDialogs dialogs;
    vesta::desktop::QtEventLoop events;
    const vesta::Paths paths = vesta::desktop::installPaths();
    // Scratch files of windows that ended without cleaning up (killed, or the machine stopped).
    vesta::removeStaleScratchFiles(paths.scratchDir);
    vesta::desktop::MainWindow window({dialogs, events, paths, vesta::desktop::primaryScreenInfo(),
                                       vesta::desktop::systemDecimalSeparator()});
    dialogs.setParent(&window);
    events.onYield([&window] { window.push(); });
    events.onFinish([&window](std::function<void()> done) {
        window.run([&done](vesta::Context&) { done(); });
    });
    // As large as the screen, also where no window manager maximises it.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        window.setGeometry(screen->availableGeometry());
    }
    window.showMaximized();
    return app.exec();
}
