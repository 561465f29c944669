#include "desktop/InstallPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include "rectify/ScratchFile.h"

namespace vesta::desktop {

Paths installPaths() {
    const QDir binary(QCoreApplication::applicationDirPath());
    QString scratch = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (scratch.isEmpty()) {
        scratch = QDir::tempPath() + "/vesta";
    }
    QDir().mkpath(scratch);
    QString documents = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (documents.isEmpty() || !QDir(documents).exists()) {
        documents = QDir::homePath();
    }
    // A scratch file of this window's own: windows side by side never take each other's image.
    return Paths{QDir::cleanPath(binary.filePath("../" VESTA_DATA_SUBDIR)).toStdString(),
                 scratch.toStdString(), documents.toStdString(),
                 scratchNameOf(QCoreApplication::applicationPid())};
}

}  // namespace vesta::desktop
