#include "app/ui/About.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "platform/qt/QtText.h"
#include "platform/Codepage.h"

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(ToQ("O programie"_cp));
  auto* layout = new QVBoxLayout(this);
  auto* name = new QLabel(ToQ("Program obslugi KIV"_cp), this);
  QFont bold = name->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.3);
  name->setFont(bold);
  layout->addWidget(name);
  layout->addWidget(new QLabel(QStringLiteral("KivsSN " KIVSSN_VERSION_TEXT), this));
  layout->addWidget(new QLabel(QStringLiteral("Velmarsk"), this));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
}
