#pragma once
// A stand-in for the document window: it keeps a controller object, records what the frame
// asks of it, and has its own "&Plik" and "&Wykres" menus with the shortcuts the real one
// has, so the frame's routing and menu swapping can be checked without it.

#include <QAction>
#include <QMenu>
#include <QWidget>

#include <string>
#include <vector>

#include "app/Kivbase.h"
#include "app/ui/Main.h"

class TFakeDocument : public QWidget, public IMainDocument {
public:
    explicit TFakeDocument(TMainForm& frame) : FFrame(frame)
    {
        Kiv_.SetLink(&frame.Link());
        FileMenu = new QMenu(QStringLiteral("&Plik"), this);
        for (auto [caption, key] : {std::pair{"&Nowy", Qt::Key_N}, std::pair{"&Otworz", Qt::Key_O},
                                    std::pair{"Zapisz", Qt::Key_S}, std::pair{"Drukuj", Qt::Key_P}}) {
            QAction* a = FileMenu->addAction(QString::fromLatin1(caption));
            a->setShortcut(QKeySequence(Qt::CTRL | key));
            connect(a, &QAction::triggered, this, [this, caption] { Calls.push_back(std::string("menu:") + caption); });
            FileActions.push_back(a);
        }
        ChartMenu = new QMenu(QStringLiteral("&Wykres"), this);
        ChartMenu->addAction(QStringLiteral("Opcje"));
    }
    ~TFakeDocument() override
    {
        // The frame still has its link (and its hook on it) while documents go.
        if (LinkHookedAtDestruction)
            *LinkHookedAtDestruction = bool(FFrame.Link().OnBusyChanged);
    }

    QWidget* DocumentWidget() override { return this; }
    TKiv& Kiv() override { return Kiv_; }
    bool IsReading() const override { return Reading; }
    std::string FileName() const override { return Name; }
    void SetFileName(const std::string& name) override { Name = name; }
    void LoadFile(const std::string& fileName) override
    {
        Calls.push_back("load:" + fileName);
        Name = fileName;
    }
    void RefreshViews() override { Calls.push_back("refresh"); }
    void FileSave() override { Calls.push_back("save"); }
    void SaveAs() override { Calls.push_back("saveas"); }
    void PrintFromToolbar() override { Calls.push_back("print"); }
    void SetView(int view) override { Calls.push_back("view:" + std::to_string(view)); }
    void ShowLegend() override { Calls.push_back("legend"); }
    bool ChartAutoscale() const override { return Autoscale; }
    int32_t ChartScaleX() const override { return ScaleX; }
    void SetChartAutoscale(bool on) override { Autoscale = on; }
    void SetChartScaleX(int32_t scale) override { ScaleX = scale; }
    void SetFileActionsEnabled(bool enabled) override
    {
        FileActionsEnabled = enabled;
        for (QAction* a : FileActions)
            if (a->text() != QStringLiteral("&Nowy") && a->text() != QStringLiteral("&Otworz"))
                a->setEnabled(enabled);
    }
    std::vector<QMenu*> FrameMenus() override { return {FileMenu, ChartMenu}; }
    int HelpContext() const override { return 0; }

    TMainForm& FFrame;
    TKiv Kiv_;
    std::string Name;
    std::vector<std::string> Calls;
    bool Reading = false;
    bool Autoscale = true;
    int32_t ScaleX = 100;
    bool FileActionsEnabled = true;
    bool* LinkHookedAtDestruction = nullptr;
    QMenu* FileMenu = nullptr;
    QMenu* ChartMenu = nullptr;
    std::vector<QAction*> FileActions;
};
