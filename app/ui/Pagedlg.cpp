#include "app/ui/Pagedlg.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "app/logic/PagedlgLogic.h"
#include "platform/qt/QtText.h"
#include "platform/Codepage.h"

TPageDlgFrm::TPageDlgFrm(QWidget* parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("PageDlgFrm"));
  setWindowTitle(ToQ("Opcje wydruku"_cp));
  FNotebook = new QTabWidget(this);
  FNotebook->setObjectName(QStringLiteral("Notebook"));
  FNotebook->setTabPosition(QTabWidget::South);

  auto* range = new QWidget(FNotebook);
  auto* rangeLayout = new QVBoxLayout(range);
  const std::string_view captions[4] = {"Listing"_cp, "Wykres"_cp, "Zestaw nastaw 1"_cp,
                                        "Zestaw nastaw 2"_cp};
  const char* names[4] = {"cbPrintListing", "cbPrintGraph", "cbPrintZns1", "cbPrintZns2"};
  for (size_t i = 0; i < 4; ++i) {
    FBoxes[i] = new QCheckBox(ToQ(captions[i]), range);
    FBoxes[i]->setObjectName(QString::fromLatin1(names[i]));
    rangeLayout->addWidget(FBoxes[i]);
  }
  rangeLayout->addStretch();
  FNotebook->addTab(range, ToQ("Zakres wydruku"_cp));

  auto* margins = new QWidget(FNotebook);
  auto* grid = new QGridLayout(margins);
  const std::string_view labels[4] = {"Górny"_cp, "Dolny"_cp, "Lewy"_cp, "Prawy"_cp};
  const char* editNames[4] = {"editTopMargin", "editBottomMargin", "editLeftMargin", "editRightMargin"};
  for (size_t i = 0; i < 4; ++i) {
    const auto m = TMargin(i);
    FEdits[i] = new QLineEdit(margins);
    FEdits[i]->setObjectName(QString::fromLatin1(editNames[i]));
    FEdits[i]->setMinimumWidth(FEdits[i]->fontMetrics().horizontalAdvance(QStringLiteral("000,00 cm")) + 12);
    auto* up = FUp[i] = new QToolButton(margins);
    up->setArrowType(Qt::UpArrow);
    up->setAutoRepeat(true);
    auto* down = FDown[i] = new QToolButton(margins);
    down->setArrowType(Qt::DownArrow);
    down->setAutoRepeat(true);
    const QString spinName = QStringLiteral("SpinButton%1").arg(i + 1);
    up->setObjectName(spinName + QStringLiteral("Up"));
    down->setObjectName(spinName + QStringLiteral("Down"));
    auto* spin = new QVBoxLayout;
    spin->setSpacing(0);
    spin->addWidget(up);
    spin->addWidget(down);
    const int row = int(i);
    grid->addWidget(new QLabel(ToQ(labels[i]), margins), row, 0);
    grid->addWidget(FEdits[i], row, 1);
    grid->addLayout(spin, row, 2);
    connect(up, &QToolButton::clicked, this, [this, m] { SpinUp(m); });
    connect(down, &QToolButton::clicked, this, [this, m] { SpinDown(m); });
    connect(FEdits[i], &QLineEdit::editingFinished, this, [this, m] { StoreMargin(m); });
  }
  grid->setRowStretch(4, 1);
  FNotebook->addTab(margins, ToQ("Marginesy"_cp));

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("OKBtn"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(ToQ("Anuluj"_cp), this);
  cancel->setObjectName(QStringLiteral("CancelBtn"));
  auto* help = new QPushButton(ToQ("&Pomoc"_cp), this);
  help->setObjectName(QStringLiteral("HelpBtn"));
  // No help viewer on this system: the button is there and does nothing.
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  buttons->addWidget(help);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(FNotebook, 1);
  layout->addLayout(buttons);

  FMargins.fill(DEFAULT_MARGIN);
  ShowMargins();
  SetPrintFlags(PrintFlag::Listing | PrintFlag::Chart);
}

void TPageDlgFrm::SetPrintFlags(uint8_t flags)
{
  FFlags = flags;
  for (size_t i = 0; i < 4; ++i)
    FBoxes[i]->setChecked((flags >> i) & 1);
}

uint8_t TPageDlgFrm::GetPrintFlags() const
{
  uint8_t flags = 0;
  for (size_t i = 0; i < 4; ++i)
    if (FBoxes[i]->isChecked())
      flags = uint8_t(flags | (1u << i));
  return flags;
}

bool TPageDlgFrm::Execute()
{
  const int result = FRun ? FRun(*this) : exec();
  if (result != QDialog::Accepted) {
    SetPrintFlags(FFlags);
    return false;
  }
  FFlags = GetPrintFlags();
  return true;
}

int TPageDlgFrm::EditValue(TMargin m) const
{
  return ReadMarginText(FromQ(FEdits[size_t(m)]->text())).value_or(FMargins[size_t(m)]);
}

void TPageDlgFrm::Spin(TMargin m, int delta)
{
  // The arrows take no focus, so an edit changed only by them is never left: what they
  // show is stored at once, or OK would keep the old margin under the new text. Only this
  // margin is shown again; an edit the user is still typing into keeps its text.
  const int v = std::max(0, EditValue(m) + delta);
  FMargins[size_t(m)] = v;
  FEdits[size_t(m)]->setText(ToQ(MarginText(v)));
}

void TPageDlgFrm::StoreMargin(TMargin m)
{
  FMargins[size_t(m)] = EditValue(m) < 0 ? 0 : EditValue(m);
  ShowMargins();
}

void TPageDlgFrm::ShowMargins()
{
  for (size_t i = 0; i < 4; ++i)
    FEdits[i]->setText(ToQ(MarginText(FMargins[i])));
}
