// Arbitrary event registers through the cut, every sequence's decoding and the raw listing.
//
// Byte 0 chooses the document: bit 0 the model (1 or 2), bit 1 show all events, bit 2 time
// corrections, bit 3 system logic, bit 4 seven-level voltages, bit 5 a patched table. With
// a patched table the next 6 bytes give two (code, decoder kind, length) entries, so that
// every decoder, those no shipped entry names included, meets records of any length; the
// same bytes give the entries a chart track (any, 172..255 included) and a state (any, beyond
// the style table included). Every sequence is also charted, and the legend drawn.
// The rest is the register.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "app/events/EventKinds.h"
#include "app/events/Lister.h"
#include "app/events/ListerChart.h"
#include "charts/GraphModel.h"

namespace {

class TFuzzDocument : public IEvDocument {
public:
  std::span<const uint8_t> Register;
  std::array<uint8_t, 6> Options{0x1F, 1, 1, 1, 0, 0};
  int Model = 2;
  TEventKindTable Table{};
  bool SysLogic = false, StnBelch = false;

  std::span<const uint8_t> EvRegister() const override { return Register; }
  std::array<uint8_t, 6> ReadOptions() const override { return Options; }
  int KivType() const override { return Model; }
  std::span<const uint8_t> EventKindTable() const override { return Table; }
  int Correction(int kind) const override { return kind == 1 ? -5 : kind == 2 ? 15 : kind == 3 ? -30 : 0; }
  bool ImplementsSysLogick() const override { return SysLogic; }
  bool UseStnBelch() const override { return StnBelch; }
};

struct TNullText : IEvTextSink {
  size_t Bytes = 0;
  void BeginUpdate() override {}
  void EndUpdate() override {}
  void Clear() override { Bytes = 0; }
  void AddLine(std::string_view line, TEvFontStyle) override { Bytes += line.size(); }
  void CaretToStart() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 1)
    return 0;
  const uint8_t flags = data[0];
  TFuzzDocument doc;
  doc.Model = (flags & 1) ? 2 : 1;
  doc.Table = EventKindTable(doc.Model);
  doc.Options[5] = (flags >> 1) & 1;
  doc.Options[4] = (flags >> 2) & 1;
  doc.SysLogic = (flags >> 3) & 1;
  doc.StnBelch = (flags >> 4) & 1;
  size_t at = 1;
  if ((flags >> 5) & 1) {
    for (int k = 0; k < 2 && at + 3 <= size; ++k, at += 3) {
      const size_t entry = size_t(data[at]) * EVENT_KIND_ENTRY_SIZE;
      doc.Table[entry + EK_KIND] = uint8_t(data[at + 1] % 20);
      doc.Table[entry + EK_LENGTH] = data[at + 2];
      doc.Table[entry + EK_SHOW] = 1;
      doc.Table[entry + EK_TRACK] = data[at + 1];
      doc.Table[entry + EK_STATE] = data[at + 2];
    }
  }
  doc.Register = std::span<const uint8_t>(data + std::min(at, size), size - std::min(at, size));

  TEvLister lister;
  TNullText text;
  TGraphModel chartModel;
  TEvGraphChart chart(chartModel);
  lister.SetDocument(&doc);
  lister.SetRichEdit(&text);
  lister.SetGraph(&chart, &EvChart::BuildEventChart);
  lister.RefreshSequences();
  for (int n = 0; n <= lister.SequenceCount() + 1; ++n) {
    lister.SetSequence(n);
    (void)lister.SequenceInfo(n);
    (void)lister.FindCode(251, n, 0);
  }
  lister.ShowRawRegister();
  lister.DrawLegend();
  return 0;
}
