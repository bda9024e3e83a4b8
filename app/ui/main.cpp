#include <QApplication>
#include <QMainWindow>

#include "app/ui/QtPrompts.h"
#include "app/ui/QtPump.h"
#include "ternik/TernikInit.h"

int main(int argc, char** argv)
{
    // The library's registries are filled before anything else runs.
    InitializeLibrary();
    QApplication app(argc, argv);
    QMainWindow window;
    // Waits keep the event loop running; messages and questions appear as Qt dialogs.
    TQtPumpInstaller pump;
    TQtPromptsInstaller prompts(&window);
    window.setWindowTitle(QStringLiteral("KivsSN"));
    window.resize(800, 600);
    window.show();
    const int rc = app.exec();
    FinalizeLibrary();
    return rc;
}
