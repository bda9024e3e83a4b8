// Working a modal dialog the way a user does: once its loop runs, the dialog is made the
// active window so clicks give focus and keys reach the focused widget, and it is closed
// afterwards even when a step failed, so no test waits on an open dialog.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QPoint>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

template <class TDialog>
void OnModalDialog(const std::function<void(TDialog&)>& work)
{
  QTimer::singleShot(0, [work] {
    auto* dlg = qobject_cast<TDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dlg, nullptr);
    dlg->activateWindow();
    if (QTest::qWaitForWindowActive(dlg))
      work(*dlg);
    else
      ADD_FAILURE() << "the dialog never became the active window";
    if (dlg->isVisible()) {
      ADD_FAILURE() << "the dialog is still open";
      dlg->reject();
    }
  });
}

// A click near a widget's top-left corner; it gives focusOwner the focus as it would a user.
inline void ClickInto(QWidget* target, QWidget* focusOwner)
{
  QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(4, 4));
  EXPECT_EQ(QApplication::focusWidget(), focusOwner);
}
