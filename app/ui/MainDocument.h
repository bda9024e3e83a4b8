#pragma once
// What a document window offers the main window. The frame never reaches into a document's
// widgets: it creates documents through a factory, routes its tool buttons here, and swaps
// the active document's own menus into its menu bar.

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

class QMenu;
class QWidget;
class TKiv;

class IMainDocument {
public:
    virtual ~IMainDocument() = default;

    // The window shown in the MDI area (the document itself).
    virtual QWidget* DocumentWidget() = 0;
    virtual TKiv& Kiv() = 0;
    // A device read is running: the tool bar's document buttons are disabled.
    virtual bool IsReading() const = 0;

    // Document file name (native path).
    virtual std::string FileName() const = 0;
    virtual void SetFileName(const std::string& name) = 0;
    // Loads a .kiv file and shows it.
    virtual void LoadFile(const std::string& fileName) = 0;
    // Shows what the controller object holds after it was built from command-line options:
    // the read options, the first sequence and the setting grid.
    virtual void RefreshViews() = 0;

    virtual void FileSave() = 0;
    virtual void SaveAs() = 0;
    // Prints with the last print flags, without the options dialog.
    virtual void PrintFromToolbar() = 0;
    // 0 all panes, 1 sequence list, 2 chart, 3 listing.
    virtual void SetView(int view) = 0;
    virtual void ShowLegend() = 0;

    virtual bool ChartAutoscale() const = 0;
    virtual int32_t ChartScaleX() const = 0;
    virtual void SetChartAutoscale(bool on) = 0;
    virtual void SetChartScaleX(int32_t scale) = 0;

    // Its own print, save and save-as menu items follow the frame's tool bar.
    virtual void SetFileActionsEnabled(bool enabled) = 0;
    // Its "&Plik" and "&Wykres" menus, shown in the frame's menu bar while it is active.
    virtual std::vector<QMenu*> FrameMenus() = 0;
    // Help context of its focused control (0: the help index).
    virtual int HelpContext() const = 0;
};
