// The register walk, the cut into sequences, the list lines and the raw listing.
#include "app/events/Lister.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "app/events/ListerInternal.h"
#include "platform/Codepage.h"
#include "platform/DateTime.h"
#include "platform/NumText.h"

using namespace ListerDetail;

namespace ListerDetail {

std::span<const uint8_t, EVENT_KIND_TABLE_SIZE> KindTable(std::span<const uint8_t> table)
{
  static const TEventKindTable zero{};
  if (table.size() != EVENT_KIND_TABLE_SIZE)
    return std::span<const uint8_t, EVENT_KIND_TABLE_SIZE>(zero);
  return std::span<const uint8_t, EVENT_KIND_TABLE_SIZE>(table.data(), EVENT_KIND_TABLE_SIZE);
}

int64_t RoundedMs(int64_t halfMs)
{
  int64_t q = halfMs / 2;
  if (halfMs % 2 != 0 && q % 2 != 0)
    ++q;
  return q;
}

double HalfMsToDays(int64_t halfMs) { return double(halfMs) / double(TEvLister::HalfMsPerDay); }

int64_t CellHalfMs(std::span<const uint8_t> cell)
{
  int64_t v = 0;
  const double scaled = std::nearbyint(CellTimeOf(cell) * double(TEvLister::HalfMsPerDay));
  if (!TryDoubleToInt64(scaled, v))
    return 0;
  return v;
}

}  // namespace ListerDetail

namespace {

uint16_t TicksOf(std::span<const uint8_t> rec) { return uint16_t((At(rec, 1) << 8) | At(rec, 2)); }

std::string Pad3(int64_t v)
{
  std::string s = IntToStr(v);
  while (s.size() < 3)
    s.insert(s.begin(), '0');
  return s;
}

// Clock time of a record 243 as an exact count; false when its date or time cannot exist.
bool ClockHalfMs(std::span<const uint8_t> rec, int64_t& out)
{
  const int yb = At(rec, 5);
  const int year = yb >= 99 ? 1900 + yb : 2000 + yb;
  const int hour = At(rec, 2), minute = At(rec, 1);
  TDateTime day = 0;
  if (!TryEncodeDate(year, At(rec, 4), At(rec, 3), day) || hour > 23 || minute > 59)
    return false;
  int64_t days = 0;
  if (!TryDoubleToInt64(day, days))
    return false;
  out = days * TEvLister::HalfMsPerDay + int64_t(hour * 3600 + minute * 60) * 2000;
  return true;
}

std::vector<uint8_t> WithTime(std::span<const uint8_t> rec, int64_t halfMs)
{
  std::vector<uint8_t> cell(rec.begin(), rec.end());
  const uint64_t bits = std::bit_cast<uint64_t>(HalfMsToDays(halfMs));
  for (int i = 0; i < 8; ++i)
    cell.push_back(uint8_t(bits >> (8 * i)));
  return cell;
}

}  // namespace

namespace EvText {

int BreakerState(bool closedBit, bool openBit) { return closedBit != openBit ? int(closedBit) : 2; }

std::string StateText(int state)
{
  switch (state) {
  case 0:
    return "WYŁĄCZONY"_cp;
  case 1:
    return "ZAŁĄCZONY"_cp;
  case 2:
    return "STAN NIEJEDNOZNACZNY"_cp;
  case 3:
    return "STAN NIEZNANY"_cp;
  case 4:
    return "U<Uw"_cp;
  case 5:
    return "Uw<U<Ug"_cp;
  case 6:
    return "Ug<U<0,9Ur"_cp;
  case 7:
    return "0.9Ur<U<Ur"_cp;
  case 8:
    return "U>Ur"_cp;
  default:
    return "?"_cp;
  }
}

std::string RelativeSeconds(int64_t halfMs)
{
  const int64_t ms = halfMs > 0 ? RoundedMs(halfMs) : 0;
  return IntToStr(ms / 1000) + UtilityFormat().DecimalSeparator + Pad3(ms % 1000);
}

std::string ListDateTime(int64_t halfMs)
{
  const TFormatSettings& fs = UtilityFormat();
  const int64_t ms = halfMs > 0 ? RoundedMs(halfMs) : 0;
  const int64_t days = ms / 86'400'000, msOfDay = ms % 86'400'000;
  const TDateTime date = double(days);
  const TDateTime time = date + double(msOfDay / 1000) / 86400.0;
  return "Data: "_cp + FormatDateTime(fs.ShortDateFormat, date, fs) + " godz: "_cp +
         FormatDateTime(fs.LongTimeFormat, time, fs) + ":" + Pad3(msOfDay % 1000);
}

}  // namespace EvText

TEvLister::TEvLister() : FChartStates(std::make_unique<TKivMatrix>()), FEvents(std::make_unique<TKivMatrix>())
{}

TEvLister::~TEvLister() = default;

void TEvLister::SetDocument(const IEvDocument* doc)
{
  FDeviceDoc.reset();
  FDoc = doc;
}

bool TEvLister::ShowAllEvents() const { return FDoc != nullptr && FDoc->ReadOptions()[5] != 0; }

void TEvLister::ParseRegister(int row)
{
  if (FDoc == nullptr || row < 1 || row > 0xFFFF)
    return;
  const std::span<const uint8_t> reg =
      FDoc->EvRegister().first(std::min(FDoc->EvRegister().size(), MaxRegisterBytes));
  const auto table = KindTable(FDoc->EventKindTable());
  if (row - 1 < FEvents->RowCount())
    FEvents->SetRowCount(uint16_t(row - 1));
  FFirstUndefined = -1;
  int col = 1;
  for (TEvRecordWalker walk(reg, table); !walk.AtEnd(); walk.Next()) {
    if (walk.Length() == 0) {
      // Every undefined code that stops the walk is reported, the first byte's too.
      FFirstUndefined = walk.Code();
      break;
    }
    if (walk.IsGap()) {
      // Without its count byte there is nothing to read past the data.
      if (!walk.GapCount() || walk.IsEndMarker())
        break;
      continue;
    }
    if (!walk.RecordFits())
      break;  // a record cut by the end of the register is dropped
    FEvents->SetCell(walk.Record(), uint16_t(row), uint16_t(col));
    if (!FEvents->LastError().empty())
      break;
    ++col;
  }
}

void TEvLister::CloseSequence(int row, int64_t earliest, int64_t latest)
{
  const int n = row - 1;
  const uint16_t r = uint16_t(row);
  const int count = FEvents->GetColCount(r);
  const uint8_t c1 = FEvents->GetCellByte(r, 1), c2 = FEvents->GetCellByte(r, 2);
  TEvSequenceKind kind = TEvSequenceKind::None;
  int stateCol = 0;
  if (count >= 2 && c1 == EventCode::Restart && c2 == EventCode::SwitchgearState) {
    kind = TEvSequenceKind::Restart;
    stateCol = 2;
  } else if (count >= 1 && c1 == EventCode::SwitchgearState) {
    kind = TEvSequenceKind::Plain;
    stateCol = 1;
  }
  if (stateCol != 0) {
    const auto cell = FEvents->GetCellPtr(r, uint16_t(stateCol));
    if (cell.size() >= 8)
      FEvents->SetCell(WithTime(cell.first(cell.size() - 8), earliest), r, uint16_t(stateCol));
  }

  std::string kindText;
  if (kind == TEvSequenceKind::Plain)
    kindText = "(Zwykła) "_cp;
  else if (kind == TEvSequenceKind::Restart)
    kindText = "(Restartowa) "_cp;
  std::string line = "Sekwencja nr."_cp + IntToStr(n) + " " + kindText + EvText::ListDateTime(earliest);
  if (FListBox != nullptr)
    FListBox->AddLine(line);
  FListLines.push_back(std::move(line));

  if (count >= 2)
    FEvents->SortRow(r);
  // The opening snapshot heads the sequence; a sequence without one keeps its time order.
  if (kind != TEvSequenceKind::None) {
    for (int c = 1; c <= count; ++c) {
      if (FEvents->GetCellByte(r, uint16_t(c)) == EventCode::SwitchgearState) {
        if (c != 1)
          FEvents->SwapCells(r, uint16_t(c), r, 1);
        break;
      }
    }
  }
  if (count >= 2 && FEvents->GetCellByte(r, uint16_t(count)) == EventCode::SwitchgearState) {
    const auto before = FEvents->GetCellPtr(r, uint16_t(count - 1));
    const auto last = FEvents->GetCellPtr(r, uint16_t(count));
    if (before.size() >= 8 && last.size() >= 8) {
      std::vector<uint8_t> cell(last.begin(), last.end());
      std::copy(before.end() - 8, before.end(), cell.end() - 8);
      FEvents->SetCell(cell, r, uint16_t(count));
    }
  }

  if (int(FInfos.size()) < n)
    FInfos.resize(size_t(n));
  FInfos[size_t(n - 1)] = {kind, HalfMsToDays(earliest), HalfMsToDays(latest), earliest, latest};
}

void TEvLister::SplitSequences()
{
  if (FListBox != nullptr)
    FListBox->Clear();
  FListLines.clear();
  FInfos.clear();
  if (FDoc == nullptr) {
    FEvents->SetRowCount(0);
    return;
  }
  ParseRegister(1);
  const auto table = KindTable(FDoc->EventKindTable());
  const bool correct = FDoc->ReadOptions()[4] != 0;

  int last = 0;
  for (int c = FEvents->GetColCount(1); c >= 1; --c) {
    if (FEvents->GetCellByte(1, uint16_t(c)) == EventCode::Clock) {
      last = c;
      break;
    }
  }
  if (last == 0) {
    FEvents->SetRowCount(0);
    return;
  }

  int r = 1, col = 1;
  int64_t t = 0, earliest = 0, latest = 0;
  bool closed = false;
  std::vector<uint8_t> rec;
  for (int c = last; c >= 1; --c) {
    const auto cell = FEvents->GetCellPtr(1, uint16_t(c));
    rec.assign(cell.begin(), cell.end());
    if (rec.empty())
      continue;
    if (rec[0] == EventCode::Clock) {
      if (r > 1)
        CloseSequence(r, earliest, latest);
      int64_t clock = 0;
      if (!ClockHalfMs(rec, clock)) {
        // A date that cannot exist ends the cut here, as the register's end would.
        closed = true;
        break;
      }
      earliest = latest = 0;
      t = clock;
      ++r;
      col = 1;
      // The row exists even while it holds no event, so sequence n stays row n.
      if (FEvents->RowCapacity() < r)
        FEvents->SetRowCapacity(uint16_t(r));
      if (FEvents->RowCount() < r)
        FEvents->SetRowCount(uint16_t(r));
      continue;
    }
    const uint8_t code = rec[0];
    const int64_t ticks = EvKind(table, code) == EventDecoderKind::Clock ? 0 : TicksOf(rec);
    t += ticks * 5;
    const int64_t et = t + (correct ? int64_t(FDoc->Correction(EvCorr(table, code))) * 2 : 0);
    FEvents->SetCell(WithTime(rec, et), uint16_t(r), uint16_t(col));
    ++col;
    if (earliest == 0 || earliest > et)
      earliest = et;
    if (latest < et)
      latest = et;
  }
  if (!closed && r > 1)
    CloseSequence(r, earliest, latest);

  // Row 1 held the raw walk; drop it and keep the others in order.
  if (FEvents->RowCount() >= 2) {
    FEvents->ReverseRows();
    FEvents->SetRowCount(uint16_t(FEvents->RowCount() - 1));
    if (FEvents->RowCount() >= 2)
      FEvents->ReverseRows();
  } else {
    FEvents->SetRowCount(0);
  }
}

void TEvLister::RefreshSequences()
{
  SplitSequences();
  const bool hasRegister = FDoc != nullptr && !FDoc->EvRegister().empty();
  if (hasRegister && !FListLines.empty()) {
    if (FListBox != nullptr && FListBox->Count() > 0) {
      FListBox->SetMultiSelect(true);
      FListBox->SelectOnly(0);
      FListBox->Click();
    }
  } else {
    FSequence = 0;
    if (FRichEdit != nullptr)
      FRichEdit->Clear();
    if (FGraph != nullptr)
      FGraph->Clear();
  }
}

void TEvLister::SetSequence(int n)
{
  FSequence = n;
  ShowSequenceText();
  BuildChart();
}

TEvSequenceInfo TEvLister::SequenceInfo(int n) const
{
  if (n < 1 || n > int(FInfos.size()))
    return {};
  return FInfos[size_t(n - 1)];
}

int TEvLister::FindCode(uint8_t code, int row, int after) const
{
  if (row < 1 || row > FEvents->RowCount())
    return 0;
  const int n = FEvents->GetColCount(uint16_t(row));
  if (after > n)
    return 0;
  for (int c = std::max(after, 0) + 1; c <= n; ++c) {
    const auto cell = FEvents->GetCellPtr(uint16_t(row), uint16_t(c));
    if (!cell.empty() && cell[0] == code)
      return c;
  }
  return 0;
}

void TEvLister::ShowRawRegister()
{
  if (FDoc == nullptr)
    return;
  const uint16_t before = FEvents->RowCount();
  const int row = before + 1;
  ParseRegister(row);
  if (FRichEdit != nullptr) {
    FRichEdit->BeginUpdate();
    FRichEdit->Clear();
    for (int c = FEvents->GetColCount(uint16_t(row)); c >= 1; --c) {
      std::string line;
      for (uint8_t b : FEvents->GetCellPtr(uint16_t(row), uint16_t(c)))
        line += IntToHex(b, 2) + " ";
      FRichEdit->AddLine(line, TEvFontStyle::Normal);
    }
    if (FFirstUndefined >= 0)
      FRichEdit->AddLine("Kod pierwszego niezdefiniowandego zdarzenia:"_cp +
                             IntToHex(uint64_t(FFirstUndefined), 2) + "h",
                         TEvFontStyle::Normal);
    FRichEdit->EndUpdate();
  }
  // Back to the rows there were: an empty walk adds no row, and no sequence is lost.
  if (FEvents->RowCount() > before)
    FEvents->SetRowCount(before);
}

void TEvLister::ShowSequenceText()
{
  if (FSequence < 1 || FSequence > FEvents->RowCount() || FRichEdit == nullptr)
    return;
  FRichEdit->BeginUpdate();
  FRichEdit->Clear();
  IEvTextSink* text = FRichEdit;
  ForEachEvent([text](std::string_view line, TEvFontStyle style) { text->AddLine(line, style); });
  FRichEdit->CaretToStart();
  FRichEdit->EndUpdate();
}

void TEvLister::PrintSequence(int n)
{
  SetSequence(n);
  if (FPrinter == nullptr || n < 1 || n > int(FListLines.size()))
    return;
  if (!FPrinter->BeginJob(PrintTitle))
    return;
  IEvPrintSink* printer = FPrinter;
  auto line = [printer](std::string_view text, TEvFontStyle style) {
    if (!printer->Aborted())
      printer->PrintLine(text, style);
  };
  line(FListLines[size_t(n - 1)], TEvFontStyle::Normal);
  ForEachEvent(line);
  FPrinter->EndJob();
}

void TEvLister::BuildChart()
{
  if (FSequence < 1)
    return;
  FChartStates->SetRowCount(0);
  if (FGraph == nullptr)
    return;
  FGraph->BeginUpdate();
  FGraph->Clear();
  if (ChartBuilder && FDoc != nullptr && (FDoc->KivType() == 1 || FDoc->KivType() == 2))
    ChartBuilder(*this, *FGraph);
  FGraph->EndUpdate();
}

std::vector<std::string> EvWholeListing(TEvLister& lister)
{
  lister.RefreshSequences();
  std::vector<std::string> out = lister.ListLines();
  for (int n = 1; n <= lister.SequenceCount(); ++n) {
    lister.SetSequence(n);
    lister.ForEachEvent([&out](std::string_view line, TEvFontStyle style) {
      out.push_back((style == TEvFontStyle::Bold ? "* " : "") + std::string(line));
    });
  }
  return out;
}
