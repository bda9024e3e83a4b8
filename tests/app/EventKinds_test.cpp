#include "app/events/EventKinds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/Codepage.h"

namespace {

std::set<int> DefinedCodes(int model)
{
  std::set<int> codes;
  for (const TEventKindRow& r : EventKindRows(model))
    codes.insert(r.Code);
  return codes;
}

const TEventKindRow* Row(int model, int code)
{
  for (const TEventKindRow& r : EventKindRows(model))
    if (r.Code == code)
      return &r;
  return nullptr;
}

std::set<int> Range(int first, int last)
{
  std::set<int> s;
  for (int i = first; i <= last; ++i)
    s.insert(i);
  return s;
}

std::set<int> Union(std::initializer_list<std::set<int>> parts)
{
  std::set<int> s;
  for (const auto& p : parts)
    s.insert(p.begin(), p.end());
  return s;
}

TEST(EventKinds, DefinedCodeCounts)
{
  struct Case {
    int model;
    size_t rows;
  };
  for (const Case c : {Case{1, 114}, Case{2, 168}}) {
    SCOPED_TRACE(c.model);
    EXPECT_EQ(EventKindRows(c.model).size(), c.rows);
    EXPECT_EQ(DefinedCodes(c.model).size(), c.rows);  // no code twice
    const TEventKindTable& t = EventKindTable(c.model);
    size_t defined = 0;
    for (int code = 0; code < 256; ++code)
      defined += EvLength(t, uint8_t(code)) != 0;
    EXPECT_EQ(defined, c.rows);
  }
  EXPECT_TRUE(EventKindRows(0).empty());
  EXPECT_TRUE(EventKindRows(3).empty());
}

TEST(EventKinds, UnknownModelTableIsAllZero)
{
  for (int model : {0, 3, -1}) {
    const TEventKindTable& t = EventKindTable(model);
    EXPECT_EQ(std::count(t.begin(), t.end(), 0), long(EVENT_KIND_TABLE_SIZE)) << model;
  }
  EXPECT_EQ(EVENT_KIND_TABLE_SIZE, 40192u);
}

TEST(EventKinds, EveryModel1CodeIsAModel2CodeAndTheRestAreModel2Only)
{
  const std::set<int> m1 = DefinedCodes(1);
  const std::set<int> m2 = DefinedCodes(2);
  std::set<int> only2;
  for (int c : m2)
    if (!m1.count(c))
      only2.insert(c);
  for (int c : m1)
    EXPECT_TRUE(m2.count(c)) << "model 1 code " << c << " missing in model 2";
  const std::set<int> expected = Union({Range(24, 27),
                                        Range(32, 33),
                                        Range(48, 49),
                                        Range(52, 59),
                                        Range(62, 63),
                                        Range(92, 93),
                                        Range(96, 97),
                                        {99, 101, 114, 117, 120},
                                        Range(140, 141),
                                        Range(168, 169),
                                        Range(176, 185),
                                        Range(198, 201),
                                        Range(220, 221),
                                        Range(224, 226),
                                        {228},
                                        Range(252, 254)});
  EXPECT_EQ(only2, expected);
}

TEST(EventKinds, DecoderKindsUsedByEachModel)
{
  struct Case {
    int model;
    std::set<int> kinds;
  };
  for (const Case& c :
       {Case{1, {1, 4, 5, 6, 7, 9, 10, 11}}, Case{2, {1, 3, 4, 5, 6, 8, 14, 15, 16, 18, 19}}}) {
    std::set<int> used;
    for (const TEventKindRow& r : EventKindRows(c.model))
      used.insert(r.Kind);
    EXPECT_EQ(used, c.kinds) << "model " << c.model;
    for (int none : {2, 12, 17})
      EXPECT_FALSE(used.count(none)) << none;
  }
}

TEST(EventKinds, ChartTracksInTheirModelsRanges)
{
  const std::set<int> tracks1 = Union({Range(64, 65), Range(74, 111), Range(114, 123), Range(166, 171)});
  const std::set<int> tracks2 = Union({Range(1, 3), Range(10, 61), Range(134, 161)});
  struct Case {
    int model;
    const std::set<int>* allowed;
  };
  for (const Case c : {Case{1, &tracks1}, Case{2, &tracks2}}) {
    for (const TEventKindRow& r : EventKindRows(c.model)) {
      EXPECT_LE(r.Track, CHART_TRACK_COUNT);
      if (r.Track != 0) {
        EXPECT_TRUE(c.allowed->count(r.Track))
            << "model " << c.model << " code " << int(r.Code) << " track " << int(r.Track);
      }
      EXPECT_LE(r.Show, 1);
      EXPECT_LE(r.State, 1);
      EXPECT_LE(r.Corr, 3);
    }
  }
}

TEST(EventKinds, EveryTextFitsItsFieldInWindows1250)
{
  for (int model : {1, 2}) {
    const TEventKindTable& t = EventKindTable(model);
    for (const TEventKindRow& r : EventKindRows(model)) {
      SCOPED_TRACE(Cp1250ToUtf8(r.Text));
      // No byte the code page leaves undefined, and the text fits its field whole.
      EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8(r.Text)), r.Text);
      EXPECT_LE(r.Text.size(), EK_DESCRIPTION_MAX);
      EXPECT_EQ(EvDescription(t, r.Code), r.Text);
      EXPECT_EQ(t[size_t(r.Code) * EVENT_KIND_ENTRY_SIZE + EK_DESCRIPTION], r.Text.size());
    }
    const auto reasons = RestartReasonTexts(model);
    ASSERT_EQ(reasons.size(), RESTART_REASON_COUNT);
    for (std::string_view text : reasons) {
      EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8(text)), text);
      EXPECT_LE(text.size(), RESTART_REASON_TEXT_MAX) << Cp1250ToUtf8(text);
    }
  }
}

TEST(EventKinds, SpecialRecords)
{
  struct Case {
    int code;
    int len;
    int kind1;
    int kind2;
    int show;
    std::string_view text;
  };
  const Case cases[] = {
      {240, 2, 5, 5, 0, "Przeskok w buforze"_cp},
      {243, 6, 4, 4, 1, "CZAS ZEGAROWY ZDARZENIA"_cp},
      {245, 5, 7, 8, 1, "RESTART"_cp},
      {246, 9, 9, 14, 1, "STAN NAPIĘĆ"_cp},
      {247, 10, 10, 15, 0, "STAN BLOKAD PRZEŁĄCZEŃ SYNCHRONICZNYCH"_cp},
      {251, 16, 11, 16, 1, "STAN ROZDZIELNI"_cp},
      {252, 4, 0, 6, 1, "ROZKAZ PRZEZ ŁĄCZE SZEREGOWE"_cp},
      {253, 10, 0, 18, 1, "ZMIANA CZASU ZEGAROWEGO"_cp},
      {254, 4, 0, 19, 1, "Polecenie z klawiatury:"_cp},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    for (int model : {1, 2}) {
      const int kind = model == 1 ? c.kind1 : c.kind2;
      const TEventKindTable& t = EventKindTable(model);
      if (kind == 0) {
        EXPECT_EQ(EvLength(t, uint8_t(c.code)), 0) << "model " << model;
        continue;
      }
      EXPECT_EQ(EvLength(t, uint8_t(c.code)), c.len);
      EXPECT_EQ(EvKind(t, uint8_t(c.code)), kind);
      EXPECT_EQ(EvShow(t, uint8_t(c.code)), c.show);
      EXPECT_EQ(EvDescription(t, uint8_t(c.code)), c.text);
    }
  }
}

TEST(EventKinds, OtherDefinedCodesAreThreeByteSignals)
{
  const std::set<int> special = {240, 243, 245, 246, 247, 251, 252, 253, 254};
  for (int model : {1, 2})
    for (const TEventKindRow& r : EventKindRows(model))
      if (!special.count(r.Code)) {
        EXPECT_EQ(r.Length, 3) << "model " << model << " code " << int(r.Code);
      }
}

TEST(EventKinds, UndefinedCodesReadLengthZero)
{
  for (int model : {1, 2})
    for (int code : {2, 3, 6, 7, 28, 29, 255})
      EXPECT_EQ(EvLength(EventKindTable(model), uint8_t(code)), 0) << model << " " << code;
}

TEST(EventKinds, LogicCodesKinds)
{
  for (const TEventKindRow& r : EventKindRows(1))
    if (r.Code >= 208 && r.Code <= 235) {
      EXPECT_EQ(r.Kind, (r.Code == 208 || r.Code == 211) ? 6 : 1) << int(r.Code);
    }
  for (const TEventKindRow& r : EventKindRows(2))
    if (r.Code >= 208 && r.Code <= 235) {
      EXPECT_EQ(r.Kind, 3) << int(r.Code);
    }
}

// Breaker contact pairs share a track; the open contact appearing carries state 0.
TEST(EventKinds, ContactPairsShareATrackWithInvertedOpenStates)
{
  struct Case {
    int model;
    int first;
    int track;
  };
  for (const Case c : {Case{1, 36, 64}, Case{1, 68, 65}, Case{2, 36, 1}, Case{2, 52, 2}, Case{2, 68, 3}}) {
    const int states[4] = {1, 0, 0, 1};
    for (int k = 0; k < 4; ++k) {
      const TEventKindRow* r = Row(c.model, c.first + k);
      ASSERT_NE(r, nullptr);
      EXPECT_EQ(r->Track, c.track) << c.model << " " << c.first + k;
      EXPECT_EQ(r->State, states[k]) << c.model << " " << c.first + k;
    }
  }
}

// Rows chosen for their quotes, double blanks and typos: they must come through as written.
TEST(EventKinds, ExactRows)
{
  struct Case {
    int model;
    TEventKindRow row;
  };
  const Case cases[] = {
      {1, {0, 3, 1, 1, 1, 74, 1, "Powrót napięcia pomocniczego(A9-A10)"_cp}},
      {1, {68, 3, 1, 1, 1, 65, 1, "Pojawienie się sygnału WR zamkięty (C3)"_cp}},
      {1, {80, 3, 6, 1, 0, 102, 1, "Załączenie klucza\"ŁA SYS\""_cp}},
      {1, {234, 3, 1, 1, 0, 123, 0, "Pojawienie się sygnału \"ZEWN. POB. SZR WR>WP LOG\""_cp}},
      {1, {235, 3, 1, 1, 0, 123, 0, "Zanik sygnału \"ZEWN POB. SZR WR>WP (LOG)\""_cp}},
      {2, {113, 3, 6, 1, 0, 153, 1, "Polecenie z systemu nadrzędnego: \"Załącz z zezwoleniem WA \""_cp}},
      {2, {116, 3, 6, 1, 0, 156, 1, "Polecenie z systemu nadrzędnego :\"Załącz bez zezwolenia WA\""_cp}},
      {2, {119, 3, 6, 1, 0, 159, 1, "Polecenie z systemu nadrzędnego:\"Wyłącz WA"_cp}},
      {2, {177, 3, 1, 1, 2, 43, 0, "Zakończenie impulsu załączającego WR torem bezprzewodowym (D6)"_cp}},
      {2,
       {210, 3, 3, 1, 0, 140, 1, "Pojawienie się sygnału \"ZMANA ZEST. NASTAW LOG\" (wybrano zestaw 2)"_cp}},
      {2, {219, 3, 3, 1, 0, 144, 0, "Zanik sygnału \"RS_BLOKADA PRZEM. S.A LOG\""_cp}},
      {2, {232, 3, 3, 1, 0, 151, 1, "Pojawienie się sygnału \"ZEWN. POB. SZR WA>WR  LUB WA>WB LOG\""_cp}},
      {2, {233, 3, 3, 1, 0, 151, 0, "Zanik sygnału \"ZEWN. POB. SZR WA>WR  LUB WA>WB LOG\""_cp}},
      {2, {234, 3, 3, 1, 0, 152, 1, "Pojawienie się sygnału \"ZEWN. POB. SZR WA>WR  LUB WA>WB LOG\""_cp}},
      {2, {30, 3, 1, 0, 1, 0, 0, "VP2 przekroczyło próg +22V"_cp}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Cp1250ToUtf8(c.row.Text));
    const TEventKindRow* r = Row(c.model, c.row.Code);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->Text, c.row.Text);
    const uint8_t* e = EventKindTable(c.model).data() + size_t(c.row.Code) * EVENT_KIND_ENTRY_SIZE;
    EXPECT_EQ(e[EK_LENGTH], c.row.Length);
    EXPECT_EQ(e[EK_KIND], c.row.Kind);
    EXPECT_EQ(e[EK_SHOW], c.row.Show);
    EXPECT_EQ(e[EK_CORR], c.row.Corr);
    EXPECT_EQ(e[EK_TRACK], c.row.Track);
    EXPECT_EQ(e[EK_STATE], c.row.State);
  }
}

// The stored bytes are Windows-1250: "ŁA" is A3 41.
TEST(EventKinds, DescriptionBytesAreWindows1250)
{
  const uint8_t* e = EventKindTable(1).data() + 80 * EVENT_KIND_ENTRY_SIZE + EK_DESCRIPTION;
  const std::string expected = "Za\xB3\xB9"
                               "czenie klucza\"\xA3"
                               "A SYS\"";
  ASSERT_EQ(e[0], expected.size());
  EXPECT_EQ(std::string(e + 1, e + 1 + e[0]), expected);
}

TEST(EventKinds, RestartReasons)
{
  struct Case {
    uint8_t kind;
    uint32_t code;
    std::string_view text;
  };
  const Case cases[] = {
      {7, 0, "watchdog w czasie normalnej pracy"_cp},
      {8, 2, "restart spowodowany powrotem napięcia pomocniczego, po długim zaniku"_cp},
      {7, 20, "watchdog w czasie stwierdzeia uszkodzenia uszkodzenia DSP"_cp},
      {8, 26, "restart spowodowany błędem wewnętrznym automatu"_cp},
      {7, 33, "restart spowodowany błędem wewnętrznym automatu"_cp},
      {7, 34, "restart spowodowany powrotem napięcia pomocniczego, po krótkim zaniku"_cp},
      {8, 49, "restart spowodowany powrotem napięcia pomocniczego, po krótkim zaniku"_cp},
      {7, 50, "restart po zapisaniu ustawienia \"wyk. SZR od zewn. imp wyłączającego\""_cp},
      {7, 51, "niepopr. wartość ustawienia \"wyk. SZR od zewn imp wył\" w czasie restartu"_cp},
      {8, 51, "stwierdzenie niepopawnej wartości ustawienia \"wyk. SZR od zewn imp wył\""_cp},
      {7, 52, "restart spowodowany błędem wewnętrznym automatu"_cp},
      {8, 53, "restart spowodowany błędem wewnętrznym automatu"_cp},
      {8, 65535, "restart spowodowany błędem wewnętrznym automatu"_cp},
      {8, 0xFFFFFFFFu, "restart spowodowany błędem wewnętrznym automatu"_cp},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RestartReasonText(c.kind, c.code), c.text) << int(c.kind) << " " << c.code;
  EXPECT_EQ(RestartReasonText(1, 0), "");

  // The two tables differ only in entry 51.
  const auto r1 = RestartReasonTexts(1);
  const auto r2 = RestartReasonTexts(2);
  ASSERT_EQ(r1.size(), RESTART_REASON_COUNT);
  ASSERT_EQ(r2.size(), RESTART_REASON_COUNT);
  for (size_t i = 0; i < RESTART_REASON_COUNT; ++i)
    EXPECT_EQ(r1[i] == r2[i], i != 51) << i;
}

}  // namespace

namespace {

// A table of three codes: 1 a 3-byte record, 240 a gap (entry length 2), 9 undefined.
const TEventKindTable& WalkTable()
{
  static const TEventKindTable table = [] {
    TEventKindTable t{};
    t[1 * EVENT_KIND_ENTRY_SIZE + EK_LENGTH] = 3;
    t[240 * EVENT_KIND_ENTRY_SIZE + EK_LENGTH] = 2;
    t[240 * EVENT_KIND_ENTRY_SIZE + EK_KIND] = EventDecoderKind::Skip;
    return t;
  }();
  return table;
}

// Where each step of a walk starts, walked to its end with no caller rule stopping it.
std::vector<size_t> StepOffsets(std::vector<uint8_t> data)
{
  std::vector<size_t> offsets;
  for (TEvRecordWalker walk(data, WalkTable()); !walk.AtEnd(); walk.Next())
    offsets.push_back(walk.Offset());
  return offsets;
}

}  // namespace

TEST(EvRecordWalker, StepsOverRecordsAndGaps)
{
  struct Case {
    const char* Name;
    std::vector<uint8_t> Data;
    std::vector<size_t> Offsets;
  };
  const Case cases[] = {
      {"records", {1, 0, 0, 1, 0, 0}, {0, 3}},
      {"a gap covers its count byte and filler", {240, 2, 0xEE, 0xEE, 1, 0, 0}, {0, 4}},
      {"an empty gap", {240, 0, 1, 0, 0}, {0, 2}},
      {"a cut record is still a step", {1, 0, 0, 1, 0}, {0, 3}},
      {"an undefined code ends the walk", {1, 0, 0, 9, 1, 0, 0}, {0, 3}},
      {"a gap without its count ends the walk", {1, 0, 0, 240}, {0, 3}},
      {"a gap past the end", {240, 200, 1, 0, 0}, {0}},
      {"nothing", {}, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StepOffsets(c.Data), c.Offsets) << c.Name;
}

TEST(EvRecordWalker, WhatAStepTellsItsCaller)
{
  const std::vector<uint8_t> data{1, 7, 8, 240, 127, 9};
  TEvRecordWalker walk(data, WalkTable());
  EXPECT_EQ(walk.Code(), 1);
  EXPECT_EQ(walk.Length(), 3);
  EXPECT_FALSE(walk.IsGap());
  EXPECT_TRUE(walk.RecordFits());
  EXPECT_EQ(std::vector<uint8_t>(walk.Record().begin(), walk.Record().end()),
            (std::vector<uint8_t>{1, 7, 8}));
  walk.Next();
  EXPECT_EQ(walk.Offset(), 3u);
  EXPECT_TRUE(walk.IsGap());
  EXPECT_EQ(walk.GapCount(), std::optional<uint8_t>(127));
  EXPECT_TRUE(walk.IsEndMarker());
  // A caller's rule stops at the marker; the walker itself reads it as a count.
  walk.Next();
  EXPECT_TRUE(walk.AtEnd());
  const std::vector<uint8_t> gap{240, 3, 9, 9, 9, 9};
  TEvRecordWalker past(gap, WalkTable());
  EXPECT_FALSE(past.IsEndMarker());
  past.Next();
  EXPECT_EQ(past.Offset(), 5u);
  EXPECT_EQ(past.Length(), 0);  // 9: undefined
  const std::vector<uint8_t> cut{1, 0};
  EXPECT_FALSE(TEvRecordWalker(cut, WalkTable()).RecordFits());
  const std::vector<uint8_t> lone{240};
  EXPECT_EQ(TEvRecordWalker(lone, WalkTable()).GapCount(), std::nullopt);
}
