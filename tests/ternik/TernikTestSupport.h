// Shared helpers of the library tests.
#pragma once

#include <string>

#include "platform/NumText.h"
#include "ternik/TernikInit.h"
#include "tests/support/TempDir.h"

// Keeps the library initialised for the length of a test (and finalises it afterwards, so
// every test starts from the same registries).
struct TLibraryScope {
  TLibraryScope() { InitializeLibrary(); }
  ~TLibraryScope() { FinalizeLibrary(); }
  TLibraryScope(const TLibraryScope&) = delete;
  TLibraryScope& operator=(const TLibraryScope&) = delete;
};

// Sets the process-wide decimal separator for one test and puts the old one back.
struct TDecimalScope {
  explicit TDecimalScope(char sep) : Old(UtilityFormat().DecimalSeparator)
  {
    UtilityFormat().DecimalSeparator = sep;
  }
  ~TDecimalScope() { UtilityFormat().DecimalSeparator = Old; }
  TDecimalScope(const TDecimalScope&) = delete;
  TDecimalScope& operator=(const TDecimalScope&) = delete;
  char Old;
};

#include <filesystem>
#include <fstream>
#include <iterator>

inline std::string ReadBytes(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << bytes;
}
