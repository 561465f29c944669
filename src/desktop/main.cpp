#include <QApplication>
#include <QScreen>
#include <QStyleFactory>

#include "desktop/InstallPaths.h"
#include "desktop/MainWindow.h"
#include "desktop/QtPlatform.h"
#include "desktop/Translations.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    vesta::desktop::installItalianQtTexts(app);
    vesta::desktop::QtDialogs dialogs;
    vesta::desktop::QtEventLoop events;
    vesta::desktop::MainWindow window({dialogs, events, vesta::desktop::installPaths(),
                                       vesta::desktop::primaryScreenInfo(),
                                       vesta::desktop::systemDecimalSeparator()});
    dialogs.setParent(&window);
    events.onYield([&window] { window.push(); });
    // As large as the screen, also where no window manager maximises it.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        window.setGeometry(screen->availableGeometry());
    }
    window.showMaximized();
    return app.exec();
}
