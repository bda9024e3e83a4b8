#include "charts/ui/Graphdlg.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/qt/QtText.h"
#include "charts/ui/Graph.h"
#include "charts/ui/GraphRender.h"
#include "platform/Codepage.h"
#include "platform/Prompts.h"

namespace {

QLabel* Label(std::string_view Cp1250, QWidget* Parent) { return new QLabel(ToQ(Cp1250), Parent); }

// An edit with the two arrows of a spin button beside it.
QWidget* SpinEdit(QWidget* Parent, QLineEdit*& Edit, QToolButton*& Up, QToolButton*& Down)
{
  auto* Box = new QWidget(Parent);
  auto* Row = new QHBoxLayout(Box);
  Row->setContentsMargins(0, 0, 0, 0);
  Row->setSpacing(0);
  Edit = new QLineEdit(Box);
  Edit->setFixedWidth(60);
  auto* Arrows = new QVBoxLayout;
  Arrows->setSpacing(0);
  Up = new QToolButton(Box);
  Up->setArrowType(Qt::UpArrow);
  Down = new QToolButton(Box);
  Down->setArrowType(Qt::DownArrow);
  for (QToolButton* B : {Up, Down}) {
    B->setFixedSize(16, 11);
    B->setAutoRepeat(true);
    Arrows->addWidget(B);
  }
  Row->addWidget(Edit);
  Row->addLayout(Arrows);
  Row->addStretch();
  return Box;
}

QFrame* ColorSample(QWidget* Parent)
{
  auto* F = new QFrame(Parent);
  F->setFrameShape(QFrame::Box);
  F->setFixedSize(40, 20);
  F->setAutoFillBackground(true);
  return F;
}

}  // namespace

TGraphSetup::TGraphSetup(QWidget* Parent) : QDialog(Parent)
{
  setWindowTitle(ToQ("Opcje wykresu"_cp));
  QFont F(QStringLiteral("Liberation Sans"));
  F.setStyleHint(QFont::SansSerif);
  F.setPointSize(8);
  F.setBold(true);
  setFont(F);

  FNotebook = new QStackedWidget(this);
  FNotebook->addWidget(MakeCopyPage());
  FNotebook->addWidget(MakeGridPage());
  FNotebook->addWidget(MakeScalePage());
  FTabSet = new QTabBar(this);
  FTabSet->setShape(QTabBar::RoundedSouth);
  for (const auto* Name : {"Kopiowanie", "Linie pomocnicze", "Skalowanie"})
    FTabSet->addTab(ToQ(Name));
  connect(FTabSet, &QTabBar::currentChanged, FNotebook, &QStackedWidget::setCurrentIndex);

  FOk = new QPushButton(QStringLiteral("OK"), this);
  FOk->setDefault(true);
  FCancel = new QPushButton(QStringLiteral("Cancel"), this);
  FHelp = new QPushButton(QStringLiteral("Help"), this);
  connect(FOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(FCancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* Left = new QVBoxLayout;
  Left->addWidget(FNotebook, 1);
  Left->addWidget(FTabSet);
  auto* Buttons = new QVBoxLayout;
  Buttons->addWidget(FOk);
  Buttons->addWidget(FCancel);
  Buttons->addWidget(FHelp);
  Buttons->addStretch();
  auto* Top = new QHBoxLayout(this);
  Top->addLayout(Left, 1);
  Top->addLayout(Buttons);
  setFixedSize(438, 273);

  // The dialog opens on the grid lines.
  FTabSet->setCurrentIndex(1);
  FNotebook->setCurrentIndex(1);
}

QWidget* TGraphSetup::MakeCopyPage()
{
  auto* Page = new QWidget;
  auto* Group = new QGroupBox(ToQ("Przy kopiowaniu skopiuj przebiegi dla"_cp), Page);
  FSelectAll = new QRadioButton(ToQ("Wszystkich wartości osi czasu"_cp), Group);
  FSelectMark = new QRadioButton(ToQ("Czasu wyznaczonego znacznikami"_cp), Group);
  auto* G = new QVBoxLayout(Group);
  G->addWidget(FSelectAll);
  G->addWidget(FSelectMark);
  auto* L = new QVBoxLayout(Page);
  L->addWidget(Group);
  L->addStretch();
  connect(FSelectAll, &QRadioButton::clicked, this, [this] { FState.CopyRange = 1; });
  connect(FSelectMark, &QRadioButton::clicked, this, [this] { FState.CopyRange = 0; });
  return Page;
}

QWidget* TGraphSetup::MakeGridPage()
{
  auto* Page = new QWidget;
  auto* Columns = new QHBoxLayout(Page);
  // Each column carries its own labels, so either reads on its own.
  auto Column = [Page](std::string_view Title, QLineEdit*& Edit, QToolButton*& Up, QToolButton*& Down,
                       QFrame*& Shape, QPushButton*& Color, QCheckBox*& Show) {
    auto* Box = new QGroupBox(ToQ(Title), Page);
    // Each label above its control: two columns side by side leave no room beside them.
    auto* L = new QVBoxLayout(Box);
    L->setSpacing(2);
    L->addWidget(Label("Grubość [mm]"_cp, Box));
    L->addWidget(SpinEdit(Box, Edit, Up, Down));
    L->addWidget(Label("Kolor"_cp, Box));
    Shape = ColorSample(Box);
    Color = new QPushButton(QStringLiteral("---"), Box);
    Color->setFixedWidth(30);
    auto* Row = new QHBoxLayout;
    Row->addWidget(Shape);
    Row->addWidget(Color);
    Row->addStretch();
    L->addLayout(Row);
    Show = new QCheckBox(ToQ("Widoczne"_cp), Box);
    L->addWidget(Show);
    L->addWidget(Label("Rodzaj linii"_cp, Box));
    L->addStretch();
    return Box;
  };
  Columns->addWidget(
      Column("Główne linie siatki"_cp, FEdit1, FSpin1Up, FSpin1Down, FShape1, FColor1, FShowMajor));
  Columns->addWidget(
      Column("Pomocnicze linie siatki"_cp, FEdit2, FSpin2Up, FSpin2Down, FShape2, FColor2, FShowMinor));

  connect(FSpin1Up, &QToolButton::clicked, this, [this] { Spin(FEdit1, true); });
  connect(FSpin1Down, &QToolButton::clicked, this, [this] { Spin(FEdit1, false); });
  connect(FSpin2Up, &QToolButton::clicked, this, [this] { Spin(FEdit2, true); });
  connect(FSpin2Down, &QToolButton::clicked, this, [this] { Spin(FEdit2, false); });
  connect(FEdit1, &QLineEdit::textEdited, this,
          [this](const QString& T) { FState.MajorWidthText = FromQ(T); });
  connect(FEdit2, &QLineEdit::textEdited, this,
          [this](const QString& T) { FState.MinorWidthText = FromQ(T); });
  connect(FColor1, &QPushButton::clicked, this, [this] { PickColor(FState.MajorColor); });
  connect(FColor2, &QPushButton::clicked, this, [this] { PickColor(FState.MinorColor); });
  connect(FShowMajor, &QCheckBox::toggled, this, [this](bool On) { FState.ShowMajor = On; });
  connect(FShowMinor, &QCheckBox::toggled, this, [this](bool On) { FState.ShowMinor = On; });
  return Page;
}

QWidget* TGraphSetup::MakeScalePage()
{
  auto* Page = new QWidget;
  auto* G = new QGridLayout(Page);
  G->addWidget(Label("Oś X"_cp, Page), 0, 0);
  G->addWidget(Label("Wartość/działkę"_cp, Page), 1, 0);
  G->addWidget(Label("Długość działki głównej"_cp, Page), 2, 0);
  G->addWidget(Label("Il działek pomocniczych"_cp, Page), 3, 0);
  FPerDiv = new QLineEdit(Page);
  FLen = new QLineEdit(Page);
  FMinorCnt = new QLineEdit(Page);
  G->addWidget(FPerDiv, 1, 1);
  G->addWidget(FLen, 2, 1);
  G->addWidget(FMinorCnt, 3, 1);
  G->setRowStretch(4, 1);
  // Leaving an edit takes its number; a refused one shows the value that stays.
  connect(FPerDiv, &QLineEdit::editingFinished, this, [this] {
    if (!FState.TakedXPerDiv(FromQ(FPerDiv->text())))
      FPerDiv->setText(ToQ(FState.dXPerDivText()));
  });
  connect(FLen, &QLineEdit::editingFinished, this, [this] {
    if (!FState.TakedXLen(FromQ(FLen->text())))
      FLen->setText(ToQ(FState.dXLenText()));
  });
  connect(FMinorCnt, &QLineEdit::editingFinished, this, [this] {
    if (!FState.TakeMinorGridCnt(FromQ(FMinorCnt->text())))
      FMinorCnt->setText(ToQ(FState.MinorGridCntText()));
  });
  return Page;
}

void TGraphSetup::Load(const TGraphModel& Model)
{
  FState.Load(Model);
  ShowState();
}

void TGraphSetup::ShowState()
{
  PaintSamples();
  (FState.CopyRange == 1 ? FSelectAll : FSelectMark)->setChecked(true);
  FEdit1->setText(ToQ(FState.MajorWidthText));
  FEdit2->setText(ToQ(FState.MinorWidthText));
  FShowMajor->setChecked(FState.ShowMajor);
  FShowMinor->setChecked(FState.ShowMinor);
  FPerDiv->setText(ToQ(FState.dXPerDivText()));
  FLen->setText(ToQ(FState.dXLenText()));
  FMinorCnt->setText(ToQ(FState.MinorGridCntText()));
}

void TGraphSetup::PaintSamples()
{
  for (auto [Shape, Color] : {std::pair{FShape1, FState.MajorColor}, std::pair{FShape2, FState.MinorColor}}) {
    QPalette P = Shape->palette();
    P.setColor(QPalette::Window, ColorRefToQColor(Color));
    Shape->setPalette(P);
    Shape->update();
  }
}

void TGraphSetup::Spin(QLineEdit* Edit, bool Up)
{
  std::string Text = FromQ(Edit->text());
  if (!SpinText(Text, Up))
    return;
  Edit->setText(ToQ(Text));
  (Edit == FEdit1 ? FState.MajorWidthText : FState.MinorWidthText) = Text;
}

void TGraphSetup::PickColor(TColorRef& Color)
{
  uint32_t C = Color;
  if (Prompts().ChooseColor(C)) {
    Color = C;
    PaintSamples();
  }
}

bool TGraphSetup::Run() { return exec() == QDialog::Accepted; }

bool TGraphSetup::Apply(TGraphModel& Model)
{
  // The width edits may have been typed into without a text signal reaching the state
  // (text set programmatically): read them as they stand.
  FState.MajorWidthText = FromQ(FEdit1->text());
  FState.MinorWidthText = FromQ(FEdit2->text());
  return FState.Apply(Model);
}

bool ShowSetupDialog(TGraph& Graph)
{
  TGraphSetup Dialog(&Graph);
  Dialog.Load(Graph.Model());
  const bool Ok = Dialog.Run();
  if (Ok)
    Dialog.Apply(Graph.Model());
  AfterSetupDialog(Graph.Model());
  return Ok;
}
