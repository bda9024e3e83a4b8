#include "app/document/Timeutil.h"

double TimeOfDaySeconds(TDateTime value)
{
  if (!(value > 0))
    return 0;
  int h = 0, n = 0, s = 0, ms = 0;
  DecodeTime(value, h, n, s, ms);
  return h * 3600.0 + n * 60.0 + s + ms / 1000.0;
}
