#include "platform/qt/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallQtPolishTranslation(QCoreApplication& app, const QString& folder)
{
  auto* translator = new QTranslator(&app);
  // qtbase_pl covers every dialog and button the program takes from Qt itself.
  if (!translator->load(QLocale(QLocale::Polish, QLocale::Poland), QStringLiteral("qtbase"),
                        QStringLiteral("_"),
                        folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder)) {
    delete translator;
    return false;
  }
  app.installTranslator(translator);
  return true;
}
