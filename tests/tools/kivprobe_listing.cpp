// kivprobe listing FILE.kiv [--show-all] [--no-correct]: the document's event register as
// the document window lists it: every sequence list line, then every sequence's listing,
// one text line per line, bold lines marked by "* " in front.
#include "kivprobe.h"

#include "app/document/Kivbase.h"
#include "app/events/Lister.h"
#include "platform/Codepage.h"
#include "platform/NumText.h"

int ProbeOpenRegister(TProbeContext& ctx, const std::vector<std::string>& args, const char* command,
                      TKiv& kiv)
{
  std::string file;
  bool showAll = false, noCorrect = false;
  bool bad = false;
  for (const std::string& a : args) {
    if (a == "--show-all")
      showAll = true;
    else if (a == "--no-correct")
      noCorrect = true;
    else if (file.empty() && a.rfind("--", 0) != 0)
      file = a;
    else
      bad = true;
  }
  if (bad || file.empty()) {
    ctx.Err << "usage: kivprobe " << command << " FILE.kiv [--show-all] [--no-correct]\n";
    return 2;
  }
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
  return 0;
}

int ProbeListing(TProbeContext& ctx, const std::vector<std::string>& args)
{
  TKiv kiv;
  if (const int rc = ProbeOpenRegister(ctx, args, "listing", kiv); rc != 0)
    return rc;
  TEvLister lister;
  lister.SetDevice(&kiv);
  for (const std::string& line : EvWholeListing(lister))
    ctx.Out << Cp1250ToUtf8(line) << '\n';
  return 0;
}
