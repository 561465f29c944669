#include "desktop/InstallPaths.h"

#include <QCoreApplication>
#include <QDir>

namespace vesta::desktop {

Paths installPaths() {
    const QDir binary(QCoreApplication::applicationDirPath());
    return Paths{QDir::cleanPath(binary.filePath("../" VESTA_DATA_SUBDIR)).toStdString()};
}

}  // namespace vesta::desktop
