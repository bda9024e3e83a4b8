#include "app/logic/ReadOptionsLogic.h"

TShownReadOptions ShowReadOptions(const TReadOptions& stored, bool serviceMode)
{
  TShownReadOptions shown;
  shown.Options = stored;
  shown.ServiceBoxesVisible = serviceMode;
  if (!serviceMode) {
    shown.Options[ReadOption::CorrectTimes] = 1;
    shown.Options[ReadOption::ShowAllEvents] = 0;
  }
  shown.Forced = shown.Options != stored;
  return shown;
}
