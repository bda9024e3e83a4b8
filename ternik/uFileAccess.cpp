#include "ternik/uFileAccess.h"

#include <unistd.h>

#include "platform/FileOps.h"
#include "platform/SysUtil.h"
#include "ternik/uWin32Tools.h"

namespace {
TFileErrorCallback& Callback()
{
  static TFileErrorCallback cb;
  return cb;
}
int64_t gPageSize = 0;

void DefaultErrorCallback(const std::string& message, int32_t, int32_t) { DebugOutput(message); }
}  // namespace

TBaseFile::~TBaseFile()
{
  Size = 0;
  TBaseFile::Close();
}

void TBaseFile::SetSize(int64_t newSize)
{
  int code = 0;
  if (!FileOpsTruncate(Handle, newSize, &code))
    ReportError(SysErrorText(code), 0, 0);
  else
    Size = newSize;
  if (Position >= Size) {
    Position = Size;
  } else if (!FileOpsSeek(Handle, Position, &code)) {
    ReportError(SysErrorText(code), 0, 0);
  }
}

TFileErrorCallback TBaseFile::GetErrorCallback() { return Callback(); }

void TBaseFile::SetErrorCallback(TFileErrorCallback callback) { Callback() = std::move(callback); }

void TBaseFile::Close()
{
  if (Handle != -1) {
    int code = 0;
    if (!FileOpsClose(Handle, &code))
      ReportError(SysErrorText(code), 0, 0);
  }
  Handle = -1;
}

void TBaseFile::ReportError(const std::string& message, int32_t code1, int32_t code2)
{
  if (Callback())
    Callback()(FileName + ": " + message, code1, code2);
}

int64_t SystemPageSize() { return gPageSize; }

void uFileAccessInitialize()
{
  long ps = ::sysconf(_SC_PAGESIZE);
  gPageSize = ps > 0 ? ps : 4096;
  Callback() = &DefaultErrorCallback;
}

void uFileAccessFinalize() { Callback() = nullptr; }
