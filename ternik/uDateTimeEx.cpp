#include "ternik/uDateTimeEx.h"

#include "ternik/VersionListUnit.h"
#include "ternik/uWin32Tools.h"

namespace {
TDateTimeExSettings gSettings;
}

const TDateTimeExSettings& DateTimeExSettings() { return gSettings; }

void uDateTimeExInitialize()
{
  AddVersionHeader("$Header: /ternik/uDateTimeEx.pas,v 1.16 2013/05/14 00:00:00 ternik Exp $");
  gSettings.First = WindowsVersionKind() < 9 ? 19 : 1000;
  gSettings.Second = 10;
  gSettings.Third = 1;
}

void uDateTimeExFinalize() { gSettings = {}; }
