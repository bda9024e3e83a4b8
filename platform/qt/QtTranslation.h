// Qt's own texts (file dialogs, standard buttons, the print and colour dialogs) in Polish.
#pragma once

#include <QString>

class QCoreApplication;

// Loads Qt's Polish translation from Qt's translations folder (or the folder given) and
// installs it on the application. Without the translation file the program simply keeps
// Qt's English texts, so a missing file is no error: the result says only whether one was
// installed. The translator is owned by the application.
bool InstallQtPolishTranslation(QCoreApplication& app, const QString& folder = QString());
