// kivprobe chart FILE.kiv [--show-all] [--no-correct]: every sequence's chart as the document
// window draws it. For each sequence, in order, its list line, then each trace of its chart
// (row, band flag, caption in quotes) and under it each sample of the trace, one line each:
// time in seconds with three decimals, colour as BBGGRR hex, pen style, thickness in tenths
// of a millimetre.
//
//   sequence 2: Sekwencja nr.2 (Zwykła) Data: 2024-03-15 godz: 10:59:59:998
//     trace 1 band 1 "Stan WA"
//       -0.200 0000FF solid 15
#include "kivprobe.h"

#include <cstdio>

#include "app/document/Kivbase.h"
#include "app/events/Lister.h"
#include "app/events/ListerChart.h"
#include "charts/GraphModel.h"
#include "platform/Codepage.h"

namespace {

std::string PenText(uint8_t style)
{
  static const char* const Names[] = {"solid", "dash", "dot", "dash-dot", "dash-dot-dot", "clear"};
  if (style < std::size(Names))
    return Names[style];
  // A byte the chart does not know is shown as it is stored (the chart draws it as clear).
  return "style" + std::to_string(style);
}

std::string SampleText(const TChartSample& s)
{
  char line[96];
  std::snprintf(line, sizeof line, "%.3f %06X %s %u", s.Time, unsigned(uint32_t(s.Color)),
                PenText(s.PenStyle).c_str(), unsigned(s.Thickness));
  return line;
}

void PrintChart(std::ostream& out, TGraphModel& model)
{
  for (uint16_t t = 1; t <= model.TraceCount() && t != 0; ++t) {
    out << "  trace " << t << " band " << (model.BandFlag(t) ? 1 : 0);
    const auto cell = model.TraceAttrs().GetCellPtr(t, ATTR_CAPTION);
    if (cell.empty()) {
      out << " no caption\n";
    } else {
      std::string caption(cell.begin(), cell.end());
      caption.resize(std::min(caption.size(), caption.find('\0')));
      out << " \"" << Cp1250ToUtf8(caption) << "\"\n";
    }
    const uint16_t n = model.SampleCount(t);
    for (uint16_t i = 1; i <= n && i != 0; ++i) {
      TChartSample s;
      if (model.GetSample(t, i, s))
        out << "    " << SampleText(s) << '\n';
      else
        out << "    (short sample cell)\n";
    }
  }
}

}  // namespace

int ProbeChart(TProbeContext& ctx, const std::vector<std::string>& args)
{
  TKiv kiv;
  if (const int rc = ProbeOpenRegister(ctx, args, "chart", kiv); rc != 0)
    return rc;
  TGraphModel model;
  TEvGraphChart chart(model);
  TEvLister lister;
  lister.SetDevice(&kiv);
  lister.SetGraph(&chart, &EvChart::BuildEventChart);
  lister.RefreshSequences();
  for (int n = 1; n <= lister.SequenceCount(); ++n) {
    lister.SetSequence(n);
    ctx.Out << "sequence " << n << ": " << Cp1250ToUtf8(lister.ListLines()[size_t(n - 1)]) << '\n';
    PrintChart(ctx.Out, model);
  }
  return 0;
}
