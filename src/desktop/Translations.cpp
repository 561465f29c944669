#include "desktop/Translations.h"

#include <QLibraryInfo>
#include <QTranslator>

namespace vesta::desktop {

bool installItalianQtTexts(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_it"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace vesta::desktop
