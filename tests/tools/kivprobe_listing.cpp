// kivprobe listing FILE.kiv [--show-all] [--no-correct]: the document's event register as
// the document window lists it: every sequence list line, then every sequence's listing,
// one text line per line, bold lines marked by "* " in front.
#include "kivprobe.h"

#include "app/Kivbase.h"
#include "app/Lister.h"
#include "platform/Codepage.h"
#include "platform/NumText.h"

int ProbeListing(TProbeContext& ctx, const std::vector<std::string>& args)
{
  std::string file;
  bool showAll = false, noCorrect = false;
  for (const std::string& a : args) {
    if (a == "--show-all")
      showAll = true;
    else if (a == "--no-correct")
      noCorrect = true;
    else if (file.empty() && a.rfind("--", 0) != 0)
      file = a;
    else {
      ctx.Err << "usage: kivprobe listing FILE.kiv [--show-all] [--no-correct]\n";
      return 2;
    }
  }
  if (file.empty()) {
    ctx.Err << "usage: kivprobe listing FILE.kiv [--show-all] [--no-correct]\n";
    return 2;
  }
  TKiv kiv;
  ProbeSetUp(ctx, kiv);
  if (!kiv.LoadFromFile(file)) {
    ctx.Err << "kivprobe: cannot load " << file << '\n';
    return 1;
  }
  // The formats the main window sets.
  UtilityFormat().DecimalSeparator = ',';
  UtilityFormat().ShortDateFormat = "yyyy-mm-dd";
  UtilityFormat().LongTimeFormat = "hh:nn:ss";
  TReadOptions options = kiv.GetReadOptions();
  if (showAll)
    options[ReadOption::ShowAllEvents] = 1;
  if (noCorrect)
    options[ReadOption::CorrectTimes] = 0;
  kiv.SetReadOptions(options);

  TEvLister lister;
  lister.SetDevice(&kiv);
  for (const std::string& line : EvWholeListing(lister))
    ctx.Out << Cp1250ToUtf8(line) << '\n';
  return 0;
}
