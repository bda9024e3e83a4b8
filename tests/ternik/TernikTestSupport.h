// Shared helpers of the library tests.
#pragma once

#include <string>

#include "ternik/TernikInit.h"

// Keeps the library initialised for the length of a test (and finalises it afterwards, so
// every test starts from the same registries).
struct TLibraryScope {
  TLibraryScope() { InitializeLibrary(); }
  ~TLibraryScope() { FinalizeLibrary(); }
  TLibraryScope(const TLibraryScope&) = delete;
  TLibraryScope& operator=(const TLibraryScope&) = delete;
};
