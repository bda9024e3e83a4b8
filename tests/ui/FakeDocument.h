#pragma once
// A stand-in for the document window on the frame's side of the seam: it keeps a controller
// object and a chart, records what the frame asks of it, names itself as the real one does,
// and has its own "&Plik" and "&Wykres" menus with the real one's shortcuts, so the frame's
// routing and menu swapping can be checked without it.

#include <QAction>
#include <QMenu>
#include <QWidget>

#include <string>
#include <vector>

#include "app/document/Kivbase.h"
#include "app/ui/ChildOps.h"
#include "charts/ui/Graph.h"

class TFakeDocument : public QWidget, public IChildOps {
public:
  TFakeDocument(IChildFrame& frame, QWidget* parent) : QWidget(parent), FFrame(frame)
  {
    Kiv_.SetLink(frame.Link());
    Graph_ = new TGraph(this);
    FileMenu = new QMenu(QStringLiteral("&Plik"), this);
    for (const auto& item : {std::pair{"&Nowy", Qt::Key_N}, std::pair{"&Otworz", Qt::Key_O},
                             std::pair{"Zapisz", Qt::Key_S}, std::pair{"Drukuj", Qt::Key_P}}) {
      const char* caption = item.first;
      QAction* a = FileMenu->addAction(QString::fromLatin1(caption));
      a->setShortcut(QKeySequence(Qt::CTRL | item.second));
      connect(a, &QAction::triggered, this,
              [this, caption] { Calls.push_back(std::string("menu:") + caption); });
    }
    ChartMenu = new QMenu(QStringLiteral("&Wykres"), this);
    ChartMenu->addAction(QStringLiteral("Opcje"));
  }
  ~TFakeDocument() override
  {
    // The frame still has its link (and its hook on it) while documents go.
    if (LinkHookedAtDestruction)
      *LinkHookedAtDestruction = FFrame.Link() && bool(FFrame.Link()->OnBusyChanged);
  }

  QWidget* Widget() override { return this; }
  std::vector<QMenu*> Menus() override { return {FileMenu, ChartMenu}; }
  bool IsReading() const override { return Reading; }
  bool IsBusy() const override { return Reading || Writing; }
  TKiv& Kiv() override { return Kiv_; }
  TGraph& Graph() override { return *Graph_; }
  void SetDocumentName(const std::string& name) override
  {
    Name = name;
    setWindowTitle(QString::fromStdString(name.substr(0, name.find('.'))));
  }
  const std::string& DocumentName() const override { return Name; }
  bool LoadFile(const std::string& fileName) override
  {
    Calls.push_back("load:" + fileName);
    ServiceAtLoad = FFrame.ServiceMode();
    Name = fileName;
    return true;
  }
  void RefreshViews() override { Calls.push_back("refresh"); }
  void FileSaveClick() override { Calls.push_back("save"); }
  void SaveAsClick() override { Calls.push_back("saveas"); }
  void FilePrintClick(bool fromToolbar) override { Calls.push_back(fromToolbar ? "print:toolbar" : "print"); }
  void SetView(int view) override { Calls.push_back("view:" + std::to_string(view)); }
  void ShowLegend() override { Calls.push_back("legend"); }
  void FormActivate() override
  {
    FFrame.UpdateToolbar();
    FFrame.ShowXScale(Graph_->Model().Autoscale(), Graph_->Model().ScaleX());
  }
  void LinkBusyChanged() override { ++LinkChanges; }
  bool CloseQuery() override
  {
    Calls.push_back("closequery");
    return MayClose;
  }
  void CloseAgreed() override { Calls.push_back("agreed"); }

  IChildFrame& FFrame;
  TKiv Kiv_;
  TGraph* Graph_ = nullptr;
  std::string Name;
  std::vector<std::string> Calls;
  bool Reading = false;
  bool Writing = false;
  bool ServiceAtLoad = false;  // the frame's service flag when the file was loaded
  bool MayClose = true;        // CloseQuery's answer
  int LinkChanges = 0;
  bool* LinkHookedAtDestruction = nullptr;
  QMenu* FileMenu = nullptr;
  QMenu* ChartMenu = nullptr;
};
