#pragma once
// Shared by the chart's GUI tests: one QApplication per test suite and a nine-trace chart
// shaped like the event charts (breaker states and voltage levels).

#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

#include "charts/GraphModel.h"
#include "charts/ui/Graph.h"
#include "platform/Codepage.h"
#include "tests/charts/ChartSamples.h"

class TQtTest : public ::testing::Test {
protected:
  static void SetUpTestSuite()
  {
    if (QApplication::instance() == nullptr) {
      static int Argc = 1;
      static char Name[] = "tests_ui";
      static char* Argv[] = {Name, nullptr};
      App() = std::make_unique<QApplication>(Argc, Argv);
    }
  }
  static void TearDownTestSuite() { App().reset(); }
  static std::unique_ptr<QApplication>& App()
  {
    static std::unique_ptr<QApplication> A;
    return A;
  }
};

// Nine traces over 0..30 s: three breakers (red closed, green open), three voltages (blue
// present, thin grey missing), a blocking state, an alarm and a trace that starts at 0 and
// changes often.
inline void FillNineTraces(TGraphModel& M)
{
  constexpr int32_t RED = 0x0000FF, GREEN = 0x008000, BLUE = 0xC00000, GREY = 0x808080, ORANGE = 0x0080FF,
                    PURPLE = 0x800080;
  M.BeginUpdate();
  M.Clear();
  const std::string Captions[] = {"Wyłącznik Q1"_cp, "Wyłącznik Q2"_cp, "Sprzęgło Q3"_cp,
                                  "Napięcie L1"_cp,  "Napięcie L2"_cp,  "Napięcie L3"_cp,
                                  "Blokada SZR"_cp,  "Alarm"_cp,        "Praca SZR"_cp};
  for (int T = 1; T <= 9; ++T)
    M.SetTraceCaption(T, Captions[T - 1]);
  auto Add = [&](uint16_t T, std::initializer_list<std::pair<double, std::pair<int32_t, uint8_t>>> L) {
    for (const auto& [Time, CT] : L)
      M.AddSample(ChartSample(Time, CT.first, CT.second), T);
  };
  Add(1, {{0, {RED, 12}}, {4.2, {GREEN, 6}}, {21.5, {RED, 12}}, {30, {RED, 12}}});
  Add(2, {{0, {GREEN, 6}}, {4.8, {RED, 12}}, {21.0, {GREEN, 6}}, {30, {GREEN, 6}}});
  Add(3, {{0, {GREEN, 6}}, {30, {GREEN, 6}}});
  Add(4, {{0, {BLUE, 10}}, {3.1, {GREY, 3}}, {18.4, {BLUE, 10}}, {30, {BLUE, 10}}});
  Add(5, {{0, {BLUE, 10}}, {3.1, {GREY, 3}}, {18.6, {BLUE, 10}}, {30, {BLUE, 10}}});
  Add(6, {{0, {BLUE, 10}}, {30, {BLUE, 10}}});
  Add(7, {{0, {GREY, 3}}, {9.0, {ORANGE, 10}}, {14.5, {GREY, 3}}, {30, {GREY, 3}}});
  Add(8, {{0, {GREY, 3}}, {3.3, {PURPLE, 10}}, {19.2, {GREY, 3}}, {30, {GREY, 3}}});
  Add(9, {{0, {GREEN, 8}},
          {4.0, {RED, 8}},
          {5.0, {GREEN, 8}},
          {20.8, {RED, 8}},
          {22.0, {GREEN, 8}},
          {30, {GREEN, 8}}});
  M.EndUpdate();
}
