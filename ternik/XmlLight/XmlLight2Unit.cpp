// XML dialect: text helpers and the tokenizer.
#include "ternik/XmlLight/XmlLight2Unit.h"

#include <array>

#include "platform/Codepage.h"
#include "platform/FileOps.h"
#include "platform/SysUtil.h"
#include "platform/NumText.h"

namespace {

constexpr std::array<unsigned char, 256> MakeFoldTable()
{
  std::array<unsigned char, 256> t{};
  for (int i = 0; i < 256; ++i)
    t[i] = static_cast<unsigned char>(i);
  for (int c = 'a'; c <= 'z'; ++c)
    t[c] = static_cast<unsigned char>(c - 'a' + 'A');
  // The Polish lower-case letters of Windows-1250 and their capitals.
  constexpr unsigned char lower[] = {0x9C, 0x9F, 0xB3, 0xB9, 0xBF, 0xE6, 0xEA, 0xF1, 0xF3};
  constexpr unsigned char upper[] = {0x8C, 0x8F, 0xA3, 0xA5, 0xAF, 0xC6, 0xCA, 0xD1, 0xD3};
  for (size_t i = 0; i < sizeof lower; ++i)
    t[lower[i]] = upper[i];
  return t;
}
constexpr std::array<unsigned char, 256> kFold = MakeFoldTable();

constexpr std::array<bool, 256> MakeNameSet()
{
  std::array<bool, 256> s{};
  for (int c = '0'; c <= '9'; ++c)
    s[c] = true;
  for (int c = 'A'; c <= 'Z'; ++c)
    s[c] = true;
  for (int c = 'a'; c <= 'z'; ++c)
    s[c] = true;
  s[':'] = true;
  s['_'] = true;
  return s;
}
constexpr std::array<bool, 256> kNameSet = MakeNameSet();

constexpr std::array<bool, 256> MakePlainSet()
{
  std::array<bool, 256> s{};
  for (int c = '0'; c <= '9'; ++c)
    s[c] = true;
  for (int c = 'A'; c <= 'Z'; ++c)
    s[c] = true;
  for (int c = 'a'; c <= 'z'; ++c)
    s[c] = true;
  for (unsigned char c : {' ', '!', ',', '-', '.', '/', ':', ';', '=', '[', '\\', ']', '_'})
    s[c] = true;
  constexpr unsigned char polish[] = {0x8C, 0x8F, 0x9C, 0x9F, 0xA3, 0xA5, 0xAF, 0xB3, 0xB9,
                                      0xBF, 0xC6, 0xCA, 0xD1, 0xD3, 0xE6, 0xEA, 0xF1, 0xF3};
  for (unsigned char c : polish)
    s[c] = true;
  return s;
}
constexpr std::array<bool, 256> kPlainSet = MakePlainSet();

constexpr char kHex[] = "0123456789ABCDEF";

bool IsAscii(std::string_view s)
{
  for (unsigned char c : s)
    if (c >= 0x80)
      return false;
  return true;
}

// Appends the escape of one byte: "&#xHH;".
void AppendCharRef(std::string& out, unsigned char c)
{
  out += "&#x";
  out += kHex[c >> 4];
  out += kHex[c & 15];
  out += ';';
}

int HexDigit(unsigned char c)
{
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// The bytes a numeric reference stands for; false when it stands for nothing we can hold
// (the text is then kept as written). Up to 255 a reference is one byte, as files of the
// single-byte kind always had it; above, the character is looked up in Windows-1250.
bool RefBytes(uint32_t cp, bool utf8, std::string& bytes)
{
  bytes.clear();
  if (cp <= 255) {
    bytes += static_cast<char>(cp);
    return true;
  }
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
    return false;
  const int b = Cp1250FromCodePoint(static_cast<char32_t>(cp));
  if (b < 0)
    return false;
  if (utf8)
    AppendUtf8(bytes, cp);
  else
    bytes += static_cast<char>(b);
  return true;
}

// Tries to decode the entity that starts with '&' and continues with the bytes of `rest`
// taken from its back (rest holds the already scanned right part reversed). On success
// answers how many bytes of rest the entity used and the decoded bytes.
bool MatchEntity(const std::string& rest, bool utf8, size_t& used, std::string& bytes)
{
  const size_t n = rest.size();
  auto at = [&](size_t k) -> unsigned char { return static_cast<unsigned char>(rest[n - 1 - k]); };
  // at(0) is the byte right after '&'.
  if (at(0) == '#') {
    if (at(1) == 'x') {
      uint32_t v = 0;
      size_t k = 2;
      bool big = false;
      for (; k < n && at(k) != ';'; ++k) {
        int d = HexDigit(at(k));
        if (d < 0)
          return false;
        if (v > 0x10FFFF)
          big = true;
        else
          v = v * 16 + static_cast<uint32_t>(d);
      }
      if (k >= n || k == 2 || big)
        return false;
      if (!RefBytes(v, utf8, bytes))
        return false;
      used = k + 1;
      return true;
    }
    uint32_t v = 0;
    size_t k = 1;
    bool big = false;
    for (; k < n && at(k) != ';'; ++k) {
      unsigned char c = at(k);
      if (c < '0' || c > '9')
        return false;
      if (v > 0x10FFFF)
        big = true;
      else
        v = v * 10 + (c - '0');
    }
    if (k >= n || k == 1 || big)
      return false;
    if (!RefBytes(v, utf8, bytes))
      return false;
    used = k + 1;
    return true;
  }
  // A named entity: the ';' at most five bytes after the '&', a name of two or more.
  size_t k = 0;
  while (k < n && k < 5 && at(k) != ';')
    ++k;
  if (k >= n || at(k) != ';' || k < 2)
    return false;
  std::string name;
  for (size_t i = 0; i < k; ++i)
    name += static_cast<char>(at(i));
  char c;
  if (name == "amp")
    c = '&';
  else if (name == "lt")
    c = '<';
  else if (name == "gt")
    c = '>';
  else if (name == "quot")
    c = '"';
  else if (name == "apos")
    c = '\'';
  else
    return false;
  bytes.assign(1, c);
  used = k + 1;
  return true;
}

struct TBoolPair {
  std::string_view False;
  std::string_view True;
};

}  // namespace

// ---------------------------------------------------------------------------------------------

unsigned char CaseFoldByte(unsigned char c) { return kFold[c]; }

std::string CaseFoldName(std::string_view text)
{
  std::string r(text);
  for (char& c : r)
    c = static_cast<char>(kFold[static_cast<unsigned char>(c)]);
  return r;
}

bool SameFoldedName(std::string_view a, std::string_view b)
{
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (kFold[static_cast<unsigned char>(a[i])] != kFold[static_cast<unsigned char>(b[i])])
      return false;
  return true;
}

bool IsXmlName(std::string_view name)
{
  for (unsigned char c : name)
    if (!kNameSet[c])
      return false;
  return true;
}

bool IsPlainValueChar(unsigned char c) { return kPlainSet[c]; }

std::string EscapeXmlValue(std::string_view value, bool utf8)
{
  std::string out;
  out.reserve(value.size() + 8);
  if (!utf8) {
    for (unsigned char c : value) {
      if (kPlainSet[c])
        out += static_cast<char>(c);
      else
        AppendCharRef(out, c);
    }
    return out;
  }
  // '&' is escaped too, so that a value holding "&lt;" reads back as written; so are the five
  // bytes the code page leaves undefined, which UTF-8 could only carry as a replacement.
  for (unsigned char c : value) {
    if (c == 0 || c == '"' || c == '<' || c == '&' || c == 0x81 || c == 0x83 || c == 0x88 || c == 0x90 ||
        c == 0x98)
      AppendCharRef(out, c);
    else
      out += static_cast<char>(c);
  }
  if (IsAscii(out))
    return out;
  return Cp1250ToUtf8(out);
}

std::string UnescapeXmlValue(std::string_view text, bool utf8)
{
  if (text.size() >= 9) {
    static constexpr std::string_view kCData = "<![CDATA[";
    bool cdata = true;
    for (size_t i = 0; i < 9 && cdata; ++i)
      cdata = kFold[static_cast<unsigned char>(text[i])] == kFold[static_cast<unsigned char>(kCData[i])];
    if (cdata) {
      if (text.size() < 12)
        return {};
      return std::string(text.substr(9, text.size() - 12));
    }
  }
  std::string s;
  if (text.size() >= 4 && text.find('&') != std::string_view::npos) {
    // Scan from the fourth-last byte back to the first, so a decoded '&' never starts a new
    // entity; the part already scanned is kept reversed, which makes each step constant time.
    std::string rev(text.rbegin(), text.rbegin() + 3);
    std::string bytes;
    for (size_t i = text.size() - 3; i-- > 0;) {
      char c = text[i];
      size_t used = 0;
      if (c == '&' && rev.size() >= 3 && MatchEntity(rev, utf8, used, bytes)) {
        rev.resize(rev.size() - used);
        rev.append(bytes.rbegin(), bytes.rend());
      } else {
        rev += c;
      }
    }
    s.assign(rev.rbegin(), rev.rend());
  } else {
    s.assign(text);
  }
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) < 32)
    ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) < 32)
    --e;
  if (b == 0 && e == s.size())
    return s;
  return s.substr(b, e - b);
}

std::string BoolToXmlStr(bool value) { return value ? "1" : "0"; }

bool XmlStrToBool(std::string_view text, bool& value, int& pairIndex, bool allowPrefix)
{
  static constexpr TBoolPair kPairs[] = {
      {"false", "true"}, {"fałsz"_cp, "prawda"}, {"0", "1"}, {"fail", "-1"},
      {"no", "yes"},     {"nie", "tak"},         {"n", "y"}, {"n", "t"},
      {"off", "on"},
  };
  if (text.empty())
    return false;
  const std::string t = CpLowerCase(text);
  const std::string_view words[9][2] = {
      {kPairs[0].False, kPairs[0].True}, {kPairs[1].False, kPairs[1].True}, {kPairs[2].False, kPairs[2].True},
      {kPairs[3].False, kPairs[3].True}, {kPairs[4].False, kPairs[4].True}, {kPairs[5].False, kPairs[5].True},
      {kPairs[6].False, kPairs[6].True}, {kPairs[7].False, kPairs[7].True}, {kPairs[8].False, kPairs[8].True},
  };
  for (int i = 0; i < 9; ++i) {
    if (t == words[i][0]) {
      value = false;
      pairIndex = i;
      return true;
    }
    if (t == words[i][1]) {
      value = true;
      pairIndex = i;
      return true;
    }
  }
  if (!allowPrefix)
    return false;
  bool found = false, v = false;
  int idx = -1;
  for (int i = 0; i < 9; ++i) {
    for (int w = 0; w < 2; ++w) {
      const std::string_view word = words[i][w];
      if (word.size() < t.size() || word.substr(0, t.size()) != t)
        continue;
      const bool wv = w == 1;
      if (found && wv != v)
        return false;
      found = true;
      v = wv;
      idx = i;
    }
  }
  if (!found)
    return false;
  value = v;
  pairIndex = idx;
  return true;
}

std::string XmlFloatToStr(double value) { return FloatToStr(value, LibraryFormat(), 15); }

void SplitToStrings(std::string_view text, std::vector<std::string>& list, char separator)
{
  list.clear();
  if (text.empty())
    return;
  size_t start = 0;
  for (;;) {
    size_t p = text.find(separator, start);
    if (p == std::string_view::npos) {
      list.emplace_back(text.substr(start));
      return;
    }
    list.emplace_back(text.substr(start, p - start));
    start = p + 1;
  }
}

std::string BackupFileName(const std::string& fileName)
{
  // The extension is what follows the last dot of the last path component.
  size_t slash = fileName.find_last_of('/');
  size_t dot = fileName.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return fileName + "~";
  return fileName.substr(0, dot + 1) + "~" + fileName.substr(dot + 1);
}

bool MakeBackupFile(const std::string& fileName, std::string* error)
{
  if (!FileExists(fileName))
    return true;
  return FileOpsMoveReplacing(fileName, BackupFileName(fileName), error);
}

// ---------------------------------------------------------------------------------------------
// Tokenizer
// ---------------------------------------------------------------------------------------------

void TTextStream::Seek(size_t pos)
{
  FPos = pos > FData.size() ? FData.size() : pos;
  FLine = 0;
  FColumn = 0;
}

void TTextStream::ReadToken(std::string& token, uint8_t& flags) { token.assign(ReadTokenView(flags)); }

std::string_view TTextStream::ReadTokenView(uint8_t& flags)
{
  flags = 0;
  const char* d = FData.data();
  const size_t n = FData.size();
  size_t p = FPos;
  size_t first = 0, last = 0;  // [first, last) spans the token bytes
  bool begun = false, quoted = false, ended = false;
  // One byte into the token (quoted or plain): the first one opens it.
  const auto take = [&] {
    if (!begun) {
      begun = true;
      first = p;
    }
    last = p + 1;
    ++p;
    ++FColumn;
  };
  while (p < n) {
    const unsigned char c = static_cast<unsigned char>(d[p]);
    if (c == '"') {
      ++p;
      ++FColumn;
      if (quoted) {
        ended = true;
        if (!begun)
          first = last = p - 1;  // "" gives an empty token here
        break;
      }
      quoted = true;
      continue;
    }
    if (quoted) {
      take();
      continue;
    }
    switch (c) {
    case '\n':
    case '\t':
    case '\r':
    case ' ':
    case 0xEF:
    case 0xBB:
    case 0xBF:
      ++p;
      if (c == '\n') {
        ++FLine;
        FColumn = 0;
      } else {
        ++FColumn;
      }
      if (begun)
        ended = true;
      break;
    case '/':
      flags |= begun ? TF_SLASH_AFTER : TF_SLASH_BEFORE;
      ++p;
      ++FColumn;
      break;
    case '<':
      if (begun) {
        ended = true;  // left for the next call
      } else {
        flags |= TF_OPEN;
        ++p;
        ++FColumn;
      }
      break;
    case '=':
      flags |= TF_EQUALS;
      ++p;
      ++FColumn;
      ended = true;
      break;
    case '>':
      flags |= TF_CLOSE;
      ++p;
      ++FColumn;
      ended = true;
      break;
    case '?':
      flags |= TF_QUESTION;
      ++p;
      ++FColumn;
      break;
    default:
      take();
      break;
    }
    if (ended)
      break;
  }
  if (p >= n)
    flags |= TF_END;
  FPos = p;
  if (!begun)
    return {};
  return std::string_view(d + first, last - first);
}
