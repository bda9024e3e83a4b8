#pragma once
// The about box: the program's name, version and maker.

#include <QDialog>

class TAboutBox : public QDialog {
  Q_OBJECT
public:
  explicit TAboutBox(QWidget* parent = nullptr);
};
