// The main window's decisions on text from outside: command-line words, the option split,
// the scale box, margin texts, TCP port texts, kiv.ini contents and grid sizes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/logic/GridPagination.h"
#include "app/logic/MainLogic.h"
#include "app/logic/PagedlgLogic.h"
#include "platform/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string text(reinterpret_cast<const char*>(data), size);
  // Words split at NUL bytes, as argv would give them.
  std::vector<std::string> words(1);
  for (char c : text) {
    if (c == '\0')
      words.emplace_back();
    else
      words.back() += c;
  }
  size_t calls = 0;
  const TCommandLinePlan plan = PlanCommandLine(words, [&](const std::string&) { return ++calls % 3 != 0; });
  if (plan.MissingFile && !plan.Options.empty())
    __builtin_trap();
  (void)DocumentNameFromOptions(text);
  (void)DocumentNameFromOptions(plan.Options);
  if (const auto choice = ChooseXScale(text, true);
      choice && !choice->Autoscale && (choice->ScaleX < XSCALE_MIN || choice->ScaleX > XSCALE_MAX))
    __builtin_trap();
  if (const auto margin = ReadMarginText(text); margin && *margin < 0)
    __builtin_trap();
  if (TcpPortFromText(text) == 0)
    __builtin_trap();
  TIniFile ini;
  ini.LoadFromString(text);
  const TMainConfig config = ReadKivIni(ini, "kivssn");
  if (config.Comm.MBTCPIP.size() > KivIni::IP_MAX || config.Comm.MBTCPPort == 0)
    __builtin_trap();

  // Grid sizes from the bytes: every item lands on exactly one page, in order.
  std::vector<int64_t> sizes;
  for (size_t i = 0; i + 1 < size && sizes.size() < 64; i += 2)
    sizes.push_back(int64_t(data[i]) * 8 - 64);
  const int64_t room = size ? int64_t(data[0]) * 4 : 0;
  const std::vector<TGridSpan> spans = PackGridSpans(sizes, room);
  int next = 0;
  for (const TGridSpan& s : spans) {
    if (s.First != next || s.Last < s.First)
      __builtin_trap();
    next = s.Last + 1;
  }
  if (!spans.empty() && next != int(sizes.size()))
    __builtin_trap();
  return 0;
}
