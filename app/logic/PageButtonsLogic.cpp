#include "app/logic/PageButtonsLogic.h"

#include "app/link/KivLink.h"
#include "platform/Codepage.h"

bool LinkHeldElsewhere(const TKivLink* link, const void* self)
{
  return link && link->Busy() && link->Holder() != self;
}

bool LinkCommandsEnabled(TChildActivity activity, bool linkHeldElsewhere)
{
  return activity == TChildActivity::Idle && !linkHeldElsewhere;
}

TPageButtons SetupPageButtons(int page, bool serviceMode, TChildActivity activity, bool linkHeldElsewhere)
{
  TPageButtons b;
  const bool idle = activity == TChildActivity::Idle;
  const bool linkFree = LinkCommandsEnabled(activity, linkHeldElsewhere);
  switch (page) {
  case 0:
    b.HelpContext = 10;
    b.PanelVisible = serviceMode;
    if (serviceMode) {
      b.Btn[0] = {"HexList", "Wyświetl zawartość bufora zdarzeń (w porządku rosnącym)"_cp,
                  TPageAction::HexList, true, idle};
      b.Btn[1] = {"Save Buf", "Zapis bufora zdarzeń do pliku"_cp, TPageAction::SaveBuf, true, idle};
    }
    break;
  case 1:
    b.HelpContext = 134;
    break;
  case 2:
    b.HelpContext = 6;
    b.PanelVisible = true;
    b.Btn[0] = {"Odczyt", "Odczyt danych z automatu|Odczytaj wybrane pozycje z automatu", TPageAction::Read,
                true, linkFree};
    b.Btn[1] = {"Wykonaj", "Wykonaj wybrane polecenie", TPageAction::Execute, true, linkFree};
    // A set write is not cut short: stopping between chunks would leave a partly written
    // set in the controller.
    b.Btn[2] = {"Anuluj", "Przerwij odczyt", TPageAction::Cancel, true, activity == TChildActivity::Reading};
    break;
  default:
    break;
  }
  return b;
}
