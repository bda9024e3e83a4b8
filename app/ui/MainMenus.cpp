#include "app/ui/Main.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>
#include <cmath>
#include <exception>

#include "platform/qt/QtText.h"
#include "platform/Codepage.h"
#include "platform/Prompts.h"

// The frame's widgets: the application object, the MDI client with its logo, menus, tool
// bar and status bar.

namespace {

// The program's own logo, drawn once: a framed badge with the controller family's name.
QImage MakeLogo()
{
  QImage logo(150, 60, QImage::Format_ARGB32_Premultiplied);
  logo.fill(Qt::transparent);
  QPainter p(&logo);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath badge;
  badge.addRoundedRect(QRectF(1.5, 1.5, 147, 57), 8, 8);
  p.fillPath(badge, QColor(0, 64, 128));
  p.setPen(QPen(QColor(255, 255, 255, 200), 2));
  p.drawPath(badge);
  QFont font(QStringLiteral("Sans"));
  font.setBold(true);
  font.setPixelSize(30);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRect(0, 0, 150, 60), Qt::AlignCenter, QStringLiteral("KIVS"));
  return logo;
}

}  // namespace
bool TKivApplication::notify(QObject* receiver, QEvent* event)
{
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    Prompts().Error(e.what());
  } catch (...) {
    Prompts().Error("Nieznany wyjątek"_cp);
  }
  return false;
}

// --- MDI client ---------------------------------------------------------------------------

TLogoMdiArea::TLogoMdiArea(QWidget* parent) : QMdiArea(parent), FLogo(MakeLogo())
{
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void TLogoMdiArea::TileWindows()
{
  QList<QMdiSubWindow*> windows;
  for (QMdiSubWindow* w : subWindowList(QMdiArea::CreationOrder))
    if (!w->isHidden() && !w->isMinimized())
      windows.push_back(w);
  if (windows.isEmpty())
    return;
  QSize minimum(0, 0);
  for (QMdiSubWindow* w : windows) {
    if (w->isMaximized())
      w->showNormal();
    minimum = minimum.expandedTo(w->minimumSizeHint()).expandedTo(w->minimumSize());
  }
  const int n = int(windows.size());
  const int columns = int(std::ceil(std::sqrt(double(n))));
  const int rows = (n + columns - 1) / columns;
  // The room without scroll bars, less the bar that tiles too wide or too tall will need.
  QSize room = maximumViewportSize();
  const bool wide = minimum.width() * columns > room.width();
  const bool tall = minimum.height() * rows > room.height();
  if (wide)
    room.rheight() -= horizontalScrollBar()->sizeHint().height();
  if (tall)
    room.rwidth() -= verticalScrollBar()->sizeHint().width();
  const int w = std::max(room.width() / columns, minimum.width());
  const int h = std::max(room.height() / rows, minimum.height());
  // Places count from the unscrolled origin.
  horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
  verticalScrollBar()->setValue(verticalScrollBar()->minimum());
  for (int i = 0; i < n; ++i)
    windows[i]->setGeometry((i % columns) * w, (i / columns) * h, w, h);
}

QPoint TLogoMdiArea::LogoPosition(int frameHeight) const
{
  return QPoint(10, frameHeight - 2 * FLogo.height() - 50);
}

void TLogoMdiArea::paintEvent(QPaintEvent* event)
{
  QMdiArea::paintEvent(event);
  QPainter p(viewport());
  const QWidget* frame = window();
  p.drawImage(LogoPosition(frame ? frame->height() : height()), FLogo);
}

void TLogoMdiArea::resizeEvent(QResizeEvent* event)
{
  QMdiArea::resizeEvent(event);
  // The logo keeps its distance from the bottom: its old place must be painted over too.
  viewport()->update();
}

void TLogoMdiArea::scrollContentsBy(int dx, int dy)
{
  QMdiArea::scrollContentsBy(dx, dy);
  // The logo stays where it is: everything is painted again, not shifted.
  viewport()->update();
}

// --- Frame --------------------------------------------------------------------------------

void ApplyHint(QAction& action, const QString& hint)
{
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  const QString shortHint = bar < 0 ? hint : hint.left(bar);
  const QString longHint = bar < 0 ? hint : hint.mid(bar + 1);
  action.setToolTip(shortHint);
  action.setStatusTip(longHint);
}

QAction* TMainForm::MakeAction(const char* name, const QString& caption, const QString& hint)
{
  auto* action = new QAction(caption, this);
  action->setObjectName(QString::fromLatin1(name));
  if (!hint.isEmpty())
    ApplyHint(*action, hint);
  return action;
}

void TMainForm::BuildMenus()
{
  FFileMenu = new QMenu(ToQ("&Plik"_cp), this);
  FFileMenu->setObjectName(QStringLiteral("MF_File"));
  QAction* newAction = MakeAction("MF_New", ToQ("&Nowy"_cp));
  newAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  connect(newAction, &QAction::triggered, this, &TMainForm::MF_NewClick);
  QAction* openAction = MakeAction("MF_Open", ToQ("&Otworz"_cp));
  openAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  connect(openAction, &QAction::triggered, this, [this] { MF_OpenClick(true); });
  QAction* exitAction = MakeAction("MF_Exit", ToQ("Zakoncz"_cp));
  connect(exitAction, &QAction::triggered, this, &TMainForm::MF_ExitClick);
  FFileMenu->addAction(newAction);
  FFileMenu->addAction(openAction);
  FFileMenu->addSeparator();
  FFileMenu->addAction(exitAction);

  FOptionsMenu = new QMenu(ToQ("Opc&je"_cp), this);
  QAction* comm = MakeAction("CommSetup", ToQ("&Komunikacja"_cp));
  connect(comm, &QAction::triggered, this, &TMainForm::CommSetupClick);
  FOptionsMenu->addAction(comm);

  FHelpMenu = new QMenu(ToQ("Pomoc"_cp), this);
  QAction* context = MakeAction("C1", ToQ("Kontekst"_cp));
  context->setShortcut(QKeySequence(Qt::Key_F1));
  connect(context, &QAction::triggered, this, &TMainForm::C1Click);
  QAction* about = MakeAction("Oprogramie1", ToQ("O programie"_cp));
  connect(about, &QAction::triggered, this, &TMainForm::Oprogramie1Click);
  FHelpMenu->addAction(context);
  FHelpMenu->addSeparator();
  FHelpMenu->addAction(about);

  FWindowMenu = new QMenu(ToQ("Okno"_cp), this);
  connect(FWindowMenu, &QMenu::aboutToShow, this, &TMainForm::FillWindowMenu);
  FillWindowMenu();
}

void TMainForm::FillWindowMenu()
{
  FWindowMenu->clear();
  QAction* tile = FWindowMenu->addAction(ToQ("Tile"_cp));
  tile->setObjectName(QStringLiteral("ile1"));
  connect(tile, &QAction::triggered, this, &TMainForm::ile1Click);
  const QList<QMdiSubWindow*> windows = FMdi->subWindowList(QMdiArea::CreationOrder);
  if (!windows.isEmpty())
    FWindowMenu->addSeparator();
  for (QMdiSubWindow* w : windows) {
    QAction* item = FWindowMenu->addAction(w->windowTitle());
    item->setCheckable(true);
    item->setChecked(w == FMdi->currentSubWindow());
    connect(item, &QAction::triggered, this, [this, w] { FMdi->setActiveSubWindow(w); });
  }
}

void TMainForm::BuildToolbar()
{
  FToolBar = addToolBar(QStringLiteral("Toolbar"));
  FToolBar->setObjectName(QStringLiteral("ToolBar"));
  FToolBar->setMovable(false);
  FToolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  struct TButton {
    const char* Name;
    std::string_view Hint;
    std::function<void()> Click;
    bool Document;
  };
  const TButton buttons[] = {
      {"btnLoad", "Otworz|Zaladuj plik z dysku"_cp, [this] { MF_OpenClick(true); }, false},
      {"btnSaveAs", "Zapisz jako|Zapis pliku pod inna nazwa"_cp, [this] { btnSaveAsClick(); }, true},
      {"btnSave", "Zapisz|Zapis pliku na dysk"_cp, [this] { btnSaveClick(); }, true},
      {"btnPrint", "Drukuj"_cp, [this] { btnPrintClick(); }, true},
      {"btnNormView", "Pokaz wszystko"_cp, [this] { SetViewClick(0); }, true},
      {"btnListView", "Listing"_cp, [this] { SetViewClick(3); }, true},
      {"btnGraphView", "Wykres"_cp, [this] { SetViewClick(2); }, true},
      {"btnEventsView", "Lista sekwencji"_cp, [this] { SetViewClick(1); }, true},
      {"btnGraphLegend", "Legenda"_cp, [this] { btnGraphLegendClick(); }, true},
  };
  for (const TButton& b : buttons) {
    const QString hint = ToQ(b.Hint);
    QAction* action = MakeAction(b.Name, hint.section(QLatin1Char('|'), 0, 0), hint);
    connect(action, &QAction::triggered, this, b.Click);
    FToolBar->addAction(action);
    if (b.Document)
      FDocumentButtons.push_back(action);
  }
  FXScale = new QComboBox(FToolBar);
  FXScale->setObjectName(QStringLiteral("cbXScale"));
  FXScale->setEditable(true);
  FXScale->setInsertPolicy(QComboBox::NoInsert);
  // No completion: "2" must not become "200" while 20 is being typed.
  FXScale->setCompleter(nullptr);
  FXScale->setToolTip(ToQ("Skala osi x wykresu"_cp));
  FXScale->setStatusTip(ToQ("Skala osi x wykresu"_cp));
  FXScale->setMinimumContentsLength(8);
  for (const char* item : XSCALE_ITEMS)
    FXScale->addItem(QString::fromLatin1(item));
  FXScale->setCurrentIndex(-1);
  FXScale->installEventFilter(this);
  connect(FXScale, &QComboBox::currentTextChanged, this, [this](const QString&) { ApplyXScale(); });
  FToolBar->addWidget(FXScale);
}

void TMainForm::BuildStatusBar()
{
  FStatus0 = new QLabel(this);
  FStatus0->setObjectName(QStringLiteral("StatusPanel0"));
  FStatus0->setFixedWidth(200);
  FStatus1 = new QLabel(this);
  FStatus1->setObjectName(QStringLiteral("StatusPanel1"));
  FStatus1->setFixedWidth(50);
  statusBar()->setObjectName(QStringLiteral("StatusBar1"));
  statusBar()->addWidget(FStatus0);
  statusBar()->addWidget(FStatus1);
}

QAction* TMainForm::ActionByName(const QString& objectName) const { return findChild<QAction*>(objectName); }

QLabel* TMainForm::StatusPanel(int index) const { return index == 0 ? FStatus0 : FStatus1; }

void TMainForm::UpdateMenus()
{
  // Qt merges no menus: the active document's "&Plik" and "&Wykres" take the place of the
  // frame's "&Plik". Only what the menu bar shows can fire, so each shortcut has one owner.
  IChildOps* doc = ActiveDocument();
  std::vector<QMenu*> wanted;
  if (doc)
    wanted = doc->Menus();
  if (wanted.empty())
    wanted.push_back(FFileMenu);
  if (wanted == FSwappedMenus)
    return;
  QMenuBar* bar = menuBar();
  bar->clear();
  for (QMenu* m : wanted)
    bar->addMenu(m);
  bar->addMenu(FOptionsMenu);
  bar->addMenu(FHelpMenu);
  bar->addMenu(FWindowMenu);
  FSwappedMenus = wanted;
}
