// What a menu bar offers, for the tests of the main window and its document windows.
#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>

#include <functional>
#include <map>

// Every action the menu bar can reach, with its shortcut.
inline std::multimap<QString, QAction*> ReachableShortcuts(QMenuBar* bar)
{
  std::multimap<QString, QAction*> found;
  std::function<void(QMenu*)> walk = [&](QMenu* menu) {
    for (QAction* a : menu->actions()) {
      if (a->menu())
        walk(a->menu());
      else if (!a->shortcut().isEmpty() && a->isEnabled())
        found.emplace(a->shortcut().toString(), a);
    }
  };
  for (QAction* a : bar->actions())
    if (a->menu())
      walk(a->menu());
  return found;
}

inline QStringList MenuTitles(QMenuBar* bar)
{
  QStringList titles;
  for (QAction* a : bar->actions())
    titles << a->text();
  return titles;
}
