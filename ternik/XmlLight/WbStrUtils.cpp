#include "ternik/XmlLight/WbStrUtils.h"

#include "platform/NumText.h"
#include "ternik/VersionListUnit.h"

namespace {

bool IsTimeSeparator(char c) { return c == ',' || c == '-' || c == '.' || c == '/' || c == ':'; }

// Characters from..to (1-based, inclusive) of the padded text as an integer.
bool PartToInt(const std::string& s, size_t from, size_t to, int& out)
{
  int32_t v = 0;
  if (!TryStrToInt(std::string_view(s).substr(from - 1, to - from + 1), v))
    return false;
  out = v;
  return true;
}

}  // namespace

bool TryXmlTimeStrToDateTime(std::string_view text, TDateTime& value)
{
  value = 0;
  const std::string s = std::string(text) + std::string(35, ' ');
  auto at = [&](size_t pos) { return s[pos - 1]; };
  if (!IsTimeSeparator(at(5)) || !IsTimeSeparator(at(8)) || !IsTimeSeparator(at(14)) || at(11) != ' ')
    return false;
  int y = 0, m = 0, d = 0, h = 0, n = 0, sec = 0, ms = 0;
  if (!PartToInt(s, 1, 4, y) || !PartToInt(s, 6, 7, m) || !PartToInt(s, 9, 10, d) ||
      !PartToInt(s, 12, 13, h) || !PartToInt(s, 15, 16, n))
    return false;
  if (IsTimeSeparator(at(17)) && !PartToInt(s, 18, 19, sec))
    sec = 0;
  if (IsTimeSeparator(at(20)) && !PartToInt(s, 21, 23, ms))
    ms = 0;
  TDateTime v = 0;
  if (!TryEncodeDateTime(y, m, d, h, n, sec, ms, v))
    return false;
  value = v;
  return true;
}

TDateTime XmlTimeStrToDateTime(std::string_view text)
{
  TDateTime v = 0;
  if (!TryXmlTimeStrToDateTime(text, v))
    return 0;
  return v;
}

std::string DateTimeToXmlTimeStr(TDateTime value)
{
  if (value == 0)
    return "????.??.?? ??:??:??.???";
  return FormatDateTime("yyyy.mm.dd hh:nn:ss.zzz", value, LibraryFormat());
}

bool StrToIpAddr(std::string_view text, uint32_t& address)
{
  uint32_t result = 0;
  size_t start = 0;
  for (int part = 0; part < 4; ++part) {
    if (start > text.size())
      return false;
    size_t dot = text.find('.', start);
    std::string_view piece =
        text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
    int32_t v = 0;
    if (piece.empty() || !TryStrToInt(piece, v) || v < 0 || v > 255)
      return false;
    result |= static_cast<uint32_t>(v) << (8 * part);
    if (dot == std::string_view::npos) {
      if (part < 3)
        return false;
      start = text.size() + 1;
    } else {
      start = dot + 1;
    }
  }
  address = result;
  return true;
}

void WbStrUtilsInitialize()
{
  AddVersionHeader("$Header: /ternik/XmlLight/WbStrUtils.pas,v 1.20 2009/01/29 00:00:00 ternik Exp $");
}
