#include "platform/qt/QtTranslation.h"

#include "tests/ui/QtTestApp.h"

#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTranslator>

namespace {

class QtTranslation : public TQtAppTest {
protected:
  void TearDown() override
  {
    // Each test starts from Qt's own English texts.
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
      QCoreApplication::removeTranslator(t);
      delete t;
    }
    TQtAppTest::TearDown();
  }
};

QString ButtonText(QMessageBox::StandardButton which)
{
  QMessageBox box(QMessageBox::Question, "t", "q", QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  return box.button(which)->text();
}

}  // namespace

TEST_F(QtTranslation, StandardButtonsArePolishWhenQtsTranslationIsInstalled)
{
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  if (!QFileInfo::exists(QDir(folder).filePath("qtbase_pl.qm")))
    GTEST_SKIP() << "Qt's Polish translation (qt6-translations-l10n) is not installed in "
                 << folder.toStdString();
  ASSERT_TRUE(InstallQtPolishTranslation(*qApp));
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Tak"));
  EXPECT_EQ(ButtonText(QMessageBox::Yes).remove('&'), QStringLiteral("Tak"));
  EXPECT_EQ(ButtonText(QMessageBox::No).remove('&'), QStringLiteral("Nie"));
  EXPECT_EQ(ButtonText(QMessageBox::Cancel).remove('&'), QStringLiteral("Anuluj"));
}

TEST_F(QtTranslation, WithoutTheFileTheProgramKeepsQtsEnglishTexts)
{
  QTemporaryDir empty;
  ASSERT_TRUE(empty.isValid());
  EXPECT_FALSE(InstallQtPolishTranslation(*qApp, empty.path()));
  EXPECT_TRUE(qApp->findChildren<QTranslator*>().isEmpty());
  EXPECT_EQ(ButtonText(QMessageBox::Yes).remove('&'), QStringLiteral("Yes"));
}
