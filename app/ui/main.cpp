#include <QApplication>
#include <QMainWindow>

#include "ternik/TernikInit.h"

int main(int argc, char** argv)
{
    // The library's registries are filled before anything else runs.
    InitializeLibrary();
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("KivsSN"));
    window.resize(800, 600);
    window.show();
    const int rc = app.exec();
    FinalizeLibrary();
    return rc;
}
