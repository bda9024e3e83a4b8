#include "ternik/WbComp/ColourDefaults.h"

namespace {
TColourDefaults gColours;
}

const TColourDefaults& ColourDefaults() { return gColours; }

void ColourDefaultsInitialize()
{
  // The first value was once a mid grey (0xAEAEAE); clients have always seen 64 there.
  gColours.First = 64;
  gColours.Second = 0xFFFFFF;
  gColours.Third = 0xD3D3D3;
  gColours.Fourth = 0;
  gColours.Fifth = 0;
}

void ColourDefaultsFinalize() { gColours = {}; }
