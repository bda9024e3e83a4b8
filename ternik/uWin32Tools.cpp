#include "ternik/uWin32Tools.h"

#include <cerrno>
#include <cstring>

#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "platform/SysUtil.h"
#include "ternik/VersionListUnit.h"

namespace {
uint8_t gVersionKind = 0;
// Two further globals of the unit, cleared at start-up; nothing reads them.
int32_t gWin32Reserved1 = 0;
int32_t gWin32Reserved2 = 0;

bool IsUnknownErrorText(const std::string& text, int code)
{
  // The C library answers "Unknown error N" where the system has no text.
  return text.empty() || text == "Unknown error " + IntToStr(code);
}
}  // namespace

std::string SysErrorText(int code)
{
  std::string text = SysErrorMessage(code);
  if (IsUnknownErrorText(text, code))
    return {};
  return text + " [SysErr: " + IntToStr(code) + "]";
}

std::string LastSysErrorText() { return SysErrorText(errno); }

uint8_t ClassifyWindowsVersion(TWinPlatform platform, uint32_t major, uint32_t minor,
                               std::string_view serviceText)
{
  if (platform == TWinPlatform::Win9x) {
    if (minor == 0)
      return 1;
    if (minor == 10)
      return CpTrim(serviceText) == "A" ? 3 : 2;
    if (minor == 90)
      return 4;
    return 0;
  }
  if (platform == TWinPlatform::NT) {
    if (major == 4)
      return 5;
    if (major == 5 && minor == 0)
      return 6;
    if (major == 5 && minor == 1)
      return 7;
    if (major == 5 && minor == 2)
      return 8;
    if (major == 6 && minor == 0)
      return 9;
    if (major == 6 && minor == 1)
      return 10;
  }
  return 0;
}

uint8_t WindowsVersionKind() { return gVersionKind; }

void uWin32ToolsInitialize()
{
  AddVersionHeader("$Header: /ternik/uWin32Tools.pas,v 1.12 2017/10/18 00:00:00 ternik Exp $");
  gVersionKind = ClassifyWindowsVersion(TWinPlatform::Unknown, 0, 0, {});
  gWin32Reserved1 = 0;
  gWin32Reserved2 = 0;
}

void uWin32ToolsFinalize() { gVersionKind = 0; }
