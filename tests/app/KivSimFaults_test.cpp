#include "tests/sim/KivSimFaults.h"

#include <gtest/gtest.h>

#include "tests/sim/KivSimDevice.h"

namespace {

using T = TSimFaultTarget;

struct TFaultTextCase {
  const char* text;
  bool ok;
  TSimFaultKind kind;
  T target;
  unsigned first, reg, count;
  int param;
};

TEST(KivSimFaults, FaultTexts)
{
  const TFaultTextCase cases[] = {
      {"silence", true, TSimFaultKind::Silence, T::Position, 0, 0, 1, -1},
      {"silence@0/3", true, TSimFaultKind::Silence, T::Position, 0, 0, 3, -1},
      {"exception@5", true, TSimFaultKind::Exception, T::Position, 5, 0, 1, -1},
      {"exception@5:2", true, TSimFaultKind::Exception, T::Position, 5, 0, 1, 2},
      {"split@2/4:20", true, TSimFaultKind::Split, T::Position, 2, 0, 4, 20},
      {"late:900", true, TSimFaultKind::Late, T::Position, 0, 0, 1, 900},
      {"wrongaddr@1", true, TSimFaultKind::WrongAddress, T::Position, 1, 0, 1, -1},
      {"close@3", true, TSimFaultKind::CloseConnection, T::Position, 3, 0, 1, -1},
      {"wrongtid", true, TSimFaultKind::WrongTid, T::Position, 0, 0, 1, -1},
      {"wrongfunc@7", true, TSimFaultKind::WrongFunction, T::Position, 7, 0, 1, -1},
      {"badcrc@0/2", true, TSimFaultKind::BadCrc, T::Position, 0, 0, 2, -1},
      // By what the request asks.
      {"silence@ident/3", true, TSimFaultKind::Silence, T::Ident, 0, 0, 3, -1},
      {"late@set2:400", true, TSimFaultKind::Late, T::Set2, 0, 0, 1, 400},
      {"short@set1", true, TSimFaultKind::Short, T::Set1, 0, 0, 1, -1},
      {"exception@page4003", true, TSimFaultKind::Exception, T::Page, 0, 4003, 1, -1},
      {"exception@page4001/2:3", true, TSimFaultKind::Exception, T::Page, 0, 4001, 2, 3},
      {"wrongfunc@fc16.2433", true, TSimFaultKind::WrongFunction, T::Write, 0, 2433, 1, -1},
      {"", false, {}, {}, 0, 0, 0, 0},
      {"silent", false, {}, {}, 0, 0, 0, 0},
      {"silence@", false, {}, {}, 0, 0, 0, 0},
      {"silence@1/", false, {}, {}, 0, 0, 0, 0},
      {"silence:x", false, {}, {}, 0, 0, 0, 0},
      {"silence@1 ", false, {}, {}, 0, 0, 0, 0},
      {"silence@idents", false, {}, {}, 0, 0, 0, 0},
      {"silence@set3", false, {}, {}, 0, 0, 0, 0},
      {"silence@page", false, {}, {}, 0, 0, 0, 0},
      {"silence@page4000", false, {}, {}, 0, 0, 0, 0},  // below the first page
      {"silence@page2177", false, {}, {}, 0, 0, 0, 0},
      {"silence@fc16", false, {}, {}, 0, 0, 0, 0},
      {"silence@fc16.", false, {}, {}, 0, 0, 0, 0},
      {"silence@fc16.0", false, {}, {}, 0, 0, 0, 0},
      {"silence@fc3.2177", false, {}, {}, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    const auto f = ParseSimFault(c.text);
    ASSERT_EQ(f.has_value(), c.ok) << c.text;
    if (!f)
      continue;
    EXPECT_EQ(f->Kind, c.kind) << c.text;
    EXPECT_EQ(f->Target, c.target) << c.text;
    EXPECT_EQ(f->First, c.first) << c.text;
    EXPECT_EQ(f->Register, c.reg) << c.text;
    EXPECT_EQ(f->Count, c.count) << c.text;
    EXPECT_EQ(f->Param, c.param) << c.text;
    EXPECT_EQ(f->Played, 0u) << c.text;
    // The text it is shown as reads back as the same fault.
    const auto again = ParseSimFault(SimFaultText(*f));
    ASSERT_TRUE(again) << SimFaultText(*f);
    EXPECT_EQ(again->Kind, f->Kind) << SimFaultText(*f);
    EXPECT_EQ(again->Target, f->Target) << SimFaultText(*f);
    EXPECT_EQ(again->First, f->First) << SimFaultText(*f);
    EXPECT_EQ(again->Register, f->Register) << SimFaultText(*f);
    EXPECT_EQ(again->Count, f->Count) << SimFaultText(*f);
    EXPECT_EQ(again->Param, f->Param) << SimFaultText(*f);
  }
  EXPECT_EQ(SimFaultText(*ParseSimFault("exception@page4003")), "exception@page4003/1");
  EXPECT_EQ(SimFaultText(*ParseSimFault("late@set2:400")), "late@set2/1:400");
}

TEST(KivSimFaults, RunOfRequests)
{
  const TSimFault f{TSimFaultKind::Silence, 2, 3, -1};
  const bool want[] = {false, false, true, true, true, false};
  for (unsigned i = 0; i < 6; ++i)
    EXPECT_EQ(f.Covers(i), want[i]) << i;
  EXPECT_EQ(SimFaultParam({TSimFaultKind::Late, 0, 1, -1}), 1000);
  EXPECT_EQ(SimFaultParam({TSimFaultKind::Late, 0, 1, 5}), 5);
}

std::vector<uint8_t> Read(unsigned reg, uint8_t count)
{
  return {3, uint8_t((reg - 1) >> 8), uint8_t(reg - 1), 0, count};
}
std::vector<uint8_t> Write(unsigned reg)
{
  return {16, uint8_t((reg - 1) >> 8), uint8_t(reg - 1), 0, 1, 2, 0x12, 0x34};
}

// A read of the controller's usual requests: which of them each fault hits.
TEST(KivSimFaults, FaultsHitTheRequestsThatAskForTheirTarget)
{
  const std::vector<std::vector<uint8_t>> requests = {
      Read(3705, 8),   Read(3705, 8),         Read(2177, 119), Read(2433, 119), Read(2302, 125),
      Read(4001, 125), Read(4002, 125),       Read(4003, 125), Write(2177),     Write(2227),
      Write(2433),     {4, 0x0E, 0x77, 0, 8},  // another function at the identification's address
  };
  struct TCase {
    const char* fault;
    std::vector<unsigned> hit;  // request indexes
  };
  const TCase cases[] = {
      {"silence@ident", {0}},      {"silence@ident/5", {0, 1}},
      {"silence@set1/5", {2, 4}},  // every chunk of set 1
      {"silence@set2", {3}},       {"silence@page4003", {7}},
      {"silence@page4001/9", {5}}, {"silence@fc16.2177", {8}},
      {"silence@fc16.2227", {9}},  {"silence@fc16.2433", {10}},
      {"silence@3/2", {3, 4}},
  };
  for (const auto& c : cases) {
    auto f = *ParseSimFault(c.fault);
    std::vector<unsigned> hit;
    for (unsigned i = 0; i < requests.size(); ++i)
      if (f.Hits(i, SimAskOf(requests[i])))
        hit.push_back(i);
    EXPECT_EQ(hit, c.hit) << c.fault;
  }
}

// The device plays a fault only where it changes the reply, and counts each time it does.
TEST(KivSimFaults, DeviceCountsThePlayedFaults)
{
  struct TCase {
    const char* fault;
    bool tcp;
    unsigned played;
  };
  const TCase cases[] = {
      {"exception@set1/3", false, 1}, {"silence@ident/5", false, 2}, {"short@ident", false, 1},
      {"short@fc16.2177", false, 0},                              // a write reply has no registers to drop
      {"wrongtid@set1", false, 0},                                // no transaction ids on a serial line
      {"wrongtid@set1", true, 1},     {"badcrc@set1", true, 0},   // TCP carries no check
      {"badcrc@set1", false, 1},      {"close@ident", false, 1},  // on a serial line: no reply
      {"split@0/9", false, 4},
  };
  for (const auto& c : cases) {
    TKivSimDevice d;
    d.Faults = {*ParseSimFault(c.fault)};
    const std::vector<std::vector<uint8_t>> pdus = {Read(3705, 8), Read(3705, 8), Read(2177, 119),
                                                    Write(2177)};
    for (const auto& pdu : pdus) {
      if (c.tcp) {
        d.AnswerTcp(1, d.Slave, pdu);
      } else {
        std::vector<uint8_t> frame{d.Slave};
        frame.insert(frame.end(), pdu.begin(), pdu.end());
        frame.resize(frame.size() + 2);  // the check, verified before the device sees it
        d.AnswerRtu(frame);
      }
    }
    EXPECT_EQ(d.Faults[0].Played, c.played) << c.fault << (c.tcp ? " tcp" : " rtu");
    EXPECT_EQ(d.FaultsPlayed(), c.played) << c.fault;
  }
}

}  // namespace
