// Colour defaults of the library's clients, COLORREF values (red in the low byte).
#pragma once

#include <cstdint>

struct TColourDefaults {
  uint32_t First = 0;   // 64 after start-up
  uint32_t Second = 0;  // white
  uint32_t Third = 0;   // light grey
  uint32_t Fourth = 0;
  uint32_t Fifth = 0;
};
const TColourDefaults& ColourDefaults();

void ColourDefaultsInitialize();
void ColourDefaultsFinalize();
