#include <string>
#include <vector>

#include "app/ui/Child.h"
#include "app/ui/Main.h"
#include "platform/qt/QtPrompts.h"
#include "platform/qt/QtPump.h"
#include "platform/qt/QtTranslation.h"
#include "ternik/TernikInit.h"

int main(int argc, char** argv)
{
  // The library's registries are filled before anything else runs.
  InitializeLibrary();
  int rc = 0;
  {
    TKivApplication app(argc, argv);
    // The user interface is Polish, Qt's own dialogs and buttons included.
    InstallQtPolishTranslation(app);
    // Waits keep the event loop running; messages and questions appear as Qt dialogs.
    TQtPumpInstaller pump;
    TQtPromptsInstaller prompts;
    TMainFormOptions options;
    options.ProgramPath = QCoreApplication::applicationFilePath().toStdString();
    for (int i = 1; i < argc; ++i)
      options.Params.emplace_back(argv[i]);
    TMainForm frame(options);
    frame.SetDocumentFactory(
        [](IChildFrame& owner, QMdiArea* parent) -> IChildOps* { return new TChildForm(owner, parent); });
    prompts.Prompts().SetParent(&frame);
    prompts.Prompts().SetTitle(frame.AppTitle());
    frame.show();
    rc = app.exec();
  }
  FinalizeLibrary();
  return rc;
}
