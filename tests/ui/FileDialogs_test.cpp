// The file dialogs as the user meets them, in the real main window with real document
// windows: who asks before a save writes over a file, where a dialog starts, and that
// documents and dialogs leave the frame and the application as they found them.
//
// The dialogs are Qt's own widget dialogs (QFileDialog::DontUseNativeDialog), the ones the
// program shows wherever the desktop offers no file dialog of its own: a test can type into
// them and read them.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ChildTestSupport.h"
#include "ProgramFrame.h"
#include "QtTestApp.h"
#include "app/logic/DocNameLogic.h"
#include "app/ui/Child.h"
#include "app/ui/Main.h"
#include "platform/Codepage.h"
#include "platform/Prompts.h"
#include "platform/qt/QtPrompts.h"
#include "platform/qt/QtText.h"
#include "tests/app/DocTestSupport.h"

namespace {

// A modal window as it came up.
struct TSeen {
  const QWidget* Widget = nullptr;  // for telling windows apart, never dereferenced
  bool FileDialog = false;
  bool FromFileDialog = false;  // a box the file dialog asks itself
  QString Text;                 // a box's text
};

// Plays the modal windows that come up, one step for each in turn, and records them (a window
// shown again after it was hidden comes up again). A window
// nobody expected is closed and fails the test; after 10 s whatever is still open is closed,
// so a failing test never hangs.
class TModalPlayer {
public:
  using TStep = std::function<void(QWidget&)>;
  explicit TModalPlayer(std::vector<TStep> steps) : FSteps(std::move(steps))
  {
    QObject::connect(&FTimer, &QTimer::timeout, &FTimer, [this] { Poll(); });
    FTimer.start(10);
    FClock.start();
  }
  size_t Played() const { return FNext; }
  size_t Steps() const { return FSteps.size(); }

  std::vector<TSeen> Seen;

private:
  void Poll()
  {
    QWidget* w = QApplication::activeModalWidget();
    if (FClock.elapsed() > 10000) {
      if (w) {
        ADD_FAILURE() << "a " << w->metaObject()->className() << " was left open";
        w->close();
      }
      return;
    }
    // A window counts once for as long as it stays open: one under a box that has just
    // closed is not a new one.
    std::erase_if(FOpen, [](const QPointer<QWidget>& p) { return !p || !p->isVisible(); });
    if (!w || !w->isVisible() || std::find(FOpen.begin(), FOpen.end(), w) != FOpen.end())
      return;
    FOpen.emplace_back(w);
    TSeen seen;
    seen.Widget = w;
    seen.FileDialog = qobject_cast<QFileDialog*>(w) != nullptr;
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
      seen.Text = box->text();
      seen.FromFileDialog = qobject_cast<QFileDialog*>(box->parentWidget()) != nullptr;
    }
    Seen.push_back(seen);
    if (FNext >= FSteps.size()) {
      ADD_FAILURE() << "unexpected " << w->metaObject()->className() << ": " << seen.Text.toStdString();
      QTimer::singleShot(0, w, [w] { w->close(); });
      return;
    }
    // The step runs once this poll is over: it may open a modal loop of its own.
    TStep step = FSteps[FNext++];
    QTimer::singleShot(0, w, [w, step] {
      w->activateWindow();
      if (QTest::qWaitForWindowActive(w))
        step(*w);
      else
        ADD_FAILURE() << "the " << w->metaObject()->className() << " never became the active window";
    });
  }

  std::vector<TStep> FSteps;
  size_t FNext = 0;
  std::vector<QPointer<QWidget>> FOpen;
  QTimer FTimer;
  QElapsedTimer FClock;
};

// The file name box has the focus when a file dialog comes up.
QLineEdit* NameBox(QWidget& dialog)
{
  EXPECT_NE(qobject_cast<QFileDialog*>(&dialog), nullptr) << dialog.metaObject()->className();
  auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  EXPECT_NE(edit, nullptr) << "the name box has no focus";
  return edit;
}

// Types `name` over what the name box holds and presses Enter (the accept button's key).
TModalPlayer::TStep TypeName(const std::string& name)
{
  return [name](QWidget& dialog) {
    QLineEdit* edit = NameBox(dialog);
    if (!edit) {
      dialog.close();
      return;
    }
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, PathToQ(name));
    // The completion list that typing opens takes Enter for itself; Escape closes it.
    if (QCompleter* c = edit->completer(); c && c->popup() && c->popup()->isVisible())
      QTest::keyClick(c->popup(), Qt::Key_Escape);
    QTest::keyClick(edit, Qt::Key_Return);
  };
}

// Escape in the name box: the dialog is cancelled.
TModalPlayer::TStep Cancel(const std::function<void(QFileDialog&)>& look = {})
{
  return [look](QWidget& dialog) {
    if (look)
      look(static_cast<QFileDialog&>(dialog));
    if (QLineEdit* edit = NameBox(dialog))
      QTest::keyClick(edit, Qt::Key_Escape);
    else
      dialog.close();
  };
}

TModalPlayer::TStep Click(QMessageBox::StandardButton button)
{
  return [button](QWidget& w) {
    auto* box = qobject_cast<QMessageBox*>(&w);
    ASSERT_NE(box, nullptr) << w.metaObject()->className();
    QAbstractButton* b = box->button(button);
    ASSERT_NE(b, nullptr);
    QTest::mouseClick(b, Qt::LeftButton);
  };
}

// The views the dialog shows its folder in: the list and the detail view.
std::vector<QAbstractItemView*> Views(QFileDialog& dialog)
{
  std::vector<QAbstractItemView*> views;
  for (const char* name : {"listView", "treeView"})
    if (auto* view = dialog.findChild<QAbstractItemView*>(QLatin1String(name)))
      views.push_back(view);
  EXPECT_EQ(views.size(), 2u);
  return views;
}

// What is selected in either view.
QStringList Picked(QFileDialog& dialog)
{
  QStringList names;
  for (QAbstractItemView* view : Views(dialog))
    for (const QModelIndex& i : view->selectionModel()->selectedRows())
      names << i.data().toString();
  names.removeDuplicates();
  return names;
}

QAbstractButton* AcceptButton(QFileDialog& dialog)
{
  auto* box = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
  EXPECT_NE(box, nullptr);
  if (!box)
    return nullptr;
  return box->button(dialog.acceptMode() == QFileDialog::AcceptOpen ? QDialogButtonBox::Open
                                                                    : QDialogButtonBox::Save);
}

// What a showing shows: the pick in the views, the name box, whether the accept button works.
struct TShown {
  QStringList Picked;
  QString Name = QStringLiteral("?");
  bool AcceptEnabled = false;
};
TShown Shown(QFileDialog& dialog)
{
  TShown shown;
  shown.Picked = Picked(dialog);
  if (auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
    shown.Name = edit->text();
  QAbstractButton* accept = AcceptButton(dialog);
  shown.AcceptEnabled = accept && accept->isEnabled();
  return shown;
}

// Picks `name` in the folder shown with a click on it in the view on the screen.
void PickInView(QFileDialog& dialog, const QString& name)
{
  QAbstractItemView* view = nullptr;
  for (QAbstractItemView* v : Views(dialog))
    if (v->isVisible())
      view = v;
  ASSERT_NE(view, nullptr);
  QModelIndex item;
  // The model reads the folder in a thread of its own.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        for (int r = 0; r < view->model()->rowCount(view->rootIndex()) && !item.isValid(); ++r)
          if (const QModelIndex i = view->model()->index(r, 0, view->rootIndex());
              i.data().toString() == name)
            item = i;
        return item.isValid();
      },
      5000))
      << name.toStdString();
  view->scrollTo(item);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
}

// Popup windows on the screen: menus, and the lists of combo boxes and completions.
QStringList OpenPopups()
{
  QStringList open;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && w->windowType() == Qt::Popup)
      open << QString::fromLatin1(w->metaObject()->className());
  return open;
}

// A click and a key as the window system delivers them: to a popup that is open first.
void UserClick(QWidget& target, QPoint pos)
{
  QWidget* window = target.window();
  QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, target.mapTo(window, pos));
}
void UserKey(QWidget& window, Qt::Key key) { QTest::keyClick(window.windowHandle(), key); }

using programtest::Settle;

class FileDialogs : public TQtAppTest {
protected:
  void SetUp() override
  {
    // Qt's file dialog keeps its settings in the user's configuration: here, the test's own.
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(Config.Path()));
    TQtAppTest::SetUp();
    childtest::SetFormats();
    programtest::PrepareFolder(Dir, KIV_SOURCE_DIR);
    // A loaded document: three sequences and both sets.
    ASSERT_TRUE(childtest::SaveModel2Document(Dir.File("doc.kiv"), Dir.File("bin")));
  }
  void TearDown() override
  {
    Frame.reset();
    TQtAppTest::TearDown();
    qunsetenv("XDG_CONFIG_HOME");
  }
  // The frame on the screen, with the Qt prompts and their widget file dialogs.
  void Start(std::vector<std::string> params = {})
  {
    Frame = programtest::MakeFrame(Dir, std::move(params));
    QtPrompts.Prompts().SetParent(Frame.get());
    QtPrompts.Prompts().SetFileDialogOptions(QFileDialog::DontUseNativeDialog);
    Frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Frame.get()));
  }
  TChildForm* New()
  {
    Frame->MF_NewClick();
    Settle();
    return dynamic_cast<TChildForm*>(Frame->ActiveDocument());
  }
  TChildForm* Open(const std::string& path)
  {
    auto* form = dynamic_cast<TChildForm*>(Frame->NewChild(std::string()));
    EXPECT_NE(form, nullptr);
    if (form) {
      EXPECT_TRUE(form->LoadFile(path));
    }
    Settle();
    return form;
  }
  QMenu* WindowMenu() const
  {
    for (QAction* a : Frame->menuBar()->actions())
      if (a->text() == QStringLiteral("Okno"))
        return a->menu();
    return nullptr;
  }
  static int ObjectsOf(QObject* o) { return int(o->findChildren<QObject*>().size()); }
  static int TopLevels() { return int(QApplication::topLevelWidgets().size()); }

  TTempDir Config;
  TTempDir Dir;
  TQtPromptsInstaller QtPrompts;
  std::unique_ptr<TMainForm> Frame;
};

}  // namespace

TEST_F(FileDialogs, ADocumentSaveOverAFileAsksOnlyTheProgramsQuestion)
{
  const std::string old = Dir.File("old.kiv");
  const std::string fresh = Dir.File("nowy.kiv");
  const QString question = ToQ(OverwriteQueryText(old));
  ASSERT_TRUE(question.endsWith(QString::fromUtf8("Pokryć istniejący plik ?")));
  struct Case {
    const char* Name;
    bool ByClosing;  // the save "Zachować zmiany ?" offers when the window closes
    std::vector<TModalPlayer::TStep> Steps;
    bool OldWritten;
    bool FreshWritten;
    int Dialogs;  // showings of the save dialog
  };
  const Case cases[] = {
      {"Tak writes over it", false, {TypeName(old), Click(QMessageBox::Yes)}, true, false, 1},
      {"Nie asks for another name",
       false,
       {TypeName(old), Click(QMessageBox::No), TypeName(fresh)},
       false,
       true,
       2},
      {"Cancel writes nothing", false, {TypeName(old), Click(QMessageBox::Cancel)}, false, false, 1},
      {"the save offered at closing",
       true,
       {Click(QMessageBox::Yes), TypeName(old), Click(QMessageBox::Yes)},
       true,
       false,
       1},
  };
  Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::filesystem::remove(fresh);
    Dir.Write("old.kiv", "stary");
    // The save offered at closing is for a document without a file of its own.
    TChildForm* form = c.ByClosing ? New() : Open(Dir.File("doc.kiv"));
    ASSERT_NE(form, nullptr);
    QPointer<QMdiSubWindow> sub = qobject_cast<QMdiSubWindow*>(form->parentWidget());
    ASSERT_NE(sub, nullptr);
    TModalPlayer player(c.Steps);
    if (c.ByClosing) {
      form->Kiv().SetModified(true);
      sub->close();
    } else {
      Frame->ActionByName(QStringLiteral("btnSaveAs"))->trigger();
    }
    Settle();
    EXPECT_EQ(player.Played(), player.Steps());
    int questions = 0, dialogs = 0;
    for (const TSeen& s : player.Seen) {
      EXPECT_FALSE(s.FromFileDialog) << "the dialog asked: " << s.Text.toStdString();
      questions += s.Text == question ? 1 : 0;
      dialogs += s.FileDialog ? 1 : 0;
    }
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(dialogs, c.Dialogs);
    EXPECT_EQ(ReadBytes(old) != "stary", c.OldWritten);
    EXPECT_EQ(std::filesystem::exists(fresh), c.FreshWritten);
    if (sub)
      sub->close();
    Settle();
  }
}

TEST_F(FileDialogs, TheBufferSaveKeepsTheDialogsOwnQuestion)
{
  const std::string file = Dir.File("bufor.bin");
  Start({"-service"});
  TChildForm* form = Open(Dir.File("doc.kiv"));
  ASSERT_NE(form, nullptr);
  form->Notebook1->setCurrentIndex(0);
  ASSERT_EQ(form->Btn[1]->text(), QStringLiteral("Save Buf"));
  ASSERT_TRUE(form->Btn[1]->isEnabled());
  for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
    SCOPED_TRACE(answer == QMessageBox::Yes ? "Yes" : "No");
    Dir.Write("bufor.bin", "stary");
    // After No the dialog stays open for another name: Escape cancels it.
    TModalPlayer player({TypeName(file), [answer](QWidget& box) {
                           auto* dialog = qobject_cast<QFileDialog*>(box.parentWidget());
                           Click(answer)(box);
                           if (dialog && answer == QMessageBox::No)
                             QTimer::singleShot(0, dialog, [dialog] {
                               dialog->activateWindow();
                               ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
                               Cancel()(*dialog);
                             });
                         }});
    QTest::mouseClick(form->Btn[1], Qt::LeftButton);
    Settle();
    EXPECT_EQ(player.Played(), player.Steps());
    // One question, the dialog's own; the program asks nothing after it.
    int boxes = 0;
    for (const TSeen& s : player.Seen)
      if (!s.FileDialog) {
        ++boxes;
        EXPECT_TRUE(s.FromFileDialog) << s.Text.toStdString();
      }
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(ReadBytes(file) != "stary", answer == QMessageBox::Yes);
  }
}

TEST_F(FileDialogs, ADialogIsKeptAndStartsAsANewOneWould)
{
  Start();
  std::filesystem::create_directories(Dir.File("sub"));
  Dir.Write("a.kiv", "x");
  const QString dir = PathToQ(Dir.Path());
  const QString sub = PathToQ(Dir.File("sub"));
  struct Case {
    bool Save;
    std::string Path;
    QString Folder;
    QString Name;
    bool ChooseSecondFilter;  // picked before cancelling; the next showing has the first again
  };
  const Case cases[] = {
      {false, Dir.File("a.kiv"), dir, QStringLiteral("a.kiv"), true},
      {false, Dir.File("sub"), sub, QString(), false},
      {false, "", sub, QString(), false},                                    // the folder shown last
      {false, Dir.File("brak/x.kiv"), sub, QStringLiteral("x.kiv"), false},  // a folder that is not there
      {true, Dir.File("nowy.kiv"), dir, QStringLiteral("nowy.kiv"), false},
      {true, "", dir, QString(), false},  // no name left over from the showing before
  };
  const QWidget* shown[2] = {nullptr, nullptr};
  int objects = -1, topLevels = -1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Path);
    QString folder, name, filter;
    const QWidget* dialog = nullptr;
    TModalPlayer player({Cancel([&](QFileDialog& d) {
      dialog = &d;
      folder = d.directory().absolutePath();
      if (QLineEdit* edit = NameBox(d))
        name = edit->text();
      filter = d.selectedNameFilter();
      if (c.ChooseSecondFilter) {
        auto* box = d.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(box, nullptr);
        box->setCurrentIndex(1);
        EXPECT_EQ(d.selectedNameFilter(), d.nameFilters().value(1));
      }
    })});
    std::string path = c.Path;
    const bool chosen = c.Save ? ::Prompts().SaveFileName({}, KIV_FILE_FILTER, path)
                               : ::Prompts().OpenFileName({}, KIV_FILE_FILTER, path);
    Settle();
    EXPECT_FALSE(chosen);
    EXPECT_EQ(path, c.Path);
    EXPECT_EQ(player.Played(), 1u);
    EXPECT_EQ(folder, c.Folder);
    EXPECT_EQ(name, c.Name);
    EXPECT_EQ(filter, QStringLiteral("Pliki rejestracji (*.kiv)"));
    // The same dialog each time for the same purpose, and nothing more left in the frame.
    const QWidget*& first = shown[c.Save ? 1 : 0];
    if (!first) {
      first = dialog;
      objects = ObjectsOf(Frame.get());
      topLevels = TopLevels();
    }
    EXPECT_EQ(dialog, first);
    EXPECT_EQ(ObjectsOf(Frame.get()), objects);
    EXPECT_EQ(TopLevels(), topLevels);
  }
  EXPECT_NE(shown[0], shown[1]);
}

TEST_F(FileDialogs, ClosedDocumentsLeaveTheFrameAndTheApplicationAsTheyWere)
{
  Start();
  const std::string doc = Dir.File("doc.kiv");
  int objects = 0, topLevels = 0, appObjects = 0;
  const QWidget* dialog = nullptr;
  for (int cycle = 0; cycle < 5; ++cycle) {
    SCOPED_TRACE(cycle);
    // "Plik" / "Otwórz" through the dialog, then the window's own close.
    TModalPlayer player({TypeName(doc)});
    Frame->ActionByName(QStringLiteral("MF_Open"))->trigger();
    Settle();
    ASSERT_EQ(player.Seen.size(), 1u);
    auto* form = dynamic_cast<TChildForm*>(Frame->ActiveDocument());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->DocumentName(), doc);
    EXPECT_EQ(form->EventsListBox->count(), 3);
    auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget());
    ASSERT_NE(sub, nullptr);
    // "Okno" shown while the document is open lists it.
    QMenu* windows = WindowMenu();
    ASSERT_NE(windows, nullptr);
    windows->popup(Frame->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(windows));
    QStringList items;
    for (QAction* a : windows->actions())
      items << a->text();
    EXPECT_TRUE(items.contains(sub->windowTitle())) << items.join(u',').toStdString();
    windows->hide();
    const QString title = sub->windowTitle();
    EXPECT_TRUE(sub->close());
    Settle();
    EXPECT_TRUE(Frame->Documents().empty());
    // Its item goes with it, not at the next showing of the menu.
    for (QAction* a : windows->actions())
      EXPECT_NE(a->text(), title);
    // The first cycle makes what the program keeps for the next ones (the open dialog).
    if (cycle == 0) {
      dialog = player.Seen[0].Widget;
      objects = ObjectsOf(Frame.get());
      appObjects = ObjectsOf(qApp);
      topLevels = TopLevels();
      continue;
    }
    EXPECT_EQ(player.Seen[0].Widget, dialog);
    EXPECT_EQ(ObjectsOf(Frame.get()), objects);
    EXPECT_EQ(ObjectsOf(qApp), appObjects);
    EXPECT_EQ(TopLevels(), topLevels);
  }
}

TEST_F(FileDialogs, DocumentWindowsShareOneTitleBarIcon)
{
  // An icon of its own for each window would leave its pixmaps in Qt's pixmap cache after
  // the window is gone.
  Start();
  Open(Dir.File("doc.kiv"));
  Open(Dir.File("doc.kiv"));
  const QList<QMdiSubWindow*> windows = Frame->MdiArea()->subWindowList();
  ASSERT_EQ(windows.size(), 2);
  for (QMdiSubWindow* w : windows) {
    (void)w->grab();  // the title bar painted
    EXPECT_FALSE(w->windowIcon().isNull());
  }
  EXPECT_EQ(windows[0]->windowIcon().cacheKey(), windows[1]->windowIcon().cacheKey());
}

TEST_F(FileDialogs, ADialogAskedForAgainWhileShowingIsNotTakenOver)
{
  Start();
  Dir.Write("a.kiv", "x");
  bool nestedChosen = true;
  std::string nestedPath = Dir.File("a.kiv");
  TModalPlayer player({
      [&](QWidget& first) {
        // Something asks for the same dialog while the first one is up: it gets one of its own.
        nestedChosen = ::Prompts().OpenFileName({}, KIV_FILE_FILTER, nestedPath);
        static_cast<QDialog&>(first).reject();
      },
      Cancel(),
  });
  std::string path = Dir.File("a.kiv");
  EXPECT_FALSE(::Prompts().OpenFileName({}, KIV_FILE_FILTER, path));
  Settle();
  EXPECT_FALSE(nestedChosen);
  ASSERT_EQ(player.Played(), 2u);
  ASSERT_EQ(player.Seen.size(), 2u);
  EXPECT_TRUE(player.Seen[0].FileDialog);
  EXPECT_TRUE(player.Seen[1].FileDialog);
  EXPECT_NE(player.Seen[0].Widget, player.Seen[1].Widget);
}

TEST_F(FileDialogs, TheCompletionListGoesWithTheDialogAndTheNextClickReachesItsTarget)
{
  // The widget dialog's name box offers what matches the typed name in a list of its own, a
  // popup window beside the dialog; Enter accepts the name with the list still showing.
  Start();
  const std::string doc = Dir.File("doc.kiv");
  // A new name the completion list shows a longer one for.
  Dir.Write("pomiar2.kiv", "x");
  struct Case {
    const char* Name;
    QString Action;
    std::string Typed;
    std::string Document;  // the name of the active document after it
  };
  const Case cases[] = {
      {"Otwórz", QStringLiteral("MF_Open"), doc, doc},
      // The document the row before opened, saved under a new name.
      {"Zapisz jako", QStringLiteral("btnSaveAs"), Dir.File("pomiar"), Dir.File("pomiar.kiv")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    bool listShown = false;
    TModalPlayer player({[&](QWidget& dialog) {
      QLineEdit* edit = NameBox(dialog);
      ASSERT_NE(edit, nullptr);
      QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
      QTest::keyClicks(edit, PathToQ(c.Typed));
      QCompleter* completer = edit->completer();
      ASSERT_NE(completer, nullptr);
      listShown = QTest::qWaitFor([&] { return completer->popup()->isVisible(); }, 5000);
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }});
    Frame->ActionByName(c.Action)->trigger();
    Settle();
    EXPECT_TRUE(listShown) << "the completion list never showed";
    EXPECT_EQ(player.Played(), 1u);
    ASSERT_NE(Frame->ActiveDocument(), nullptr);
    EXPECT_EQ(Frame->ActiveDocument()->DocumentName(), c.Document);
    EXPECT_EQ(OpenPopups(), QStringList()) << OpenPopups().join(u',').toStdString();
    // The next click: "Plik" opens its menu.
    QMenuBar* bar = Frame->menuBar();
    ASSERT_FALSE(bar->actions().isEmpty());
    QAction* file = bar->actions().front();
    ASSERT_EQ(file->text(), QStringLiteral("&Plik"));
    UserClick(*bar, bar->actionGeometry(file).center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return file->menu()->isVisible(); }, 1000));
    UserKey(*Frame, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !file->menu()->isVisible(); }, 1000));
  }
}

TEST_F(FileDialogs, APickCancelledIsNotCarriedIntoTheNextShowing)
{
  // Neither proposes a name: "Otwórz" until an open is accepted, "Save Buf" ever.
  Start({"-service"});
  const std::string pick = Dir.File("b.kiv");
  std::filesystem::copy_file(Dir.File("doc.kiv"), pick);
  const std::string bytes = ReadBytes(pick);
  TChildForm* form = Open(Dir.File("doc.kiv"));
  ASSERT_NE(form, nullptr);
  form->Notebook1->setCurrentIndex(0);
  ASSERT_EQ(form->Btn[1]->text(), QStringLiteral("Save Buf"));
  struct Case {
    const char* Name;
    std::function<void()> Show;
  };
  const Case cases[] = {
      {"Otwórz", [&] { Frame->ActionByName(QStringLiteral("MF_Open"))->trigger(); }},
      {"Save Buf", [&] { QTest::mouseClick(form->Btn[1], Qt::LeftButton); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TShown picked, next;
    bool stayed = false;
    {
      // The user goes to the folder (the program starts in its own), picks b.kiv, cancels.
      // After the name box's completion list, the click may leave the keyboard focus in the
      // name box, which then stays empty; otherwise the name box takes the name, and emptying
      // it for the next showing selects the folder. Either is a pick carried over.
      TModalPlayer player({[&](QWidget& w) {
        auto& dialog = static_cast<QFileDialog&>(w);
        TypeName(Dir.Path())(dialog);
        PickInView(dialog, QStringLiteral("b.kiv"));
        picked = Shown(dialog);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
      }});
      c.Show();
      Settle();
      EXPECT_EQ(player.Played(), 1u);
    }
    {
      // The next showing as it comes up; Enter with its name box empty takes nothing, and the
      // dialog stays until Escape.
      TModalPlayer player({[&](QWidget& w) {
        auto& dialog = static_cast<QFileDialog&>(w);
        next = Shown(dialog);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        stayed = dialog.isVisible();
        if (stayed)
          QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
      }});
      c.Show();
      Settle();
      EXPECT_EQ(player.Played(), 1u);
    }
    EXPECT_EQ(picked.Picked, QStringList{QStringLiteral("b.kiv")});
    EXPECT_TRUE(picked.AcceptEnabled);
    EXPECT_EQ(next.Picked, QStringList());
    EXPECT_EQ(next.Name, QString());
    EXPECT_FALSE(next.AcceptEnabled);
    EXPECT_TRUE(stayed);
  }
  // Nothing opened, nothing written, and no question asked (the players saw no box).
  EXPECT_EQ(Frame->Documents().size(), 1u);
  EXPECT_EQ(ReadBytes(pick), bytes);
}
