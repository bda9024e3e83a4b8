// Decoding of events into listing lines, one table of cases per decoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/events/Lister.h"
#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "tests/app/ListerFixture.h"

using listerfx::TFixtureDocument;
using listerfx::TRegisterBuilder;

namespace {

struct TDecodeCase {
  const char* Name;
  int Model = 2;
  bool ShowAll = false, SysLogic = false, StnBelch = false;
  std::function<void(TFixtureDocument&)> Patch;
  std::function<void(TRegisterBuilder&)> Events;  // after one clock record
  std::vector<std::string> Lines;                 // UTF-8, bold lines with "* "
};

std::vector<std::string> ListSequenceOne(const TDecodeCase& c)
{
  listerfx::SetFormats();
  TFixtureDocument doc(c.Model);
  doc.Correct(false);
  doc.ShowAll(c.ShowAll);
  doc.SysLogic = c.SysLogic;
  doc.StnBelch = c.StnBelch;
  if (c.Patch)
    c.Patch(doc);
  TRegisterBuilder b;
  b.Clock(2024, 6, 1, 12, 0);
  c.Events(b);
  doc.Register = b.Bytes();
  TEvLister lister;
  lister.SetDocument(&doc);
  lister.RefreshSequences();
  listerfx::TLineCollector lines;
  lister.SetSequence(1);
  lister.ForEachEvent(lines.Fn());
  std::vector<std::string> out;
  for (const auto& l : lines.Lines)
    out.push_back(Cp1250ToUtf8(l));
  return out;
}

class ListerDecode : public ::testing::TestWithParam<TDecodeCase> {};

TEST_P(ListerDecode, WritesTheLines) { EXPECT_EQ(ListSequenceOne(GetParam()), GetParam().Lines); }

std::string CaseName(const ::testing::TestParamInfo<TDecodeCase>& info)
{
  return listerfx::TestName(info.param.Name);
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Cases, ListerDecode,
    ::testing::Values(
        TDecodeCase{"signal line",
                    2,
                    false,
                    false,
                    false,
                    nullptr,
                    [](auto& b) { b.Event(0, 4).Event(36, 4); },
                    {"* 0,000 [s] - Powrót napięcia pomocniczego (A11-A12)",
                     "* 0,010 [s] - Pojawienie się sygnału WA zamknięty (C1)"}},
        TDecodeCase{"show all adds hex lines",
                    2,
                    true,
                    false,
                    false,
                    nullptr,
                    [](auto& b) { b.Event(0, 4); },
                    {"00 00 04 ", "* 0,000 [s] - Powrót napięcia pomocniczego (A11-A12)"}},
        TDecodeCase{"show flag 0 hidden",
                    1,
                    false,
                    false,
                    false,
                    nullptr,
                    [](auto& b) { b.Event(30, 4).Event(0, 4); },
                    {"* 0,010 [s] - Powrót napięcia pomocniczego(A9-A10)"}},
        TDecodeCase{"show flag 0 with show all",
                    1,
                    true,
                    false,
                    false,
                    nullptr,
                    [](auto& b) { b.Event(30, 4); },
                    {"1E 00 04 ", "* 0,000 [s] - VP2 przekroczyło próg +22V"}},
        TDecodeCase{"logic kind without sys logic",
                    2,
                    false,
                    false,
                    false,
                    nullptr,
                    [](auto& b) { b.Event(208, 4); },
                    {}},
        TDecodeCase{"logic kind hex line only",
                    2,
                    true,
                    false,
                    false,
                    nullptr,
                    [](auto& b) { b.Event(208, 4); },
                    {"D0 00 04 "}},
        TDecodeCase{"logic kind with sys logic",
                    2,
                    false,
                    true,
                    false,
                    nullptr,
                    [](auto& b) { b.Event(208, 4); },
                    {"* 0,000 [s] - Załączenie klucza \"ŁA LOG\""}},
        TDecodeCase{"kind 2 like kind 3",
                    2,
                    false,
                    false,
                    false,
                    [](auto& d) { d.Patch(0, 2, 3); },
                    [](auto& b) { b.Event(0, 4).Event(1, 4); },
                    {"* 0,010 [s] - Spadek napięcia pomocniczego (A11-A12)"}},
        TDecodeCase{"restart reason clamps to 52",
                    2,
                    false,
                    false,
                    false,
                    nullptr,
                    [](auto& b) {
                      b.Event(245, 0, {0x01, 0x05});
                    },
                    {"* 0,000 [s] - RESTART", "  [105]h :restart spowodowany błędem wewnętrznym automatu"}},
        TDecodeCase{"restart reason two digits",
                    2,
                    false,
                    false,
                    false,
                    nullptr,
                    [](auto& b) {
                      b.Event(245, 0, {0x00, 0x00});
                    },
                    {"* 0,000 [s] - RESTART", "  [00]h :watchdog w czasie normalnej pracy"}},
        TDecodeCase{"restart model 1 table",
                    1,
                    false,
                    false,
                    false,
                    nullptr,
                    [](auto& b) {
                      b.Event(245, 0, {0, 51});
                    },
                    {"* 0,000 [s] - RESTART",
                     "  [33]h :niepopr. wartość ustawienia \"wyk. SZR od zewn imp wył\" w czasie restartu"}},
        TDecodeCase{"voltage model 2",
                    2,
                    false,
                    false,
                    false,
                    nullptr,
                    [](auto& b) {
                      b.Event(246, 0, {0x01, 0x03, 0x00, 0x40, 0x0F, 0x0B});
                    },
                    {"* 0,000 [s] - STAN NAPIĘĆ", "  0.9Ur<UA<Ur  Ug<UszA<0.9Ur  UB>Ur  Uw<UszB<Ug",
                     "  Skokowe obniżenie nap. UszA o więcej niż Us"}},
        TDecodeCase{"voltage model 1",
                    1,
                    false,
                    false,
                    false,
                    nullptr,
                    [](auto& b) {
                      b.Event(246, 0, {0x00, 0x01, 0x40, 0x40, 0xFF, 0x0F});
                    },
                    {"* 0,000 [s] - STAN NAPIĘĆ", "  UR<Uw  Uw<Usz<Ug  UP>Ur",
                     "  Skokowe obniżenie nap. Usz o więcej niż Us",
                     "  Skokowe obniżenie nap. UR o więcej niż Us"}},
        TDecodeCase{"voltage model 1 seven levels",
                    1,
                    false,
                    false,
                    true,
                    nullptr,
                    [](auto& b) {
                      b.Event(246, 0, {0x03, 0x0F, 0x00, 0x00, 0x28, 0x0F});
                    },
                    {"* 0,000 [s] - STAN NAPIĘĆ", "  Ur_qs1<UR<Ur_qs2  Usz>Ur  Ug<UP<Ur_qs1"}},
        TDecodeCase{"blocking model 2 repeats dropped",
                    2,
                    false,
                    false,
                    false,
                    [](auto& d) { d.SetShow(247, 1); },
                    [](auto& b) {
                      b.Event(247, 0, {0, 0, 0, 0, 0x30, 0x10, 0x20})
                          .Event(247, 4, {0, 0, 0, 0, 0x30, 0x10, 0x20})
                          .Event(247, 4, {0, 0, 0, 0, 0x00, 0x00, 0x20});
                    },
                    {"* 0,000 [s] - STAN BLOKAD PRZEŁĄCZEŃ SYNCHRONICZNYCH", "  df_UsB-UA<wart.nastawionej",
                     "  df_UsA-UB<wart.nastawionej", "  dfi_UsB-UA<wart.nastawionej",
                     "  dU_UsA-UB<wart.nastawionej", "* 0,020 [s] - STAN BLOKAD PRZEŁĄCZEŃ SYNCHRONICZNYCH",
                     "  dU_UsA-UB<wart.nastawionej"}},
        TDecodeCase{
            "blocking repeats kept with show all",
            1,
            true,
            false,
            false,
            nullptr,
            [](auto& b) {
              b.Event(247, 0, {0, 0, 0, 0, 0x02, 0x04, 0x06}).Event(247, 4, {0, 0, 0, 0, 0x02, 0x04, 0x06});
            },
            {"F7 00 00 00 00 00 00 02 04 06 ", "* 0,000 [s] - STAN BLOKAD PRZEŁĄCZEŃ SYNCHRONICZNYCH",
             "  df_Us-UR<wart.nastawionej", "  dfi_Us-UP<wart.nastawionej", "  dU_Us-UR<wart.nastawionej",
             "  dU_Us-UP<wart.nastawionej", "F7 00 04 00 00 00 00 02 04 06 ",
             "* 0,010 [s] - STAN BLOKAD PRZEŁĄCZEŃ SYNCHRONICZNYCH", "  df_Us-UR<wart.nastawionej",
             "  dfi_Us-UP<wart.nastawionej", "  dU_Us-UR<wart.nastawionej", "  dU_Us-UP<wart.nastawionej"}},
        TDecodeCase{"clock change",
                    2,
                    false,
                    false,
                    false,
                    nullptr,
                    [](auto& b) {
                      b.Event(253, 0, {1, 5, 4, 3, 2, 1, 24});
                    },
                    {"* 0,000 [s] - ZMIANA CZASU ZEGAROWEGO", "  Źródło zmiany czasu: łącze RS0",
                     "  Nowa nastawa: Data: 2024-01-02 Czas: 03:04:05"}},
        TDecodeCase{"clock change unknown source and impossible date",
                    2,
                    false,
                    false,
                    false,
                    nullptr,
                    [](auto& b) {
                      b.Event(253, 0, {7, 5, 4, 3, 2, 0, 24}).Event(253, 0, {3, 60, 4, 3, 2, 1, 99});
                    },
                    {"* 0,000 [s] - ZMIANA CZASU ZEGAROWEGO", "  ?", "  Nowa nastawa: Data: ? Czas: ?",
                     "* 0,000 [s] - ZMIANA CZASU ZEGAROWEGO", "  Źródło zmiany czasu: klawiatura",
                     "  Nowa nastawa: Data: ? Czas: ?"}},
        TDecodeCase{"clock change kind 12",
                    2,
                    false,
                    false,
                    false,
                    [](auto& d) { d.Patch(254, 12, 10); },
                    [](auto& b) {
                      b.Event(254, 0, {2, 0, 30, 23, 31, 12, 99});
                    },
                    {"* 0,000 [s] - Polecenie z klawiatury:", "  Źródło zmiany czasu: łącze RS1",
                     "  Nowa nastawa: Data: 1999-12-31 Czas: 23:30:00"}},
        TDecodeCase{"serial command needs show all",
                    2,
                    false,
                    false,
                    false,
                    [](auto& d) { d.Patch(252, 17, 4); },
                    [](auto& b) { b.Event(252, 0, {0x85}); },
                    {"* 0,000 [s] - ROZKAZ PRZEZ ŁĄCZE SZEREGOWE"}},
        TDecodeCase{"serial command broadcast",
                    2,
                    true,
                    false,
                    false,
                    [](auto& d) { d.Patch(252, 17, 4); },
                    [](auto& b) { b.Event(252, 0, {0x85}); },
                    {"FC 00 00 85 ", "* 0,000 [s] - ROZKAZ PRZEZ ŁĄCZE SZEREGOWE",
                     "  Rozkaz przez łącze szeregoweRS1(broadcast)", "  Starszy bajt rej. danych=0", "  =0",
                     "  Komenda: \"odstawienie\""}},
        TDecodeCase{"serial command addressed",
                    2,
                    true,
                    false,
                    false,
                    [](auto& d) { d.Patch(252, 17, 4); },
                    [](auto& b) { b.Event(252, 0, {0x45}).Event(252, 0, {0x0A}).Event(252, 0, {0x04}); },
                    {"FC 00 00 45 ", "* 0,000 [s] - ROZKAZ PRZEZ ŁĄCZE SZEREGOWE",
                     "  Rozkaz przez łącze szeregoweRS0", "  Starszy bajt rej. danych<>0", "  <>0",
                     "  Komenda: \"odblokowanie\"", "FC 00 00 0A ",
                     "* 0,000 [s] - ROZKAZ PRZEZ ŁĄCZE SZEREGOWE",
                     "  Rozkaz przez łącze szeregoweRS0(broadcast)", "  Starszy bajt rej. danych=0", "  =0",
                     "FC 00 00 04 ", "* 0,000 [s] - ROZKAZ PRZEZ ŁĄCZE SZEREGOWE",
                     "  Rozkaz przez łącze szeregoweRS0(broadcast)", "  Starszy bajt rej. danych=0", "  =0",
                     "  Komenda: \"start PPZAB \""}},
        TDecodeCase{"record shorter than its decoder reads",
                    2,
                    false,
                    false,
                    false,
                    [](auto& d) { d.Patch(245, 8, 3); },
                    [](auto& b) { b.Event(245, 0); },
                    {"* 0,000 [s] - RESTART", "  [00]h :watchdog w czasie normalnej pracy"}}),
    CaseName);

// Relative seconds count every whole second of the difference, hours and days included.
TEST(ListerDecodeTime, RelativeSecondsKeepHoursAndDays)
{
  UtilityFormat().DecimalSeparator = ',';
  struct {
    int64_t HalfMs;
    const char* Text;
  } cases[] = {{0, "0,000"},    {-7, "0,000"},         {5, "0,002"},
               {15, "0,008"},   {7451000, "3725,500"}, {2 * 172800000LL + 2001, "172801,000"},
               {1999, "1,000"}, {1997, "0,998"}};
  for (const auto& c : cases)
    EXPECT_EQ(EvText::RelativeSeconds(c.HalfMs), c.Text) << c.HalfMs;
  UtilityFormat().DecimalSeparator = '.';
  EXPECT_EQ(EvText::RelativeSeconds(7451000), "3725.500");
  UtilityFormat().DecimalSeparator = ',';
}

TEST(ListerDecodeTime, ListingOfAnHourLongSequence)
{
  TDecodeCase c{"hour",
                2,
                false,
                false,
                false,
                nullptr,
                [](auto& b) {
                  b.Event(0, 0);
                  for (int i = 0; i < 22; ++i)
                    b.Event(4, 65535);
                  b.Event(1, 48430);
                },
                {}};
  const auto lines = ListSequenceOne(c);
  ASSERT_EQ(lines.size(), 24u);
  EXPECT_EQ(lines.back(), "* 3725,500 [s] - Spadek napięcia pomocniczego (A11-A12)");
}

TEST(ListerDecodeState, BreakerStateAndTexts)
{
  EXPECT_EQ(EvText::BreakerState(true, false), 1);
  EXPECT_EQ(EvText::BreakerState(false, true), 0);
  EXPECT_EQ(EvText::BreakerState(true, true), 2);
  EXPECT_EQ(EvText::BreakerState(false, false), 2);
  const char* texts[] = {"WYŁĄCZONY", "ZAŁĄCZONY",  "STAN NIEJEDNOZNACZNY", "STAN NIEZNANY", "U<Uw",
                         "Uw<U<Ug",   "Ug<U<0,9Ur", "0.9Ur<U<Ur",           "U>Ur"};
  for (int i = 0; i < 9; ++i)
    EXPECT_EQ(Cp1250ToUtf8(EvText::StateText(i)), texts[i]);
  EXPECT_EQ(EvText::StateText(9), "?");
  EXPECT_EQ(EvText::StateText(-1), "?");
}

// Switchgear snapshots: the header by position, breaker texts, and the gated rows.
TEST(ListerDecodeState, SwitchgearHeadersAndBreakers)
{
  TDecodeCase c{"gear",
                2,
                false,
                false,
                false,
                nullptr,
                [](auto& b) {
                  // bytes 3..15: b11 = WB (open only), b12 = WR (both), b13 = WA (closed only)
                  b.Event(251, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0x08, 0x0C, 0x04, 0, 0});
                  b.Event(0, 4);
                  b.Event(251, 4, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
                  b.Event(1, 4);
                  b.Event(251, 4, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01});
                },
                {}};
  const auto lines = ListSequenceOne(c);
  std::vector<std::string> heads, breakers;
  for (const auto& l : lines) {
    if (l.rfind("* ", 0) == 0)
      heads.push_back(l);
    if (l.rfind("  WA-", 0) == 0 || l.rfind("  WR-", 0) == 0 || l.rfind("  WB-", 0) == 0)
      breakers.push_back(l);
  }
  EXPECT_EQ(heads, (std::vector<std::string>{
                       "* STAN POCZĄTKOWY ROZDZIELNI", "* 0,010 [s] - Powrót napięcia pomocniczego (A11-A12)",
                       "* 0,020 [s] - STAN ROZDZIELNI",
                       "* 0,030 [s] - Spadek napięcia pomocniczego (A11-A12)", "* STAN KOŃCOWY ROZDZIELNI"}));
  EXPECT_EQ(std::vector<std::string>(breakers.begin(), breakers.begin() + 3),
            (std::vector<std::string>{"  WA-ZAŁĄCZONY", "  WR-STAN NIEJEDNOZNACZNY", "  WB-WYŁĄCZONY"}));
  // Without system logic and show-all only the ungated rows (25 per snapshot) and the
  // voltage line are written.
  EXPECT_EQ(lines.size(), 5u + 3 * (25 + 1));
  EXPECT_EQ(lines.back(), "  UA<Uw  UszA<Uw  UB<Uw  UszB<Uw");
  EXPECT_EQ(lines[lines.size() - 26], "  Istnieje napięcie pomocnicze (A11-A12)");
}

// Every row of a model 1 snapshot with system logic and show-all: all bits set, then clear.
TEST(ListerDecodeState, Model1SnapshotWithEveryGateOpen)
{
  TDecodeCase c{
      "gear1",
      1,
      true,
      true,
      false,
      nullptr,
      [](auto& b) {
        b.Event(251, 0, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
        b.Event(251, 4, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
      },
      {}};
  const auto lines = ListSequenceOne(c);
  // hex, header, 31 flag rows, 2 breakers, 7 signals, voltages and the two drops; then
  // the same without the drops.
  ASSERT_EQ(lines.size(), 45u + 43u);
  const auto has = [&](size_t from, size_t to, const std::string& text) {
    return std::find(lines.begin() + long(from), lines.begin() + long(to), text) != lines.begin() + long(to);
  };
  EXPECT_EQ(lines[1], "* STAN POCZĄTKOWY ROZDZIELNI");
  EXPECT_EQ(lines[2], "  Istnieje napięcie pomocnicze (A9-A10)");
  EXPECT_TRUE(has(0, 45, "  Stan WP-STAN NIEJEDNOZNACZNY"));
  EXPECT_TRUE(has(0, 45, "  Aktywny sygnał ZMIANA ZEST NASTAW SYS(wybrany zestaw 2)"));
  EXPECT_TRUE(has(0, 45, "  Pobudzona sygnalizacja NIEPRAWIDŁOWY SZR"));
  EXPECT_EQ(lines[41], "  Aktywny sygnał BLOKADA PRZEJŚCIOWA LOG");
  EXPECT_EQ(lines[42], "  UR>Ur  Usz>Ur  UP>Ur");
  EXPECT_EQ(lines[46], "* STAN KOŃCOWY ROZDZIELNI");
  EXPECT_TRUE(has(45, 88, "  Nieaktywny sygnał ZEZW. ZEZW. NA SZR WR>WP SYS"));
  EXPECT_TRUE(has(45, 88, "  Nie pobudzona sygnalizacja POBUDZENIE PPZ lub SPP"));
  EXPECT_TRUE(has(45, 88, "  Niepobudzona sygnalizacja NIEPRAWIDŁOWY SZR"));
  EXPECT_EQ(lines.back(), "  UR<Uw  Usz<Uw  UP<Uw");
}
