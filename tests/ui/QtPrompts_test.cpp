#include "platform/qt/QtPrompts.h"

#include "platform/qt/QtText.h"
#include "QtTestApp.h"
#include "platform/Codepage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class QtPromptsTest : public TQtAppTest {
protected:
  // Acts on the modal dialog once it is up; a guard closes anything left after 5 s, so a
  // failing test never hangs. The guard lives on the polling timer: once that has acted the
  // guard is gone and cannot close a later dialog, and a poll that found nothing in 5 s ends
  // there instead of carrying the test's references on.
  static void WhenModal(std::function<void(QWidget*)> act)
  {
    auto* timer = new QTimer(qApp);  // owned by the application object
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
      if (QWidget* w = QApplication::activeModalWidget()) {
        timer->stop();
        timer->deleteLater();
        act(w);
      }
    });
    timer->start(10);
    QTimer::singleShot(5000, timer, [timer] {
      timer->stop();
      timer->deleteLater();
      if (QWidget* w = QApplication::activeModalWidget())
        w->close();
    });
  }
};

}  // namespace

TEST_F(QtPromptsTest, BoxShowsTheTextsButtonsAndIcon)
{
  TQtPrompts prompts;
  prompts.SetTitle("Program obsługi"_cp);
  struct Case {
    TPromptButtons Buttons;
    TPromptKind Kind;
    QMessageBox::StandardButtons Expected;
    QMessageBox::Icon Icon;
  };
  const Case cases[] = {
      {TPromptButtons::Ok, TPromptKind::Information, QMessageBox::Ok, QMessageBox::Information},
      {TPromptButtons::OkCancel, TPromptKind::Warning, QMessageBox::Ok | QMessageBox::Cancel,
       QMessageBox::Warning},
      {TPromptButtons::YesNo, TPromptKind::Confirmation, QMessageBox::Yes | QMessageBox::No,
       QMessageBox::Question},
      {TPromptButtons::YesNoCancel, TPromptKind::Error,
       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Critical},
  };
  for (const auto& c : cases) {
    auto box = prompts.MakeBox("Zapisać zmiany?"_cp, "", c.Buttons, c.Kind);
    EXPECT_EQ(box->text(), QString::fromUtf8("Zapisać zmiany?"));
    EXPECT_EQ(box->windowTitle(), QString::fromUtf8("Program obsługi"));
    EXPECT_EQ(box->standardButtons(), c.Expected);
    EXPECT_EQ(box->icon(), c.Icon);
    ASSERT_NE(box->escapeButton(), nullptr);
    EXPECT_EQ(AnswerOfButton(box->standardButton(box->escapeButton()), c.Buttons), DismissAnswer(c.Buttons));
  }
  auto captioned = prompts.MakeBox("x", "Pytanie", TPromptButtons::YesNo, TPromptKind::Confirmation);
  EXPECT_EQ(captioned->windowTitle(), QStringLiteral("Pytanie"));
}

TEST_F(QtPromptsTest, ButtonAnswers)
{
  struct Case {
    QMessageBox::StandardButton Button;
    TPromptButtons Buttons;
    TPromptAnswer Expected;
  };
  const Case cases[] = {
      {QMessageBox::Yes, TPromptButtons::YesNo, TPromptAnswer::Yes},
      {QMessageBox::No, TPromptButtons::YesNoCancel, TPromptAnswer::No},
      {QMessageBox::Cancel, TPromptButtons::YesNoCancel, TPromptAnswer::Cancel},
      {QMessageBox::Ok, TPromptButtons::OkCancel, TPromptAnswer::Ok},
      {QMessageBox::NoButton, TPromptButtons::YesNo, TPromptAnswer::No},
      {QMessageBox::NoButton, TPromptButtons::OkCancel, TPromptAnswer::Cancel},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AnswerOfButton(c.Button, c.Buttons), c.Expected);
}

TEST_F(QtPromptsTest, FileFilters)
{
  struct Case {
    std::string In;
    QString Out;
  };
  const Case cases[] = {
      {"Pliki rejestracji|*.kiv|Wszystkie pliki|*.*",
       QStringLiteral("Pliki rejestracji (*.kiv);;Wszystkie pliki (*)")},
      {"Obrazy|*.bmp;*.png", QStringLiteral("Obrazy (*.bmp *.png)")},
      {"Pliki ustawień|*.set"_cp, QString::fromUtf8("Pliki ustawień (*.set)")},
      {"", QString()},
  };
  for (const auto& c : cases)
    EXPECT_EQ(QtFileFilter(c.In), c.Out) << c.In;
}

TEST_F(QtPromptsTest, ConfirmRunsTheBoxAndReturnsTheClickedButton)
{
  TQtPromptsInstaller installed;
  QString seenText;
  WhenModal([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    seenText = box->text();
    box->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(Prompts().Confirm("Nadpisać plik?"_cp, "KIV", TPromptButtons::YesNoCancel), TPromptAnswer::No);
  EXPECT_EQ(seenText, QString::fromUtf8("Nadpisać plik?"));

  WhenModal([](QWidget* w) { w->close(); });  // the close button of the box
  EXPECT_EQ(Prompts().Confirm("Again?", "KIV", TPromptButtons::YesNoCancel), TPromptAnswer::Cancel);

  WhenModal([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    seenText = box->text();
    box->button(QMessageBox::Ok)->click();
  });
  Prompts().Error("Błąd"_cp);
  EXPECT_EQ(seenText, QString::fromUtf8("Błąd"));
}

TEST_F(QtPromptsTest, InputQueryReturnsTheTypedText)
{
  TQtPrompts prompts;
  WhenModal([](QWidget* w) {
    auto* dlg = qobject_cast<QInputDialog*>(w);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->textValue(), QStringLiteral("COM1"));
    EXPECT_EQ(dlg->labelText(), QString::fromUtf8("Nazwa łącza:"));
    dlg->setTextValue(QString::fromUtf8("Łącze 3"));
    dlg->accept();
  });
  std::string value = "COM1";
  EXPECT_TRUE(prompts.InputQuery("Port", "Nazwa łącza:"_cp, value));
  EXPECT_EQ(value, std::string("Łącze 3"_cp));

  WhenModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
  EXPECT_FALSE(prompts.InputQuery("Port", "Nazwa:", value));
  EXPECT_EQ(value, std::string("Łącze 3"_cp));
}
