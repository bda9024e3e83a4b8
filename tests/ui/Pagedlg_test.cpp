#include "app/ui/Pagedlg.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include <gtest/gtest.h>

#include "tests/ui/DialogTools.h"
#include "tests/ui/QtTestApp.h"

class TPageDlgTest : public TQtAppTest {};

TEST_F(TPageDlgTest, FlagsShowAndComeBack)
{
  TPageDlgFrm dlg;
  EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Opcje wydruku"));
  EXPECT_EQ(dlg.Notebook()->tabText(0), QStringLiteral("Zakres wydruku"));
  EXPECT_EQ(dlg.Notebook()->tabText(1), QStringLiteral("Marginesy"));
  for (uint8_t flags : {uint8_t(3), uint8_t(0), uint8_t(12), uint8_t(15), uint8_t(5)}) {
    dlg.SetPrintFlags(flags);
    for (int bit = 0; bit < 4; ++bit)
      EXPECT_EQ(dlg.FlagBox(bit)->isChecked(), bool((flags >> bit) & 1));
    dlg.SetRunner([](TPageDlgFrm&) { return int(QDialog::Accepted); });
    EXPECT_TRUE(dlg.Execute());
    EXPECT_EQ(dlg.PrintFlags(), flags);
  }
  dlg.SetPrintFlags(3);
  dlg.SetRunner([](TPageDlgFrm& d) {
    d.FlagBox(2)->setChecked(true);
    return int(QDialog::Rejected);
  });
  EXPECT_FALSE(dlg.Execute());
  EXPECT_EQ(dlg.PrintFlags(), 3);
  EXPECT_FALSE(dlg.FlagBox(2)->isChecked());
}

TEST_F(TPageDlgTest, Margins)
{
  TPageDlgFrm dlg;
  for (auto m : {TPageDlgFrm::Top, TPageDlgFrm::Bottom, TPageDlgFrm::Left, TPageDlgFrm::Right}) {
    EXPECT_EQ(dlg.Margin(m), 25);
    EXPECT_EQ(dlg.MarginEdit(m)->text(), QStringLiteral("2,50 cm"));
  }
  QLineEdit* top = dlg.MarginEdit(TPageDlgFrm::Top);
  top->setText(QStringLiteral("3,25 cm"));
  dlg.StoreMargin(TPageDlgFrm::Top);
  EXPECT_EQ(dlg.Margin(TPageDlgFrm::Top), 32);
  EXPECT_EQ(top->text(), QStringLiteral("3,20 cm"));

  // Spinning past 10 cm goes on (two fixed decimals, no sticking).
  QLineEdit* left = dlg.MarginEdit(TPageDlgFrm::Left);
  left->setText(QStringLiteral("9,90 cm"));
  dlg.SpinUp(TPageDlgFrm::Left);
  EXPECT_EQ(left->text(), QStringLiteral("10,00 cm"));
  dlg.SpinUp(TPageDlgFrm::Left);
  EXPECT_EQ(left->text(), QStringLiteral("10,10 cm"));
  EXPECT_EQ(dlg.Margin(TPageDlgFrm::Left), 101);

  QLineEdit* right = dlg.MarginEdit(TPageDlgFrm::Right);
  right->setText(QStringLiteral("0,00 cm"));
  dlg.SpinDown(TPageDlgFrm::Right);
  EXPECT_EQ(right->text(), QStringLiteral("0,00 cm"));
  EXPECT_EQ(dlg.Margin(TPageDlgFrm::Right), 0);
  dlg.StoreMargin(TPageDlgFrm::Right);
  // No number: the old margin stays.
  right->setText(QStringLiteral("abc"));
  dlg.StoreMargin(TPageDlgFrm::Right);
  EXPECT_EQ(dlg.Margin(TPageDlgFrm::Right), 0);
  EXPECT_EQ(right->text(), QStringLiteral("0,00 cm"));
}

TEST_F(TPageDlgTest, MarginChangedWithTheArrowsIsStored)
{
  TPageDlgFrm dlg;
  OnModalDialog<TPageDlgFrm>([](TPageDlgFrm& d) {
    QTabBar* tabs = d.Notebook()->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    ASSERT_EQ(d.Notebook()->currentIndex(), 1);
    // The user is typing a left margin and has not left that edit yet.
    QLineEdit* left = d.MarginEdit(TPageDlgFrm::Left);
    ClickInto(left, left);
    left->selectAll();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("4"));
    for (int i = 0; i < 2; ++i)
      QTest::mouseClick(d.SpinArrow(TPageDlgFrm::Top, true), Qt::LeftButton);
    QTest::mouseClick(d.SpinArrow(TPageDlgFrm::Bottom, false), Qt::LeftButton);
    EXPECT_EQ(d.MarginEdit(TPageDlgFrm::Top)->text(), QStringLiteral("2,70 cm"));
    EXPECT_EQ(d.MarginEdit(TPageDlgFrm::Bottom)->text(), QStringLiteral("2,40 cm"));
    // The arrows left the typing alone.
    EXPECT_EQ(QApplication::focusWidget(), left);
    EXPECT_EQ(left->text(), QStringLiteral("4"));
    QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
  });
  EXPECT_TRUE(dlg.Execute());
  EXPECT_EQ(dlg.Margin(TPageDlgFrm::Top), 27);
  EXPECT_EQ(dlg.Margin(TPageDlgFrm::Bottom), 24);
  EXPECT_EQ(dlg.Margin(TPageDlgFrm::Left), 40);
  EXPECT_EQ(dlg.Margin(TPageDlgFrm::Right), 25);
  EXPECT_EQ(dlg.MarginEdit(TPageDlgFrm::Left)->text(), QStringLiteral("4,00 cm"));
}
