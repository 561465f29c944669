// Qt's own texts (the buttons and labels of its file, message, input and print dialogs) in
// Italian, from the translations the distribution installs beside Qt.
#pragma once

#include <QCoreApplication>

namespace vesta::desktop {

// Installs Qt's Italian translation on the application, whatever the user's locale: the
// program speaks Italian, and its dialogs must not switch language halfway. Returns false
// when the translation is not installed; Qt then keeps its English texts.
bool installItalianQtTexts(QCoreApplication& app);

}  // namespace vesta::desktop
