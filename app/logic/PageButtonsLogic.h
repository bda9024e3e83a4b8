#pragma once
// The side buttons of each page of the document window and when they may be used.

#include <string>

#include "app/logic/ChildActivity.h"

class TKivLink;

enum class TPageAction { None, HexList, SaveBuf, Read, Execute, Cancel };
struct TPageButton {
  std::string Caption;  // Windows-1250
  std::string Hint;
  TPageAction Action = TPageAction::None;
  bool Visible = false;
  bool Enabled = false;
};
struct TPageButtons {
  bool PanelVisible = false;
  int HelpContext = 0;
  TPageButton Btn[3];
};
// Page 0 "Bufor zdarzeń", 1 "Zestawy Nastaw", 2 "Zapis/Odczyt". While another document
// holds the link (`linkHeldElsewhere`), "Odczyt" and "Wykonaj" wait for it: the controller
// object would refuse them, and a write offered and confirmed must not come to nothing.
TPageButtons SetupPageButtons(int page, bool serviceMode, TChildActivity activity, bool linkHeldElsewhere);
// Whether "Odczyt", "Wykonaj" and the command tree's double-click may start now.
bool LinkCommandsEnabled(TChildActivity activity, bool linkHeldElsewhere);
// Whether the link is held by another holder than `self` (the document's controller object).
bool LinkHeldElsewhere(const TKivLink* link, const void* self);
