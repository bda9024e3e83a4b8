// Decoding of one event cell into listing lines: one small function per decoder kind.
#include <algorithm>

#include "app/events/Lister.h"
#include "app/events/ListerInternal.h"
#include "app/values/VoltageCodes.h"
#include "platform/Codepage.h"
#include "platform/DateTime.h"
#include "platform/NumText.h"

using namespace ListerDetail;

// State kept while one pass lists a sequence.
struct TEvLister::TDecodePass {
  int LastBlockingCol = 0;  // column of the last blocking-state record met, 0 = none
  int Row = 0;
};

namespace {

using TTable = std::span<const uint8_t, EVENT_KIND_TABLE_SIZE>;

// What a decoder sees of its event.
struct TEventCtx {
  std::span<const uint8_t> Rec;  // the record's bytes
  TTable Table;
  int Col = 0, Count = 0;
  int64_t RelHalfMs = 0;
  bool ShowAll = false, SysLogic = false, StnBelch = false;
  const TEvLineFn* Sink = nullptr;

  uint8_t B(size_t i) const { return At(Rec, i); }
  uint8_t Code() const { return At(Rec, 0); }
  void Line(std::string_view text, TEvFontStyle style = TEvFontStyle::Normal) const { (*Sink)(text, style); }
  void EventLine() const
  {
    Line(EvText::RelativeSeconds(RelHalfMs) + " [s] - " + EvDescription(Table, Code()), TEvFontStyle::Bold);
  }
};

void HexLine(const TEventCtx& e)
{
  std::string line;
  for (uint8_t b : e.Rec)
    line += IntToHex(b, 2) + " ";
  e.Line(line);
}

void Restart(const TEventCtx& e, uint8_t kind)
{
  e.EventLine();
  const uint32_t reason = uint32_t(e.B(3) << 8 | e.B(4));
  e.Line("  ["_cp + IntToHex(reason, 2) + "]h :" + RestartReasonText(kind, std::min<uint32_t>(reason, 52)));
}

// Voltages of a model 1 record (bytes 3-8), after its header when it stands alone.
void Voltage1(const TEventCtx& e)
{
  if (e.Code() == EventCode::VoltageState)
    e.EventLine();
  const uint8_t x = e.B(7);
  std::string ur, up;
  if (e.StnBelch) {
    const uint8_t urExtra = uint8_t((Bit(x, 5) || Bit(x, 3) ? 1 : 0) | (Bit(x, 7) || Bit(x, 6) ? 2 : 0));
    const uint8_t upExtra = uint8_t((Bit(x, 0) ? 1 : 0) | (Bit(x, 1) ? 2 : 0));
    ur = VoltageStateText7(e.B(3), e.B(5), urExtra, "UR");
    up = VoltageStateText7(e.B(8), e.B(8), upExtra, "UP");
  } else {
    ur = VoltageStateText(e.B(3), e.B(5), "UR");
    up = VoltageStateText(e.B(8), e.B(8), "UP");
  }
  e.Line("  " + ur + "  " + VoltageStateText(e.B(4), e.B(6), "Usz") + "  " + up);
  if (Bit(e.B(6), 6))
    e.Line("  Skokowe obniżenie nap. Usz o więcej niż Us"_cp);
  if (Bit(e.B(5), 6))
    e.Line("  Skokowe obniżenie nap. UR o więcej niż Us"_cp);
}

void Voltage2(const TEventCtx& e)
{
  if (e.Code() == EventCode::VoltageState)
    e.EventLine();
  e.Line("  " + VoltageStateText(e.B(8), e.B(8), "UA") + "  " + VoltageStateText(e.B(4), e.B(6), "UszA") +
         "  " + VoltageStateText(e.B(7), e.B(7), "UB") + "  " + VoltageStateText(e.B(3), e.B(5), "UszB"));
  if (Bit(e.B(6), 6))
    e.Line("  Skokowe obniżenie nap. UszA o więcej niż Us"_cp);
  if (Bit(e.B(5), 6))
    e.Line("  Skokowe obniżenie nap. UszB o więcej niż Us"_cp);
}

void Blocking(const TEventCtx& e, bool model2)
{
  static const char* const texts1[3][2] = {
      {"  df_Us-UR<wart.nastawionej", "  df_Us-UP<wart.nastawionej"},
      {"  dfi_Us-UR<wart.nastawionej", "  dfi_Us-UP<wart.nastawionej"},
      {"  dU_Us-UR<wart.nastawionej", "  dU_Us-UP<wart.nastawionej"},
  };
  static const char* const texts2[3][2] = {
      {"  df_UsB-UA<wart.nastawionej", "  df_UsA-UB<wart.nastawionej"},
      {"  dfi_UsB-UA<wart.nastawionej", "  dfi_UsA-UB<wart.nastawionej"},
      {"  dU_UsB-UA<wart.nastawionej", "  dU_UsA-UB<wart.nastawionej"},
  };
  e.EventLine();
  const int firstBit = model2 ? 4 : 1;
  for (int i = 0; i < 3; ++i) {
    const uint8_t v = e.B(size_t(7 + i));
    for (int k = 0; k < 2; ++k)
      if (Bit(v, firstBit + k))
        e.Line(model2 ? texts2[i][k] : texts1[i][k]);
  }
}

// One row of a switchgear snapshot.
enum class TGate : uint8_t { Always, Sys, All };
enum class TRowKind : uint8_t { Flag, Breaker, Signals };
struct TGearRow {
  TRowKind Kind;
  uint8_t Byte, Bit, Bit2;  // Bit2: the open contact of a breaker
  TGate Gate;
  std::string_view Set, Clear;  // a breaker's prefix is Set
};

constexpr TGearRow Flag(uint8_t byte, uint8_t bit, TGate gate, std::string_view set, std::string_view clear)
{
  return {TRowKind::Flag, byte, bit, 0, gate, set, clear};
}
constexpr TGearRow Breaker(uint8_t byte, std::string_view prefix)
{
  return {TRowKind::Breaker, byte, 2, 3, TGate::Always, prefix, {}};
}
constexpr TGearRow Signals() { return {TRowKind::Signals, 9, 0, 0, TGate::All, {}, {}}; }
constexpr TGate A = TGate::Always, S = TGate::Sys, L = TGate::All;

// Texts are UTF-8 here and turned into the code page as they are written.
constexpr TGearRow Gear1[] = {
    Flag(15, 0, A, "Istnieje napięcie pomocnicze (A9-A10)"_cp, "Brak napięcia pomocniczego (A9-A10)"_cp),
    Flag(15, 1, S, "Zamknięty klucz ŁA SYS"_cp, "Otwarty klucz ŁA SYS"_cp),
    Flag(15, 2, A, "Zamknięty klucz ŁA (B1-B2)"_cp, "Otwarty klucz ŁA (B1-B2)"_cp),
    Flag(15, 4, A, "Istnieje sygnał zezwolenia na SZR WP>WR(B5)"_cp,
         "Brak sygnału zezwolenia na SZR WP>WR(B5)"_cp),
    Flag(15, 5, A, "Istnieje sygnał zezwolenia na SZR WR>WP(B6)"_cp,
         "Brak sygnału zezwolenia na SZR WR>WP(B6)"_cp),
    Flag(15, 6, A, "Istnieje sygnał zezwolenia na SPP(B7)"_cp, "Brak sygnału zezwolenia na SPP(B7)"_cp),
    Flag(15, 7, A, "Istnieje sygnał blokady przejściowej(B8)"_cp, "Brak sygnału blokady przejściowej(B8)"_cp),
    Flag(14, 0, A, "Istnieje sygnał blokady trwałej (B9)"_cp, "Brak sygnału blokady trwałej (B9)"_cp),
    Flag(14, 1, A, "Istnieje sygnał pobudzenia PPZ WP>WR lub WR>WP(B10)"_cp,
         "Brak sygnału pobudzenia PPZ WP>WR lub WR>WP(B10)"_cp),
    Flag(14, 2, A, "Istnieje sygnał zewnętrznego pobudzenia SZR WP>WR(B11)"_cp,
         "Brak sygnału zewnętrznego pobudzenia SZR WP>WR(B11)"_cp),
    Flag(14, 3, A, "Istnieje sygnał zewnętrznego pobudzenia SZR WR>WP(B12)"_cp,
         "Brak sygnału zewnętrznego pobudzenia SZR WR>WP(B12)"_cp),
    Flag(13, 1, S, "Zamknięty klucz ŁA LOG"_cp, "Otwarty klucz ŁA LOG"_cp),
    Breaker(13, "  Stan WP-"_cp),
    Flag(13, 4, A, "Istnieje sygnał gotowości pola WP (C5-C6)"_cp,
         "Brak sygnału gotowości pola WP (C5-C6)"_cp),
    Flag(13, 5, A, "Istnieje zewnętrzny sygnał wyłączający WP(D4)"_cp,
         "Brak zewnętrznego sygnału wyłączającego WP(D4)"_cp),
    Flag(13, 6, S, "Aktywny sygnał ZEZW. NA SZR WP>WR SYS"_cp, "Nieaktywny sygnał ZEZW. NA SZR WP>WR SYS"_cp),
    Flag(12, 1, S, "Aktywny sygnał ZEZW. NA SPP LOG"_cp, "Nieaktywny sygnał ZEZW. NA SPP LOG"_cp),
    Flag(12, 6, S, "Aktywny sygnał ZEZW. NA SPP SYS"_cp, "Nieaktywny sygnał ZEZW. NA SPP SYS"_cp),
    Flag(11, 0, A, "Istnieje sygnał zmiany zestawu nastaw - wybrany 2 zestaw"_cp,
         "Brak sygnału zmiany zestawu nastaw - wybrany 1 zestaw"_cp),
    Flag(11, 1, S, "Aktywny sygnał ZMIANA ZEST. NASTAW LOG(wybrany 2 zestaw)"_cp,
         "Nieaktywny sygnał ZMIANA ZEST. NASTAW LOG(wybrany 1 zestaw)"_cp),
    Breaker(11, "  Stan WR-"_cp),
    Flag(11, 4, A, "Istnieje sygnał gotowości pola WR (C7-C8)"_cp,
         "Brak sygnału gotowości pola WR (C7-C8)"_cp),
    Flag(11, 5, A, "Istnieje zewnętrzny sygnał wyłączający WR (D8)"_cp,
         "Brak zewnętrznego sygnału wyłączającego WR (D8)"_cp),
    Flag(11, 6, S, "Aktywny sygnał ZEZW. NA SZR WR>WP SYS"_cp,
         "Nieaktywny sygnał ZEZW. ZEZW. NA SZR WR>WP SYS"_cp),
    Flag(10, 0, A, "Zamknięty przekaźnik U<t 2 st. (F5-F6)"_cp,
         "Nie zamknięty przekaźnik U<t 2 st. (F5-F6)"_cp),
    Flag(10, 2, A, "Zamknięty przekaźnik U<t 1 st. (F3-F4)"_cp,
         "Nie zamknięty przekaźnik U<t 1 st. (F3-F4)"_cp),
    Flag(10, 3, S, "Aktywny sygnał BLOKADA PRZEJŚCIOWA SYS"_cp,
         "Nieaktywny sygnał BLOKADA PRZEJŚCIOWA SYS"_cp),
    Flag(10, 7, S, "Aktywny sygnał BLOKADA TRW. SYS"_cp, "Nieaktywny sygnał BLOKADA TRW. SYS"_cp),
    Signals(),
    Flag(9, 7, S, "Aktywny sygnał ZMIANA ZEST NASTAW SYS(wybrany zestaw 2)"_cp,
         "Nieaktywny sygnał ZMIANA ZEST NASTAW SYS(wybrany zestaw 1)"_cp),
    Flag(8, 4, S, "Aktywny sygnał ZEZW. NA SZR WP>WR LOG"_cp, "Nieaktywny sygnał ZEZW. NA SZR WP>WR LOG"_cp),
    Flag(8, 5, S, "Aktywny sygnał ZEZW. NA SZR WR>WP LOG"_cp, "Nieaktywny sygnał ZEZW. NA SZR WR>WP LOG"_cp),
    Flag(7, 4, S, "Aktywny sygnał BLOKADA TRW. LOG"_cp, "Nieaktywny sygnał BLOKADA TRW. LOG"_cp),
    Flag(7, 5, S, "Aktywny sygnał BLOKADA PRZEJŚCIOWA LOG"_cp,
         "Nieaktywny sygnał BLOKADA PRZEJŚCIOWA LOG"_cp),
};

constexpr TGearRow Gear2[] = {
    Flag(15, 0, A, "Istnieje napięcie pomocnicze (A11-A12)"_cp, "Brak napięcia pomocniczego (A11-A12)"_cp),
    Flag(15, 1, S, "Zamknięty klucz ŁA SYS"_cp, "Otwarty klucz ŁA SYS"_cp),
    Flag(15, 2, A, "Zamknięty klucz ŁA (B1-B2)"_cp, "Otwarty klucz ŁA (B1-B2)"_cp),
    Flag(15, 4, A, "Istnieje sygnał zezwolenia na SZR WA>WR i WB>WR(B5)"_cp,
         "Brak sygnału zezwolenia na SZR WA>WR i WB>WR(B5)"_cp),
    Flag(15, 5, A, "Istnieje sygnał zezwolenia na SZR WA>WB i WB>WA (B6)"_cp,
         "Brak sygnału zezwolenia na SZR WA>WB i WB>WA (B6)"_cp),
    Flag(15, 6, A, "Istnieje sygnał zezwolenia na SPP (B7)"_cp, "Brak sygnału zezwolenia na SPP (B7)"_cp),
    Flag(15, 7, A, "Istnieje sygnał blokady przejściowej sekcji A (B8)"_cp,
         "Brak sygnału blokady przejściowej sekcji A (B8)"_cp),
    Flag(14, 0, A, "Istnieje sygnał blokady przejściowej sekcji B (B9)"_cp,
         "Brak sygnału blokady przejściowej sekcji B (B9)"_cp),
    Flag(14, 1, A, "Istnieje sygnał blokady trwałej sekcji A (B10)"_cp,
         "Brak sygnału blokady trwałej sekcji A (B10)"_cp),
    Flag(14, 2, A, "Istnieje sygnał blokady trwałej sekcji B (B11)"_cp,
         "Brak sygnału blokady trwałej sekcji B (B11)"_cp),
    Flag(14, 3, L, "Istnieje sygnał pobudzenia PPZ WA>WR lub WR>WA (B12)"_cp,
         "Brak sygnału pobudzenia PPZ WA>WR lub WR>WA (B12)"_cp),
    Flag(14, 4, L, "Istnieje sygnał pobudzenia PPZ WB>WR lub WB>WA (B13)"_cp,
         "Brak sygnału pobudzenia PPZ WB>WR lub WB>WA (B13)"_cp),
    Flag(14, 5, L, "Istnieje sygnał pobudzenia PPZ WA>WB lub WB>WA (B14)"_cp,
         "Brak sygnału pobudzenia PPZ WA>WB lub WB>WA (B14)"_cp),
    Flag(14, 6, S, "Istnieje sygnał blokady przejściowej sekcji B LOG"_cp,
         "Brak sygnału blokady przejściowej sekcji B LOG"_cp),
    Flag(13, 0, A, "Istnieje sygnał zewnętrznego pobudzenia SZR WA>WR lub WA>WB(B15)"_cp,
         "Brak sygnału zewnętrznego pobudzenia SZR WA>WR lub WA>WB (B15)"_cp),
    Flag(13, 1, S, "Zamknięty klucz ŁA LOG"_cp, "Otwarty klucz ŁA LOG"_cp),
    Breaker(13, "  WA-"_cp),
    Flag(13, 4, A, "Istnieje sygnał gotowości pola WA (C7-C8)"_cp,
         "Brak sygnału gotowości pola WA (C7-C8)"_cp),
    Flag(13, 5, A, "Istnieje zewnętrzny sygnał wyłączający WA (D4)"_cp,
         "Brak zewnętrznego sygnału wyłączającego WA (D4)"_cp),
    Flag(13, 6, S, "Brak sygnału ZEZW. NA SZR WA>WR I WB>WR SYS"_cp,
         "Istnieje sygnał ZEZW. NA SZR WA>WR I WB>WR SYS"_cp),
    Flag(12, 0, A, "Istnieje sygnał zmiany zestawu nastaw - wybrany 2 zestaw (B4)"_cp,
         "Brak sygnału zmiany zestawu nastaw - wybrany 1 zestaw (B4)"_cp),
    Flag(12, 1, S, "Istnieje sygnał ZEZW. NA SPP LOG"_cp, "Brak sygnału ZEZW. NA SPP LOG"_cp),
    Breaker(12, "  WR-"_cp),
    Flag(12, 4, A, "Istnieje sygnał gotowości pola WR (C9-C10)"_cp,
         "Brak sygnału gotowości pola WR (C9-C10)"_cp),
    Flag(12, 5, A, "Istnieje zewnętrzny sygnał wyłączający WR (D8)"_cp,
         "Brak zewnętrznego sygnału wyłączającego WR (D8)"_cp),
    Flag(12, 6, S, "Aktywny sygnał ZEZW. NA SPP SYS"_cp, "Nieaktywny sygnał ZEZW. NA SPP SYS"_cp),
    Flag(11, 0, A, "Istnieje sygnał zewnętrznego pobudzenia SZR WB>WR lub WB>WA (B16)"_cp,
         "Brak sygnału zewnętrznego pobudzenia SZR WB>WR lub WB>WA(B16)"_cp),
    Flag(11, 1, S, "Aktywny sygnał ZMIANA ZEST. NASTAW LOG (wybrano zestaw 2)"_cp,
         "Nieaktywny sygnał ZMIANA ZEST. NASTAW LOG (wybrano zestaw 1)"_cp),
    Breaker(11, "  WB-"_cp),
    Flag(11, 4, A, "Istnieje sygnał gotowości pola WB (C11-C12)"_cp,
         "Brak sygnału gotowości pola WB (C11-C12)"_cp),
    Flag(11, 5, A, "Istnieje zewnętrzny sygnał wyłączający WB (D12)"_cp,
         "Brak zewnętrznego sygnału wyłączającego WB (D12)"_cp),
    Flag(11, 6, S, "Aktywny sygnał ZEZW NA SZR WA>WB I WB>WA SYS"_cp,
         "Nieaktywny sygnał ZEZW NA SZR WA>WB I WB>WA SYS"_cp),
    Flag(10, 0, A, "Zamknięty przekaźnik U<t sekcji B 2 st. (F3-F9)"_cp,
         "Nie zamknięty przekaźnik U<t sekcji B 2 st. (F9-F10)"_cp),
    Flag(10, 1, S, "Aktywny sygnał BLOKADA PRZEM S.B SYS"_cp, "Nie aktywny sygnał BLOKADA PRZEM S.B SYS"_cp),
    Flag(10, 2, A, "Zamknięty przekaźnik U<t sekcji B 1 st. (F5-F6)"_cp,
         "Nie zamknięty przekaźnik U<t sekcji B 1 st. (F5-F6)"_cp),
    Flag(10, 3, S, "Aktywny sygnał BLOKADA PRZEM S.A SYS"_cp, "Nieaktywny sygnał BLOKADA PRZEM. S.A SYS"_cp),
    Flag(10, 4, A, "Zamknięty przekaźnik U<t sekcji A 2 stopień (F7-F8)"_cp,
         "Nie zamknięty przekaźnik U<t sekcji A 2 stopień (F7-F8)"_cp),
    Flag(10, 5, S, "Aktywny sygnał BLOKADA TRW. S.B SYS"_cp, "Nie aktywny sygnał BLOKADA TRW. S.B SYS"_cp),
    Flag(10, 6, A, "Zamknięty przekaźnik U<t sekcji A 1 st. (F3-F4)"_cp,
         "Nie zamknięty przekaźnik U<t sekcji A 1 st. (F3-F4)"_cp),
    Flag(10, 7, S, "Aktywny sygnał BLOKADA TRW. S.A SYS"_cp, "Nie aktywny sygnał BLOKADA TRW. S.A SYS"_cp),
    Signals(),
    Flag(9, 7, S, "Aktywny sygnał ZMIANA ZEST. NASTAW SYS(wyrany zestaw 2)"_cp,
         "Nie aktywny sygnał ZMIANA ZEST NASTAW SYS (wybrany zestaw 1)"_cp),
    Flag(8, 4, S, "Aktywny sygnał ZEZW. NA SZR WA>WR I WB>WR LOG"_cp,
         "Nie aktywny sygnał ZEZW. NA SZR WA>WR I WB>WR LOG"_cp),
    Flag(8, 5, S, "Aktywny sygnał ZEZW. NA SZR WA>WB I WB>WA LOG"_cp,
         "Nie aktywny sygnał ZEZW. NA SZR WA>WB I WB>WA LOG"_cp),
    Flag(7, 4, S, "Aktywny sygnał BLOKADA TRW.S.B LOG"_cp, "Nie aktywny sygnał BLOKADA TRW.S.B LOG"_cp),
};

constexpr std::string_view Signals1[7] = {
    " sygnalizacja POBUDZENIE PPZ lub SPP"_cp,
    " sygnalizacja ZADZIAŁANIE SZR"_cp,
    " sygnalizacja ODSTAWIENIE"_cp,
    " sygnalizacja BLOKADA TRWAŁA"_cp,
    " sygnalizacja BLOKADA PRZ. lub NIEPRZ"_cp,
    " sygnalizacja NIEPRAWIDŁOWY PPZ lub SPP"_cp,
    " sygnalizacja NIEPRAWIDŁOWY SZR"_cp,
};
constexpr std::string_view Signals2[7] = {
    " sygnalizacja POBUDZENIE PPZ lub SPP (E8)"_cp,
    " sygnalizacja ZADZIAŁANIE SZR (E7)"_cp,
    " sygnalizacja ODSTAWIENIE (E2)"_cp,
    " sygnalizacja BLOKADA TRWAŁA (E3)"_cp,
    " sygnalizacja BLOKADA PRZ. lub NIEPRZ.(E4)"_cp,
    " sygnalizacja NIEPRAWIDŁOWY PPZ lub SPP (E6)"_cp,
    " sygnalizacja NIEPRAWIDŁOWY SZR (E5)"_cp,
};

void Switchgear(const TEventCtx& e, bool model2)
{
  if (e.Col == 1)
    e.Line("STAN POCZĄTKOWY ROZDZIELNI"_cp, TEvFontStyle::Bold);
  else if (e.Col == e.Count)
    e.Line("STAN KOŃCOWY ROZDZIELNI"_cp, TEvFontStyle::Bold);
  else
    e.EventLine();
  const std::span<const TGearRow> rows =
      model2 ? std::span<const TGearRow>(Gear2) : std::span<const TGearRow>(Gear1);
  for (const TGearRow& row : rows) {
    if ((row.Gate == TGate::Sys && !e.SysLogic) || (row.Gate == TGate::All && !e.ShowAll))
      continue;
    const uint8_t v = e.B(row.Byte);
    switch (row.Kind) {
    case TRowKind::Flag:
      e.Line("  " + std::string(Bit(v, row.Bit) ? row.Set : row.Clear));
      break;
    case TRowKind::Breaker:
      e.Line(std::string(row.Set) +
             EvText::StateText(EvText::BreakerState(Bit(v, row.Bit), Bit(v, row.Bit2))));
      break;
    case TRowKind::Signals:
      for (int bit = 0; bit < 7; ++bit) {
        const char* word = Bit(v, bit) ? "Pobudzona" : (bit == 6 ? "Niepobudzona" : "Nie pobudzona");
        e.Line("  " + std::string(word) + std::string(model2 ? Signals2[bit] : Signals1[bit]));
      }
      break;
    }
  }
  if (model2)
    Voltage2(e);
  else
    Voltage1(e);
}

int YearOf(uint8_t v) { return v >= 99 ? 1900 + v : 2000 + v; }

void ClockChange(const TEventCtx& e)
{
  e.EventLine();
  switch (e.B(3)) {
  case 1:
    e.Line("  Źródło zmiany czasu: łącze RS0"_cp);
    break;
  case 2:
    e.Line("  Źródło zmiany czasu: łącze RS1"_cp);
    break;
  case 3:
    e.Line("  Źródło zmiany czasu: klawiatura"_cp);
    break;
  default:
    e.Line("  ?");
    break;
  }
  const TFormatSettings& fs = UtilityFormat();
  TDateTime date = 0, time = 0;
  // A new time that cannot exist is shown as unknown; the listing goes on.
  if (TryEncodeDate(YearOf(e.B(9)), e.B(8), e.B(7), date) && TryEncodeTime(e.B(6), e.B(5), e.B(4), 0, time))
    e.Line("  Nowa nastawa: Data: "_cp + FormatDateTime(fs.ShortDateFormat, date, fs) +
           " Czas: " + FormatDateTime(fs.LongTimeFormat, time, fs));
  else
    e.Line("  Nowa nastawa: Data: ? Czas: ?"_cp);
}

void SerialCommand(const TEventCtx& e)
{
  e.EventLine();
  if (!e.ShowAll)
    return;
  const uint8_t c = e.B(3);
  std::string port = Bit(c, 7) ? "RS1" : "RS0";
  if (!Bit(c, 6))
    port += "(broadcast)";
  const std::string high = Bit(c, 6) ? "<>0" : "=0";
  e.Line("  Rozkaz przez łącze szeregowe"_cp + port);
  e.Line("  Starszy bajt rej. danych"_cp + high);
  e.Line("  " + high);
  std::string command;
  switch (c & 0x1F) {
  case 0:
    command = "blokada trwała sekcji A"_cp;
    break;
  case 1:
    command = "blokada trwała sekcji B"_cp;
    break;
  case 2:
    command = "start PPZA";
    break;
  case 3:
    command = "start PPZB";
    break;
  case 4:
    command = "start PPZAB ";
    break;
  case 5:
    command = Bit(c, 6) ? "odblokowanie" : "odstawienie";
    break;
  case 29:
    command = "Zmiana zestawu nastaw 2";
    break;
  case 30:
    command = "Zmiana zestawu nastaw 1";
    break;
  case 31:
    command = "Przestawienie zegara RTC";
    break;
  default:
    return;
  }
  e.Line("  Komenda: \"" + command + "\"");
}

// True when bytes 3.. of two records differ.
bool BlockingDiffers(std::span<const uint8_t> a, std::span<const uint8_t> b)
{
  const auto tail = [](std::span<const uint8_t> r) {
    return r.size() > 3 ? r.subspan(3) : std::span<const uint8_t>();
  };
  const auto ta = tail(a), tb = tail(b);
  return !std::equal(ta.begin(), ta.end(), tb.begin(), tb.end());
}

}  // namespace

void TEvLister::DecodeEvent(std::span<const uint8_t> cell, int col, int count, int64_t relHalfMs,
                            TDecodePass& pass, const TEvLineFn& sink) const
{
  const auto table = KindTable(FDoc->EventKindTable());
  const auto rec = RecordOf(cell);
  if (rec.empty())
    return;
  const uint8_t code = rec[0];
  TEventCtx e{
      rec,  table, col, count, relHalfMs, ShowAllEvents(), FDoc->ImplementsSysLogick(), FDoc->UseStnBelch(),
      &sink};
  if (EvLength(table, code) == 0 || !(EvShow(table, code) != 0 || e.ShowAll))
    return;
  if (e.ShowAll)
    HexLine(e);
  switch (const uint8_t kind = EvKind(table, code)) {
  case EventDecoderKind::Logic2:
  case EventDecoderKind::Logic3:
    if (e.SysLogic)
      e.EventLine();
    break;
  case EventDecoderKind::Restart1:
  case EventDecoderKind::Restart2:
    Restart(e, kind);
    break;
  case EventDecoderKind::Voltage1:
    Voltage1(e);
    break;
  case EventDecoderKind::Voltage2:
    Voltage2(e);
    break;
  case EventDecoderKind::Blocking1:
  case EventDecoderKind::Blocking2: {
    const auto prev = pass.LastBlockingCol > 0
                          ? RecordOf(FEvents->GetCellPtr(uint16_t(pass.Row), uint16_t(pass.LastBlockingCol)))
                          : std::span<const uint8_t>();
    if (pass.LastBlockingCol == 0 || BlockingDiffers(rec, prev) || e.ShowAll)
      Blocking(e, kind == EventDecoderKind::Blocking2);
    break;
  }
  case EventDecoderKind::Switchgear1:
    Switchgear(e, false);
    break;
  case EventDecoderKind::Switchgear2:
    Switchgear(e, true);
    break;
  case EventDecoderKind::ClockChange12:
  case EventDecoderKind::ClockChange18:
    ClockChange(e);
    break;
  case EventDecoderKind::SerialCommand:
    SerialCommand(e);
    break;
  default:
    e.EventLine();
    break;
  }
}

void TEvLister::ForEachEvent(const TEvLineFn& sink)
{
  if (FDoc == nullptr || FSequence < 1 || FSequence > FEvents->RowCount())
    return;
  const uint16_t row = uint16_t(FSequence);
  const int64_t start = SequenceInfo(FSequence).StartHalfMs;
  const int n = FEvents->GetColCount(row);
  TDecodePass pass;
  pass.Row = FSequence;
  std::vector<uint8_t> cell;
  for (int i = 1; i <= n; ++i) {
    const auto stored = FEvents->GetCellPtr(row, uint16_t(i));
    cell.assign(stored.begin(), stored.end());
    if (!cell.empty())
      DecodeEvent(cell, i, n, CellHalfMs(cell) - start, pass, sink);
    if (!cell.empty() && cell[0] == EventCode::BlockingState)
      pass.LastBlockingCol = i;
  }
}
