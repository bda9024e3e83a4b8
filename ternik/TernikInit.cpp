#include "ternik/TernikInit.h"

#include <cstddef>

#include "ternik/ComTrade3Unit.h"
#include "ternik/DataFileParsersUnit.h"
#include "ternik/FastStrings.h"
#include "ternik/LangUnit.h"
#include "ternik/RNTools.h"
#include "ternik/SettingsTools.h"
#include "ternik/VersionListUnit.h"
#include "ternik/VmBase.h"
#include "ternik/VmbEngines.h"
#include "ternik/WbComp/ColourDefaults.h"
#include "ternik/WbComp/ConnectorKinds.h"
#include "ternik/WbComp/MeasListUnit.h"
#include "ternik/XmlLight/ObjectXUnit.h"
#include "ternik/XmlLight/WbStrUtils.h"
#include "ternik/XmlLight/XmlLight2Unit.h"
#include "ternik/uDateTimeEx.h"
#include "ternik/uFileAccess.h"
#include "ternik/uMappedFile.h"
#include "ternik/uWin32Tools.h"

namespace {

struct TUnitStep {
  const char* Unit;
  void (*Initialize)();
  void (*Finalize)();  // may be null
};

// The start-up order. A unit joins by adding its line at its place; nothing else changes.
constexpr TUnitStep kSteps[] = {
    // Upper-case table and version list.
    {"FastStrings", &FastStringsInitialize, &FastStringsFinalize},
    {"VersionListUnit", &VersionListUnitInitialize, &VersionListUnitFinalize},
    // XML unit: the node class registry and "XNODE".
    {"XmlLight2Unit", &XmlLight2UnitInitialize, &XmlLight2UnitFinalize},
    // Value engines.
    {"VmbEngines", &VmbEnginesInitialize, &VmbEnginesFinalize},
    // Object units; then the date-time and IPv4 text unit.
    {"ObjectXUnit", &ObjectXUnitInitialize, nullptr},
    {"WbStrUtils", &WbStrUtilsInitialize, nullptr},
    // Language dictionary.
    {"LangUnit", &LangUnitInitialize, &LangUnitFinalize},
    // Settings tools.
    {"SettingsTools", &SettingsToolsInitialize, &SettingsToolsFinalize},
    // Text groups; the measuring-range table.
    {"FileSignatureUnit", &FileSignatureUnitInitialize, nullptr},
    {"XMeasBoxCpx", &XMeasBoxCpxInitialize, nullptr},
    {"MeasListUnit", &MeasListUnitInitialize, &MeasListUnitFinalize},
    // Data-file parsers and recorder interfaces.
    {"DataFileParsersUnit", &DataFileParsersUnitInitialize, &DataFileParsersUnitFinalize},
    // COMTRADE unit with both registries.
    {"ComTrade3Unit", &ComTrade3UnitInitialize, &ComTrade3UnitFinalize},
    // Date and time texts.
    {"VmBase", &VmBaseInitialize, &VmBaseFinalize},
    // System texts, files and letter folding.
    {"uWin32Tools", &uWin32ToolsInitialize, &uWin32ToolsFinalize},
    {"uDateTimeEx", &uDateTimeExInitialize, &uDateTimeExFinalize},
    {"uFileAccess", &uFileAccessInitialize, &uFileAccessFinalize},
    {"uMappedFile", &uMappedFileInitialize, nullptr},
    {"RNTools", &RNToolsInitialize, &RNToolsFinalize},
    // Colour and connector-kind tables.
    {"ColourDefaults", &ColourDefaultsInitialize, &ColourDefaultsFinalize},
    {"ConnectorKinds", &ConnectorKindsInitialize, &ConnectorKindsFinalize},
};
constexpr size_t kStepCount = sizeof kSteps / sizeof kSteps[0];

bool gInitialized = false;

void FinalizeFirst(size_t count)
{
  for (size_t i = count; i-- > 0;)
    if (kSteps[i].Finalize)
      kSteps[i].Finalize();
}

}  // namespace

void InitializeLibrary()
{
  if (gInitialized)
    return;
  size_t done = 0;
  try {
    for (; done < kStepCount; ++done)
      kSteps[done].Initialize();
  } catch (...) {
    // A unit that fails to start leaves the ones before it finalised, not half set up.
    FinalizeFirst(done);
    throw;
  }
  gInitialized = true;
}

void FinalizeLibrary()
{
  if (!gInitialized)
    return;
  FinalizeFirst(kStepCount);
  gInitialized = false;
}

bool LibraryInitialized() { return gInitialized; }
