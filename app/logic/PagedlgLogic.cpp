#include "app/logic/PagedlgLogic.h"

#include "platform/NumText.h"

std::string MarginText(int tenths)
{
  // Two fixed decimals: a rule of two significant digits would show 10 cm as 1E1 and make
  // the spin buttons stick there.
  return FormatFixed(tenths < 0 ? 0.0 : tenths / 10.0, 2, UtilityFormat()) + " cm";
}

std::optional<int> ReadMarginText(std::string_view text)
{
  const char sep = UtilityFormat().DecimalSeparator;
  size_t n = 0;
  while (n < text.size() &&
         ((text[n] >= '0' && text[n] <= '9') || text[n] == sep || text[n] == '-' || text[n] == '+'))
    ++n;
  double cm = 0;
  if (n == 0 || !TryStrToFloat(text.substr(0, n), cm, sep))
    return std::nullopt;
  int64_t tenths = 0;
  if (!TryRoundHalfEven(cm * 10, tenths))
    return std::nullopt;
  if (tenths < 0)
    return 0;
  return tenths > 100000 ? 100000 : int(tenths);
}
