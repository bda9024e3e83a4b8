// The library's file base class: a descriptor, its name, size and position, and one
// class-wide error callback. It never raises: every system failure goes to the callback.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

using TFileErrorCallback = std::function<void(const std::string& message, int32_t code1, int32_t code2)>;

class TBaseFile {
public:
  TBaseFile() = default;
  // Closes the descriptor; the file keeps its length (Size is reset as a field only).
  virtual ~TBaseFile();
  TBaseFile(const TBaseFile&) = delete;
  TBaseFile& operator=(const TBaseFile&) = delete;

  // Sets the end of the file at newSize; Size follows on success; Position is kept inside.
  virtual void SetSize(int64_t newSize);
  static TFileErrorCallback GetErrorCallback();
  virtual std::string Text() const { return {}; }
  virtual void Close();
  static void SetErrorCallback(TFileErrorCallback callback);
  // Passes FileName + ": " + message and the codes to the class-wide callback.
  virtual void ReportError(const std::string& message, int32_t code1, int32_t code2);

  int Handle = -1;
  std::string FileName;
  int64_t Size = 0;
  int64_t Position = 0;
};

// Memory page size read at start-up (for mapped views).
int64_t SystemPageSize();

void uFileAccessInitialize();
void uFileAccessFinalize();
