#pragma once
// The read options the document window shows: outside service mode two of them are forced.

#include "app/document/Kivbase.h"

struct TShownReadOptions {
  TReadOptions Options{};            // what the controls show (and what goes back into the image)
  bool ServiceBoxesVisible = false;  // "Koryguj czasy..." and "Pokaż wszyskie zdarzenia"
  bool Forced = false;               // bytes 4 or 5 were changed by the forcing
};
// Outside service mode the operator always gets corrected times and never the hidden
// events: bytes 4 and 5 are forced to 1 and 0 and their boxes are hidden.
TShownReadOptions ShowReadOptions(const TReadOptions& stored, bool serviceMode);
