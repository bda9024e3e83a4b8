#pragma once
// The faults the controller simulator can play, named once for the simulator and the tests.
// A fault applies to a run of requests counted from 0 in the order they arrive:
//   kind[@first][/count][:param]     e.g. "silence@0/3", "split@2:20", "late@0:900"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class TSimFaultKind {
    Silence,         // no reply at all
    WrongAddress,    // the reply carries another slave address (param: the address, default 2)
    BadCrc,          // the reply's check is wrong (RTU)
    Exception,       // an exception reply (param: the exception code, default 4)
    Split,           // the reply goes out in three pieces, param ms apart (default 20)
    Late,            // the reply goes out param ms late (default 1000)
    WrongFunction,   // the reply carries function 6 (for a write) or 4 (for a read)
    WrongTid,        // TCP: first a reply with another transaction id and spoilt data, then the right one
    CloseConnection, // TCP: the connection is closed instead of answered
    Short,           // a read reply one register short (byte count and check consistent)
};

struct TSimFault {
    TSimFaultKind Kind = TSimFaultKind::Silence;
    unsigned First = 0;
    unsigned Count = 1;
    int Param = -1; // -1: the kind's default

    bool Covers(unsigned request) const { return request >= First && request - First < Count; }
};

struct TSimFaultName { TSimFaultKind Kind; const char* Name; int DefaultParam; };

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
} // namespace simfault_detail

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
        if (!simfault_detail::TakeNumber(rest, f.First))
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
    s += "@" + std::to_string(f.First) + "/" + std::to_string(f.Count);
    if (f.Param >= 0)
        s += ":" + std::to_string(f.Param);
    return s;
}
