#pragma once
// The faults the controller simulator can play, named once for the simulator and the tests.
//
//   kind[@WHAT][/count][:param]
//
// WHAT says which requests the fault hits, by what they ask:
//   ident     the identification read
//   set1      a read of set 1 (any chunk of it)      set2   the same for set 2
//   pageN     the read of the event page at register N (page4001 is the first)
//   fc16.N    a function 16 write starting at register N (fc16.2177 writes set 1)
// The fault then hits the first `count` such requests (default 1), e.g. "silence@ident/3",
// "late@set2:400", "exception@page4003", "wrongfunc@fc16.2433". A bare number instead of WHAT
// is a request's position, counted from 0 in the order they arrive, for tests where the order
// itself is the point: "split@2:20", "silence@0/3". Without @ it is position 0.
// The device counts, per fault, the requests it really played it on (`Played`).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Wire addresses (register number - 1) the controller answers at.
constexpr uint16_t SimIdentWire = 0x0E78;
constexpr uint16_t SimIdentCount = 8;
constexpr uint16_t SimSetAreaWire = 2176;  // set 1 (register 2177), set 2 follows at 2432
constexpr uint16_t SimSetRegisters = 256;  // per set
constexpr uint16_t SimEvFirstWire = 4000;  // event page k is asked at 4000 + k
constexpr uint16_t SimEvPages = 1000;
constexpr uint16_t SimEvPageRegisters = 125;

// Register numbers as the definitions and the fault texts give them.
constexpr unsigned SimSet1Register = SimSetAreaWire + 1u;
constexpr unsigned SimSet2Register = SimSetAreaWire + SimSetRegisters + 1u;
constexpr unsigned SimFirstPageRegister = SimEvFirstWire + 1u;

// Faults the tests play more than once, by what they stand for.
namespace simfault {
inline constexpr const char* IdentNeverAnswered = "silence@ident/5";  // five attempts, all lost
inline constexpr const char* Set1ReadNeverAnswered = "silence@set1/5";
inline constexpr const char* Set1WriteRefused = "wrongfunc@fc16.2177";  // function 6 for 16
inline constexpr const char* Set1WriteFromAnotherAddress = "wrongaddr@fc16.2177";
}  // namespace simfault

enum class TSimFaultKind {
  Silence,          // no reply at all
  WrongAddress,     // the reply carries another slave address (param: the address, default 2)
  BadCrc,           // the reply's check is wrong (RTU)
  Exception,        // an exception reply (param: the exception code, default 4)
  Split,            // the reply goes out in three pieces, param ms apart (default 20)
  Late,             // the reply goes out param ms late (default 1000)
  WrongFunction,    // the reply carries function 6 (for a write) or 4 (for a read)
  WrongTid,         // TCP: first a reply with another transaction id and spoilt data, then the right one
  CloseConnection,  // TCP: the connection is closed instead of answered (RTU: no reply)
  Short,            // a read reply one register short (byte count and check consistent)
};

// Which requests a fault hits.
enum class TSimFaultTarget {
  Position,  // the request's position in arrival order
  Ident,
  Set1,
  Set2,
  Page,   // the event page read at register `Register`
  Write,  // a function 16 write at register `Register`
};

// What a request (PDU, function code first) asks, in the terms of the fault texts.
struct TSimAsk {
  TSimFaultTarget Target = TSimFaultTarget::Position;  // Position: none of the others
  unsigned Register = 0;                               // the first register asked (number, not wire)
};

inline TSimAsk SimAskOf(std::span<const uint8_t> pdu)
{
  TSimAsk a;
  if (pdu.size() < 5)
    return a;
  const unsigned wire = (unsigned(pdu[1]) << 8) | pdu[2];
  a.Register = wire + 1;
  if (pdu[0] == 16) {
    a.Target = TSimFaultTarget::Write;
  } else if (pdu[0] == 3) {
    if (wire == SimIdentWire)
      a.Target = TSimFaultTarget::Ident;
    else if (wire >= SimSetAreaWire && wire < SimSetAreaWire + SimSetRegisters)
      a.Target = TSimFaultTarget::Set1;
    else if (wire >= SimSetAreaWire + SimSetRegisters && wire < SimSetAreaWire + 2 * SimSetRegisters)
      a.Target = TSimFaultTarget::Set2;
    else if (wire >= SimEvFirstWire && wire < SimEvFirstWire + SimEvPages)
      a.Target = TSimFaultTarget::Page;
  }
  return a;
}

struct TSimFault {
  TSimFaultKind Kind = TSimFaultKind::Silence;
  unsigned First = 0;  // Position: the first request hit
  unsigned Count = 1;  // how many requests it hits
  int Param = -1;      // -1: the kind's default
  TSimFaultTarget Target = TSimFaultTarget::Position;
  unsigned Register = 0;  // Page and Write: the register asked

  // Kept by the device that plays the fault.
  unsigned Seen = 0;    // requests that asked for the target so far
  unsigned Played = 0;  // requests the fault was really played on

  bool Covers(unsigned request) const { return request >= First && request - First < Count; }
  bool Asks(const TSimAsk& a) const
  {
    return a.Target == Target &&
           ((Target != TSimFaultTarget::Page && Target != TSimFaultTarget::Write) || a.Register == Register);
  }
  // Whether it hits request number `index` asking `a`; counts the requests of its target.
  bool Hits(unsigned index, const TSimAsk& a)
  {
    if (Target == TSimFaultTarget::Position)
      return Covers(index);
    if (!Asks(a))
      return false;
    return Seen++ < Count;
  }
};

struct TSimFaultName {
  TSimFaultKind Kind;
  const char* Name;
  int DefaultParam;
};

inline constexpr TSimFaultName SimFaultNames[] = {
    {TSimFaultKind::Silence, "silence", 0},
    {TSimFaultKind::WrongAddress, "wrongaddr", 2},
    {TSimFaultKind::BadCrc, "badcrc", 0},
    {TSimFaultKind::Exception, "exception", 4},
    {TSimFaultKind::Split, "split", 20},
    {TSimFaultKind::Late, "late", 1000},
    {TSimFaultKind::WrongFunction, "wrongfunc", 0},
    {TSimFaultKind::WrongTid, "wrongtid", 0},
    {TSimFaultKind::CloseConnection, "close", 0},
    {TSimFaultKind::Short, "short", 0},
};

struct TSimTargetName {
  TSimFaultTarget Target;
  const char* Name;
};

inline constexpr TSimTargetName SimTargetNames[] = {
    {TSimFaultTarget::Ident, "ident"}, {TSimFaultTarget::Set1, "set1"},   {TSimFaultTarget::Set2, "set2"},
    {TSimFaultTarget::Page, "page"},   {TSimFaultTarget::Write, "fc16."},
};

inline int SimFaultParam(const TSimFault& f)
{
  if (f.Param >= 0)
    return f.Param;
  for (const auto& n : SimFaultNames)
    if (n.Kind == f.Kind)
      return n.DefaultParam;
  return 0;
}

namespace simfault_detail {
inline bool TakeNumber(std::string_view& s, unsigned& out)
{
  size_t i = 0;
  unsigned v = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9' && i < 9)
    v = v * 10 + static_cast<unsigned>(s[i++] - '0');
  if (i == 0)
    return false;
  s.remove_prefix(i);
  out = v;
  return true;
}

// WHAT after the '@': a target name (with its register where it takes one) or a position.
inline bool TakeTarget(std::string_view& s, TSimFault& f)
{
  for (const auto& t : SimTargetNames) {
    const std::string_view name = t.Name;
    if (s.substr(0, name.size()) != name)
      continue;
    s.remove_prefix(name.size());
    f.Target = t.Target;
    if (t.Target == TSimFaultTarget::Page)
      return TakeNumber(s, f.Register) && f.Register >= SimFirstPageRegister &&
             f.Register < SimFirstPageRegister + SimEvPages;
    if (t.Target == TSimFaultTarget::Write)
      return TakeNumber(s, f.Register) && f.Register >= 1 && f.Register <= 65536;
    return true;
  }
  return TakeNumber(s, f.First);
}
}  // namespace simfault_detail

// Parses one fault text; nothing on a malformed one.
inline std::optional<TSimFault> ParseSimFault(std::string_view text)
{
  TSimFault f;
  size_t nameEnd = text.find_first_of("@/:");
  const std::string_view name = text.substr(0, nameEnd);
  bool known = false;
  for (const auto& n : SimFaultNames)
    if (name == n.Name) {
      f.Kind = n.Kind;
      known = true;
    }
  if (!known)
    return std::nullopt;
  std::string_view rest = nameEnd == std::string_view::npos ? std::string_view() : text.substr(nameEnd);
  if (!rest.empty() && rest[0] == '@') {
    rest.remove_prefix(1);
    if (!simfault_detail::TakeTarget(rest, f))
      return std::nullopt;
  }
  if (!rest.empty() && rest[0] == '/') {
    rest.remove_prefix(1);
    if (!simfault_detail::TakeNumber(rest, f.Count))
      return std::nullopt;
  }
  if (!rest.empty() && rest[0] == ':') {
    rest.remove_prefix(1);
    unsigned p = 0;
    if (!simfault_detail::TakeNumber(rest, p))
      return std::nullopt;
    f.Param = static_cast<int>(p);
  }
  if (!rest.empty())
    return std::nullopt;
  return f;
}

inline std::string SimFaultText(const TSimFault& f)
{
  std::string s;
  for (const auto& n : SimFaultNames)
    if (n.Kind == f.Kind)
      s = n.Name;
  s += "@";
  if (f.Target == TSimFaultTarget::Position)
    s += std::to_string(f.First);
  for (const auto& t : SimTargetNames)
    if (t.Target == f.Target) {
      s += t.Name;
      if (f.Target == TSimFaultTarget::Page || f.Target == TSimFaultTarget::Write)
        s += std::to_string(f.Register);
    }
  s += "/" + std::to_string(f.Count);
  if (f.Param >= 0)
    s += ":" + std::to_string(f.Param);
  return s;
}
