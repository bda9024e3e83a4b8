// The document window's controls: its three pages, the side buttons and the menus.

#include "app/ui/Child.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/document/Kivbase.h"
#include "app/events/Lister.h"
#include "app/ui/ChildGrid.h"
#include "app/ui/ChildMemo.h"
#include "app/ui/ListerSinks.h"
#include "platform/qt/QtText.h"
#include "charts/ui/Graph.h"
#include "charts/ui/Graphdlg.h"
#include "platform/Codepage.h"
#include "platform/DateTime.h"
#include "platform/NumText.h"
#include "platform/Prompts.h"

namespace {
// "short|long": the short part as the tool tip, the long one (or the short) as status tip.
void SetHint(QWidget* w, const std::string& hint)
{
  const QString h = ToQ(hint);
  const qsizetype bar = h.indexOf(QLatin1Char('|'));
  w->setToolTip(bar < 0 ? h : h.left(bar));
  w->setStatusTip(bar < 0 ? h : h.mid(bar + 1));
}
void SetHint(QAction* a, const std::string& hint)
{
  a->setStatusTip(ToQ(hint));
  a->setToolTip(ToQ(hint));
}
QCheckBox* CheckBox(const std::string& caption, QWidget* parent)
{
  return new QCheckBox(ToQ(caption), parent);
}
}  // namespace

// --- Construction -----------------------------------------------------------------------

void TChildForm::BuildPages()
{
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  Notebook1 = new QTabWidget(this);
  Notebook1->addTab(BuildEventsPage(), ToQ("Bufor zdarzeń"_cp));
  Notebook1->addTab(BuildGridPage(), ToQ("Zestawy Nastaw"));
  Notebook1->addTab(BuildReadPage(), ToQ("Zapis/Odczyt"));
  Notebook1->setCurrentIndex(2);
  layout->addWidget(Notebook1, 1);

  Panel2 = new QWidget(this);
  auto* side = new QVBoxLayout(Panel2);
  side->setContentsMargins(2, 24, 2, 2);
  for (int i = 0; i < 3; ++i) {
    Btn[i] = new QPushButton(Panel2);
    side->addWidget(Btn[i]);
    connect(Btn[i], &QPushButton::clicked, this, [this, i] { RunPageAction(i); });
  }
  side->addStretch(1);
  layout->addWidget(Panel2);
  connect(Notebook1, &QTabWidget::currentChanged, this, [this](int page) { Notebook1Change(page); });
}

QWidget* TChildForm::BuildEventsPage()
{
  Panel3 = new QFrame();
  Panel3->setFrameShape(QFrame::StyledPanel);
  EventsListBox = new QListWidget(Panel3);
  EventsListBox->addItem(ToQ("Nie odczytany"));
  EventsListBox->setSelectionMode(QAbstractItemView::SingleSelection);
  FMemo = new QTextEdit(Panel3);
  FMemo->setReadOnly(true);
  FMemo->setLineWrapMode(QTextEdit::NoWrap);
  FMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  FMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  FGraph = new TGraph(Panel3);
  Panel3->installEventFilter(this);
  EventsListBox->installEventFilter(this);
  connect(EventsListBox, &QListWidget::itemClicked, this, [this] { EventsListBoxClick(true); });
  return Panel3;
}

QWidget* TChildForm::BuildGridPage()
{
  auto* page = new QWidget();
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(0, 0, 0, 0);
  v->setSpacing(0);
  ZnsGrid = new TZnsGridView(FCells, page);
  ZnsGrid->GridModel()->IsEditable = [this](int col, int row) {
    return FKiv->GetKivType() != 0 && ZnsCellEditable(FKiv->Defs(), col, row);
  };
  ZnsGrid->GridModel()->OnSetEditText = [this](int col, int row, const std::string& text) {
    ZnsGridSetEditText(col, row, text);
  };
  v->addWidget(ZnsGrid, 1);
  TabSet1 = new QTabBar(page);
  TabSet1->setShape(QTabBar::RoundedSouth);
  TabSet1->addTab(ToQ("Zestaw Nastaw 1"));
  TabSet1->addTab(ToQ("Zestaw Nastaw 2"));
  TabSet1->setExpanding(false);
  v->addWidget(TabSet1);
  connect(TabSet1, &QTabBar::currentChanged, this, [this](int index) { TabSet1Change(index); });
  return page;
}

QWidget* TChildForm::BuildReadPage()
{
  auto* page = new QWidget();
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(2, 2, 2, 2);
  auto* panel4 = new QWidget(page);
  auto* g = new QGridLayout(panel4);
  g->setContentsMargins(4, 4, 4, 4);
  g->setHorizontalSpacing(12);
  g->addWidget(new QLabel(ToQ("Odczyt:"), panel4), 0, 0);
  chbZestaw1 = CheckBox("Zestaw nastaw 1", panel4);
  chbZestaw2 = CheckBox("Zestaw nastaw 2", panel4);
  chbEventRegister = CheckBox("Rejestr zdarzen", panel4);
  chbcorrectIOtimes = CheckBox("Koryguj czasy zadz. urządzeń"_cp, panel4);
  ChBshowallEvents = CheckBox("Pokaż wszyskie zdarzenia"_cp, panel4);
  ChbTraceMessages = CheckBox("Śledź dane z RS"_cp, panel4);
  for (QCheckBox* b : {chbZestaw1, chbZestaw2, chbEventRegister, chbcorrectIOtimes})
    b->setChecked(true);
  ChbTraceMessages->hide();
  g->addWidget(new QLabel(ToQ("Data odczytu wg. PC"), panel4), 0, 2);
  lbZns1LoadTime = new QLabel(QStringLiteral("???"), panel4);
  lbZns2LoadTime = new QLabel(QStringLiteral("???"), panel4);
  lbBufLoadTime = new QLabel(QStringLiteral("???"), panel4);
  g->addWidget(chbZestaw1, 1, 1);
  g->addWidget(lbZns1LoadTime, 1, 2);
  g->addWidget(chbZestaw2, 2, 1);
  g->addWidget(lbZns2LoadTime, 2, 2);
  g->addWidget(chbEventRegister, 3, 1);
  g->addWidget(lbBufLoadTime, 3, 2);
  g->addWidget(chbcorrectIOtimes, 1, 3);
  g->addWidget(ChBshowallEvents, 2, 3);
  g->addWidget(ChbTraceMessages, 3, 3);
  auto* slave = new QHBoxLayout();
  slave->addWidget(new QLabel(ToQ("Numer urządzenia"_cp), panel4));
  SpinSlaveNo = new QSpinBox(panel4);
  SpinSlaveNo->setRange(0, 247);
  SpinSlaveNo->setValue(1);
  slave->addWidget(SpinSlaveNo);
  slave->addStretch(1);
  g->addLayout(slave, 0, 3);
  g->setColumnStretch(4, 1);
  v->addWidget(panel4);

  cmdOutline = new QTreeWidget(page);
  cmdOutline->setHeaderHidden(true);
  // The double-click is the "Wykonaj" button's command, and waits for the link as it does.
  connect(cmdOutline, &QTreeWidget::itemDoubleClicked, this, [this] {
    if (LinkCommandsEnabled(Activity(), LinkHeldElsewhere()))
      cmdOutlineDblClick();
  });
  v->addWidget(cmdOutline, 2);
  MemoMessage = new QPlainTextEdit(page);
  MemoMessage->setReadOnly(true);
  MemoMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MemoMessage->setLineWrapMode(QPlainTextEdit::NoWrap);
  v->addWidget(MemoMessage, 1);
  return page;
}

void TChildForm::BuildMenus()
{
  FFileMenu = new QMenu(ToQ("&Plik"), this);
  auto add = [](QMenu* m, const std::string& caption, const std::string& hint, auto slot) {
    QAction* a = m->addAction(ToQ(caption));
    SetHint(a, hint);
    QObject::connect(a, &QAction::triggered, m, slot);
    return a;
  };
  add(FFileMenu, "&Nowy", "Nowa rejestracja", [this] {
    FFrame.NewClick();
  })->setShortcut(QKeySequence(QStringLiteral("Ctrl+N")));
  add(FFileMenu, "&Otwórz"_cp, "Otwórz plik Rejestratora"_cp, [this] {
    FFrame.OpenClick();
  })->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
  add(FFileMenu, "Zamknij", "Zamknij aktywne okno", [this] {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
      sub->close();
    else
      close();
  });
  FFileMenu->addSeparator();
  FileSaveAction = add(FFileMenu, "Zapi&sz", "Zapisz plik", [this] { FileSaveClick(); });
  FileSaveAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
  SaveAsAction = add(FFileMenu, "Zapisz jako", "Zapisz plik pod inna nazwa", [this] { SaveAsClick(); });
  FFileMenu->addSeparator();
  add(FFileMenu, "Wlasciwosci", "Informacje o automacie, notatki", [this] { Waciwoci1Click(); });
  FFileMenu->addSeparator();
  FilePrintAction =
      add(FFileMenu, "Drukuj", "Drukuj zarejestrowane przebiegi", [this] { FilePrintClick(false); });
  FilePrintAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+P")));
  add(FFileMenu, "Ustawienia drukarki", "Konfiguracja domyslnej drukarki", [this] { PrintSetupClick(); });
  FFileMenu->addSeparator();
  // This menu stands in the frame's "&Plik" while the window is active, so the frame's exit
  // must stay usable here: otherwise only the window's close button would end the program.
  // It has no shortcut, so no key is claimed twice.
  add(FFileMenu, "Zakoncz", "Konczy dzia3anie programu", [this] { FFrame.ExitClick(); });

  FChartMenu = new QMenu(ToQ("&Wykres"), this);
  FChartMenu->addAction(ToQ("Zaznacz wszystko"), this, [this] { FGraph->SelectAll(); });
  FChartMenu->addAction(ToQ("Kopiuj"), this, [this] { FGraph->CopyToClipboard(); });
  FChartMenu->addAction(ToQ("Odznacz wszystko"), this, [this] { FGraph->UnselectAll(); });
  FChartMenu->addSeparator();
  FChartMenu->addAction(ToQ("Opcje"), this, [this] { ShowSetupDialog(*FGraph); });
}

std::vector<QMenu*> TChildForm::Menus() { return {FFileMenu, FChartMenu}; }

IChildOps* CreateChildForm(IChildFrame& frame, QMdiArea* parent)
{
  auto* form = new TChildForm(frame);
  if (parent)
    parent->addSubWindow(form);
  return form;
}

void TChildForm::SetupPageButtons(int page)
{
  FButtons = ::SetupPageButtons(page, FFrame.ServiceMode(), Activity(), LinkHeldElsewhere());
  Panel2->setVisible(FButtons.PanelVisible);
  for (int i = 0; i < 3; ++i) {
    const TPageButton& b = FButtons.Btn[i];
    Btn[i]->setText(ToQ(b.Caption));
    SetHint(Btn[i], b.Hint);
    Btn[i]->setVisible(b.Visible);
    Btn[i]->setEnabled(b.Enabled);
  }
}

bool TChildForm::LinkHeldElsewhere() const { return ::LinkHeldElsewhere(FFrame.Link(), FKiv.get()); }

void TChildForm::LinkBusyChanged()
{
  // The pages go first when the window is freed.
  if (Notebook1)
    SetupPageButtons(Notebook1->currentIndex());
}
