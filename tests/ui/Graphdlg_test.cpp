// The chart options dialog as widgets: its pages and tabs, the loaded texts, the spin
// buttons, a refused scaling value, the colour dialog through the prompts, and one exec()
// closed by a timer for OK and for Cancel.
#include "charts/ui/Graphdlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include "GraphFixture.h"
#include "tests/ui/DialogTools.h"
#include "platform/qt/QtText.h"
#include "charts/ui/Graph.h"
#include "platform/NumText.h"
#include "platform/Prompts.h"

namespace {

class Graphdlg : public TQtTest {
protected:
  TScriptedCommaScope Scope;
  TScriptedPrompts& P = Scope.P;
};

// Works the modal dialog once its loop has started, as the active window.
void OnDialog(const std::function<void(TGraphSetup&)>& Fn) { OnModalDialog<TGraphSetup>(Fn); }

}  // namespace

TEST_F(Graphdlg, OpensOnTheGridLinesWithTheChartsValues)
{
  TGraphModel M;
  M.SetCopyRangeAll(false);
  M.SetMajorGridWidth(0.123L);
  M.SetMajorGridColor(0x0000FF);
  M.SetShowMinorGrid(true);
  TGraphSetup D;
  D.Load(M);
  EXPECT_EQ(D.windowTitle(), QStringLiteral("Opcje wykresu"));
  EXPECT_EQ(D.size(), QSize(438, 273));
  EXPECT_TRUE(D.font().bold());
  ASSERT_EQ(D.TabSet()->count(), 3);
  EXPECT_EQ(D.TabSet()->tabText(0), QStringLiteral("Kopiowanie"));
  EXPECT_EQ(D.TabSet()->tabText(1), QStringLiteral("Linie pomocnicze"));
  EXPECT_EQ(D.TabSet()->tabText(2), QStringLiteral("Skalowanie"));
  EXPECT_EQ(D.TabSet()->currentIndex(), 1);
  EXPECT_EQ(D.Notebook()->currentIndex(), 1);
  EXPECT_TRUE(D.grab().save(QStringLiteral(KIV_BINARY_DIR "/graph_setup.png")));
  D.TabSet()->setCurrentIndex(2);
  EXPECT_EQ(D.Notebook()->currentIndex(), 2);

  EXPECT_TRUE(D.rbSelectMark()->isChecked());
  EXPECT_FALSE(D.rbSelectAll()->isChecked());
  EXPECT_EQ(D.Edit1()->text(), QStringLiteral("0,12"));
  EXPECT_EQ(D.Edit2()->text(), QStringLiteral("0,1"));
  EXPECT_FALSE(D.cbShowMajor()->isChecked());
  EXPECT_TRUE(D.cbShowMinor()->isChecked());
  EXPECT_EQ(D.edit_dXPerDiv()->text(), QStringLiteral("1"));
  EXPECT_EQ(D.editdXLen()->text(), QStringLiteral("10"));
  EXPECT_EQ(D.edit_MinorGridCnt()->text(), QStringLiteral("4"));
  EXPECT_EQ(D.Shape1()->palette().color(QPalette::Window), QColor(255, 0, 0));
  EXPECT_EQ(D.Shape2()->palette().color(QPalette::Window), QColor(0, 0, 255));
}

TEST_F(Graphdlg, ControlsChangeTheWorkingCopies)
{
  TGraphModel M;
  TGraphSetup D;
  D.Load(M);
  D.Edit1()->setText(QStringLiteral("0,2"));
  D.SpinUp(1)->click();
  EXPECT_EQ(D.Edit1()->text(), QStringLiteral("0,3"));
  D.SpinDown(2)->click();
  EXPECT_EQ(D.Edit2()->text(), QStringLiteral("0"));

  D.rbSelectMark()->click();
  EXPECT_EQ(D.State().CopyRange, 0);
  D.cbShowMajor()->click();
  EXPECT_TRUE(D.State().ShowMajor);

  P.Colors.push_back(0x00FF00);
  P.Colors.push_back(std::nullopt);
  D.btnColorSetup1()->click();
  EXPECT_EQ(D.State().MajorColor, 0x00FF00u);
  EXPECT_EQ(D.Shape1()->palette().color(QPalette::Window), QColor(0, 255, 0));
  D.Button1()->click();  // cancelled: the minor colour stays
  EXPECT_EQ(D.State().MinorColor, 0xFF0000u);
  ASSERT_EQ(P.Texts(TScriptedPrompts::TKind::Color).size(), 2u);
  EXPECT_EQ(P.Texts(TScriptedPrompts::TKind::Color)[0], "FF0000");  // the colour shown first

  // A refused scaling value: the message, and the edit shows the value that stays.
  D.edit_dXPerDiv()->setText(QStringLiteral("0"));
  emit D.edit_dXPerDiv()->editingFinished();
  EXPECT_EQ(P.Texts(TScriptedPrompts::TKind::Error), std::vector<std::string>{"Wartość spoza zakresu: 0"_cp});
  EXPECT_EQ(D.edit_dXPerDiv()->text(), QStringLiteral("1"));
  D.editdXLen()->setText(QStringLiteral("2,6"));
  emit D.editdXLen()->editingFinished();
  EXPECT_EQ(D.State().dXLen, 3);

  ASSERT_TRUE(D.Apply(M));
  EXPECT_FALSE(M.CopyRangeAll());
  EXPECT_EQ(M.MajorGridColor(), 0x00FF00u);
  EXPECT_EQ(M.MajorGridWidth(), static_cast<long double>(0.3));
  EXPECT_EQ(M.MinorGridWidth(), 0.0L);
  EXPECT_EQ(M.dXLen(), 3);
  EXPECT_EQ(M.dXPerDiv(), 1.0);
}

TEST_F(Graphdlg, ExecClosedByOkAndByCancel)
{
  TGraph G;
  FillNineTraces(G.Model());
  OnDialog([](TGraphSetup& D) {
    D.Edit1()->setText(QStringLiteral("-0,7"));
    D.cbShowMajor()->setChecked(true);
    D.OKBtn()->click();
  });
  EXPECT_TRUE(ShowSetupDialog(G));
  EXPECT_EQ(G.Model().MajorGridWidth(), static_cast<long double>(0.7));
  EXPECT_TRUE(G.Model().ShowMajorGrid());

  // Cancel after a colour change leaves the chart's colours.
  P.Colors.push_back(0x00FFFF);
  OnDialog([](TGraphSetup& D) {
    D.btnColorSetup1()->click();
    EXPECT_EQ(D.State().MajorColor, 0x00FFFFu);
    D.CancelBtn()->click();
  });
  EXPECT_FALSE(ShowSetupDialog(G));
  EXPECT_EQ(G.Model().MajorGridColor(), 0xFF0000u);
  EXPECT_FALSE(G.Model().UpdateLock());
}

TEST_F(Graphdlg, EachGridColumnHasItsOwnLabels)
{
  TGraphModel M;
  TGraphSetup D;
  D.Load(M);
  D.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&D));
  struct TColumn {
    const char* Title;
    QLineEdit* Edit;
    QCheckBox* Show;
  } Columns[] = {{"Główne linie siatki", D.Edit1(), D.cbShowMajor()},
                 {"Pomocnicze linie siatki", D.Edit2(), D.cbShowMinor()}};
  for (const TColumn& C : Columns) {
    QGroupBox* Box = nullptr;
    for (QGroupBox* B : D.Notebook()->currentWidget()->findChildren<QGroupBox*>())
      if (B->title() == QString::fromUtf8(C.Title))
        Box = B;
    ASSERT_NE(Box, nullptr) << C.Title;
    EXPECT_TRUE(Box->isAncestorOf(C.Edit)) << C.Title;
    EXPECT_TRUE(Box->isAncestorOf(C.Show)) << C.Title;
    EXPECT_EQ(C.Show->text(), QStringLiteral("Widoczne"));
    QStringList Shown;
    for (QLabel* L : Box->findChildren<QLabel*>()) {
      if (!L->isVisible())
        continue;
      Shown << L->text();
      // The whole text fits inside its column and inside the dialog.
      const QRect InBox(L->mapTo(Box, QPoint(0, 0)), L->size());
      EXPECT_TRUE(Box->rect().contains(InBox)) << L->text().toStdString();
      EXPECT_GE(L->width(), L->sizeHint().width()) << L->text().toStdString();
    }
    EXPECT_EQ(Shown, (QStringList{QString::fromUtf8("Grubość [mm]"), QStringLiteral("Kolor"),
                                  QStringLiteral("Rodzaj linii")}))
        << C.Title;
    EXPECT_TRUE(D.rect().contains(QRect(Box->mapTo(&D, QPoint(0, 0)), Box->size()))) << C.Title;
  }
}

TEST_F(Graphdlg, RefusedScalingNumberSaysWhy)
{
  TGraph G;
  FillNineTraces(G.Model());
  OnDialog([this](TGraphSetup& D) {
    QTabBar* Tabs = D.TabSet();
    QTest::mouseClick(Tabs, Qt::LeftButton, {}, Tabs->tabRect(2).center());
    ASSERT_EQ(D.Notebook()->currentIndex(), 2);
    struct TCase {
      QLineEdit* Edit;
      const char* Typed;
      std::string Message;
      const char* Shown;  // what the edit shows afterwards
    } Cases[] = {
        {D.editdXLen(), "0", "Wartość spoza zakresu: 0"_cp, "10"},
        {D.edit_dXPerDiv(), "-1", "Wartość spoza zakresu: -1"_cp, "1"},
        {D.edit_MinorGridCnt(), "70000", "Wartość spoza zakresu: 70000"_cp, "4"},
        {D.edit_dXPerDiv(), "abc", "'abc' is not a valid floating point value", "1"},
    };
    for (const TCase& C : Cases) {
      P.Clear();
      ClickInto(C.Edit, C.Edit);
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
      QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(C.Typed));
      // Leaving the edit takes its number.
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      EXPECT_NE(QApplication::focusWidget(), C.Edit);
      EXPECT_EQ(P.Texts(TScriptedPrompts::TKind::Error), std::vector<std::string>{C.Message}) << C.Typed;
      EXPECT_EQ(C.Edit->text(), QString::fromLatin1(C.Shown)) << C.Typed;
    }
    QTest::mouseClick(D.OKBtn(), Qt::LeftButton);
  });
  EXPECT_TRUE(ShowSetupDialog(G));
  EXPECT_EQ(G.Model().dXLen(), 10);
  EXPECT_EQ(G.Model().dXPerDiv(), 1.0);
  EXPECT_EQ(G.Model().MinorGridCnt(), 4);
}
