#include "platform/IniFile.h"

#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "platform/SysUtil.h"

namespace {

// An ini file larger than this is not a settings file; refusing it keeps a wrong path from
// reading a disk image into memory.
constexpr size_t MaxIniBytes = 64u * 1024u * 1024u;

}  // namespace

void TIniFile::Clear()
{
  FPreamble.clear();
  FSections.clear();
}

bool TIniFile::LoadFromFile(const std::string& path, std::string* error)
{
  FFileName = path;
  std::string text;
  if (!ReadWholeFile(path, text, MaxIniBytes, error)) {
    Clear();
    return false;
  }
  LoadFromString(text);
  return true;
}

void TIniFile::LoadFromString(std::string_view text)
{
  Clear();
  if (text.find("\r\n") != std::string_view::npos)
    FLineBreak = "\r\n";
  else if (!text.empty())
    FLineBreak = "\n";
  TSection* current = nullptr;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos)
      end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    const std::string_view t = CpTrim(line);
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
      const std::string_view name = CpTrim(t.substr(1, t.size() - 2));
      current = Find(name);
      if (!current) {
        FSections.push_back(TSection{std::string(name), {}});
        current = &FSections.back();
      }
      continue;
    }
    TLine l;
    const size_t eq = t.find('=');
    if (!t.empty() && t.front() != ';' && t.front() != '#' && eq != std::string_view::npos && eq > 0) {
      l.IsKey = true;
      l.Key = std::string(CpTrim(t.substr(0, eq)));
      l.Value = std::string(CpTrim(t.substr(eq + 1)));
    } else {
      // Trailing blanks and stray carriage returns carry nothing and would change the
      // line breaks of the next save.
      l.Raw = std::string(CpTrimRight(line));
    }
    if (current)
      current->Lines.push_back(std::move(l));
    else
      FPreamble.push_back(l.IsKey ? std::string(CpTrimRight(line)) : l.Raw);
  }
  // A trailing empty line of the file is the last line break, not a line of its own.
  auto dropTrailingBlank = [](std::vector<TLine>& lines) {
    while (!lines.empty() && !lines.back().IsKey && CpTrim(lines.back().Raw).empty())
      lines.pop_back();
  };
  for (auto& s : FSections)
    dropTrailingBlank(s.Lines);
  while (!FPreamble.empty() && CpTrim(FPreamble.back()).empty())
    FPreamble.pop_back();
}

std::string TIniFile::ToString() const
{
  std::string out;
  for (const auto& l : FPreamble) {
    out += l;
    out += FLineBreak;
  }
  bool first = true;
  for (const auto& s : FSections) {
    if (!first)
      out += FLineBreak;  // a blank line between sections
    first = false;
    out += '[';
    out += s.Name;
    out += ']';
    out += FLineBreak;
    for (const auto& l : s.Lines) {
      if (l.IsKey) {
        out += l.Key;
        out += '=';
        out += l.Value;
      } else {
        out += l.Raw;
      }
      out += FLineBreak;
    }
  }
  return out;
}

bool TIniFile::SaveToFile(const std::string& path, std::string* error) const
{
  return AtomicWriteFile(path, ToString(), error);
}

TIniFile::TSection* TIniFile::Find(std::string_view section)
{
  for (auto& s : FSections)
    if (CpSameText(s.Name, section))
      return &s;
  return nullptr;
}

const TIniFile::TSection* TIniFile::Find(std::string_view section) const
{
  for (const auto& s : FSections)
    if (CpSameText(s.Name, section))
      return &s;
  return nullptr;
}

const TIniFile::TLine* TIniFile::FindKey(const TSection& s, std::string_view key)
{
  for (const auto& l : s.Lines)
    if (l.IsKey && CpSameText(l.Key, key))
      return &l;
  return nullptr;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const
{
  const TSection* s = Find(section);
  const TLine* l = s ? FindKey(*s, key) : nullptr;
  return l ? l->Value : std::string(def);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const
{
  const TSection* s = Find(section);
  const TLine* l = s ? FindKey(*s, key) : nullptr;
  return l ? StrToIntDef(l->Value, def) : def;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const
{
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(std::string_view section, std::string_view key, double def,
                           char decimalSeparator) const
{
  const TSection* s = Find(section);
  const TLine* l = s ? FindKey(*s, key) : nullptr;
  double v = 0;
  if (l && TryStrToFloat(l->Value, v, decimalSeparator))
    return v;
  return def;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
  // A key or value cannot hold a line break: it would become a line of its own on reading.
  auto oneLine = [](std::string_view t) {
    std::string r(t);
    for (char& c : r)
      if (c == '\r' || c == '\n')
        c = ' ';
    return std::string(CpTrim(r));
  };
  const std::string k = oneLine(key);
  const std::string v = oneLine(value);
  TSection* s = Find(section);
  if (!s) {
    FSections.push_back(TSection{oneLine(section), {}});
    s = &FSections.back();
  }
  for (auto& l : s->Lines)
    if (l.IsKey && CpSameText(l.Key, k)) {
      l.Value = v;
      return;
    }
  // After the last key, so trailing comments of the section stay at its end.
  size_t at = s->Lines.size();
  while (at > 0 && !s->Lines[at - 1].IsKey)
    --at;
  if (at == 0)
    at = s->Lines.size();
  TLine l;
  l.IsKey = true;
  l.Key = k;
  l.Value = v;
  s->Lines.insert(s->Lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(l));
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value)
{
  WriteString(section, key, IntToStr(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value)
{
  WriteString(section, key, value ? "1" : "0");
}

void TIniFile::WriteFloat(std::string_view section, std::string_view key, double value, char decimalSeparator)
{
  TFormatSettings fs = LibraryFormat();
  fs.DecimalSeparator = decimalSeparator;
  WriteString(section, key, FloatToStr(value, fs));
}

bool TIniFile::SectionExists(std::string_view section) const { return Find(section) != nullptr; }

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const
{
  const TSection* s = Find(section);
  return s && FindKey(*s, key);
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const
{
  std::vector<std::string> keys;
  if (const TSection* s = Find(section))
    for (const auto& l : s->Lines)
      if (l.IsKey)
        keys.push_back(l.Key);
  return keys;
}

std::vector<std::string> TIniFile::ReadSections() const
{
  std::vector<std::string> names;
  names.reserve(FSections.size());
  for (const auto& s : FSections)
    names.push_back(s.Name);
  return names;
}

std::vector<std::pair<std::string, std::string>> TIniFile::ReadSectionValues(std::string_view section) const
{
  std::vector<std::pair<std::string, std::string>> values;
  if (const TSection* s = Find(section))
    for (const auto& l : s->Lines)
      if (l.IsKey)
        values.emplace_back(l.Key, l.Value);
  return values;
}

void TIniFile::EraseSection(std::string_view section)
{
  for (auto it = FSections.begin(); it != FSections.end(); ++it)
    if (CpSameText(it->Name, section)) {
      FSections.erase(it);
      return;
    }
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key)
{
  TSection* s = Find(section);
  if (!s)
    return;
  for (auto it = s->Lines.begin(); it != s->Lines.end(); ++it)
    if (it->IsKey && CpSameText(it->Key, key)) {
      s->Lines.erase(it);
      return;
    }
}

int32_t ReadProfileInt(const TIniFile& ini, std::string_view section, std::string_view key, int32_t def)
{
  if (!ini.ValueExists(section, key))
    return def;
  const std::string v = ini.ReadString(section, key, "");
  if (v.empty())
    return def;
  size_t i = 0;
  bool negative = false;
  if (v[i] == '-' || v[i] == '+') {
    negative = v[i] == '-';
    ++i;
  }
  // Wraps like the 32-bit value of the system call it stands for.
  uint32_t mag = 0;
  for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i)
    mag = mag * 10u + uint32_t(v[i] - '0');
  const uint32_t bits = negative ? 0u - mag : mag;
  return static_cast<int32_t>(bits);
}

std::string ReadProfileString(const TIniFile& ini, std::string_view section, std::string_view key,
                              std::string_view def)
{
  if (!ini.ValueExists(section, key))
    return std::string(def);
  std::string v = ini.ReadString(section, key, "");
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return v;
}
