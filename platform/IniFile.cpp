#include "platform/IniFile.h"

#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "platform/SysUtil.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace {

// An ini file larger than this is not a settings file; refusing it keeps a wrong path from
// reading a disk image into memory.
constexpr size_t MaxIniBytes = 64u * 1024u * 1024u;

// A section this short is looked along instead of through an index of its own: an
// information file has a hundred thousand sections of a few keys each.
constexpr size_t ShortSection = 8;

// The hash of a name folded as CpSameText folds it, so that names it takes as the same hash
// the same (FNV-1a, with a final mix because the slot is taken from the low bits).
uint32_t FoldedHash(std::string_view name)
{
  uint64_t h = 14695981039346656037u;
  for (const char c : name)
    h = (h ^ static_cast<unsigned char>(CpUpper(c))) * 1099511628211u;
  h ^= h >> 32;
  h *= 0xd6e8feb86659fd93u;
  h ^= h >> 32;
  return static_cast<uint32_t>(h);
}

// What an index asks for the name of entry i: a member of the i-th of a list.
template <class List, class Name>
auto NamesOf(const List& list, Name name)
{
  return [&list, name](size_t i) -> std::string_view { return std::invoke(name, list[i]); };
}

}  // namespace

template <class NameOf>
size_t TIniFile::TFoldedIndex::Slot(std::string_view name, uint32_t hash, const NameOf& nameOf) const
{
  const size_t mask = FSlots.size() - 1;
  size_t i = hash & mask;
  while (FSlots[i].Count != 0 && !(FSlots[i].Hash == hash && CpSameText(nameOf(FSlots[i].At), name)))
    i = (i + 1) & mask;
  return i;
}

template <class NameOf>
const size_t* TIniFile::TFoldedIndex::Find(std::string_view name, const NameOf& nameOf) const
{
  if (FUsed == 0)
    return nullptr;
  const TSlot& slot = FSlots[Slot(name, FoldedHash(name), nameOf)];
  return slot.Count != 0 ? &slot.At : nullptr;
}

template <class NameOf>
void TIniFile::TFoldedIndex::Add(std::string_view name, size_t at, const NameOf& nameOf)
{
  if (2 * (FUsed + 1) > FSlots.size())
    Grow();
  const uint32_t hash = FoldedHash(name);
  TSlot& slot = FSlots[Slot(name, hash, nameOf)];
  if (slot.Count++ != 0)
    return;
  slot.Hash = hash;
  slot.At = at;
  ++FUsed;
}

template <class NameOf, class Next>
void TIniFile::TFoldedIndex::RemoveFirst(std::string_view name, const NameOf& nameOf, const Next& nextSame)
{
  if (FUsed == 0)
    return;
  size_t i = Slot(name, FoldedHash(name), nameOf);
  if (FSlots[i].Count == 0)
    return;
  if (--FSlots[i].Count != 0) {
    FSlots[i].At = nextSame();
    return;
  }
  // Linear probing's deletion: later slots of the run that may sit in the freed one move
  // back, so that no look-up stops short at a hole.
  const size_t mask = FSlots.size() - 1;
  for (size_t j = (i + 1) & mask; FSlots[j].Count != 0; j = (j + 1) & mask) {
    const size_t home = FSlots[j].Hash & mask;
    const bool between = i <= j ? (i < home && home <= j) : (i < home || home <= j);
    if (!between) {
      FSlots[i] = FSlots[j];
      i = j;
    }
  }
  FSlots[i] = TSlot{};
  --FUsed;
}

void TIniFile::TFoldedIndex::Erased(size_t at)
{
  for (TSlot& slot : FSlots)
    if (slot.Count != 0 && slot.At > at)
      --slot.At;
}

void TIniFile::TFoldedIndex::Grow() { Rehash(std::max<size_t>(8, 2 * FSlots.size())); }

void TIniFile::TFoldedIndex::Rehash(size_t slots)
{
  std::vector<TSlot> old(slots);
  old.swap(FSlots);
  const size_t mask = FSlots.size() - 1;
  for (const TSlot& slot : old)
    if (slot.Count != 0) {
      size_t i = slot.Hash & mask;
      while (FSlots[i].Count != 0)
        i = (i + 1) & mask;
      FSlots[i] = slot;
    }
}

void TIniFile::TFoldedIndex::Clear()
{
  FSlots.clear();
  FUsed = 0;
}

size_t TIniFile::TSection::FindKeyAt(std::string_view key) const
{
  if (!Indexed()) {
    for (size_t i = 0; i < Lines.size(); ++i)
      if (Lines[i].IsKey() && CpSameText(Lines[i].Key(), key))
        return i;
    return Lines.size();
  }
  const size_t* at = Keys.Find(key, NamesOf(Lines, &TLine::Key));
  return at ? *at : Lines.size();
}

std::vector<TIniFile::TLine>::iterator TIniFile::TSection::FindKey(std::string_view key)
{
  return Lines.begin() + static_cast<std::ptrdiff_t>(FindKeyAt(key));
}

std::vector<TIniFile::TLine>::const_iterator TIniFile::TSection::FindKey(std::string_view key) const
{
  return Lines.begin() + static_cast<std::ptrdiff_t>(FindKeyAt(key));
}

void TIniFile::TSection::IndexKeys()
{
  Keys.Clear();
  for (size_t i = 0; i < Lines.size(); ++i)
    if (Lines[i].IsKey())
      Keys.Add(Lines[i].Key(), i, NamesOf(Lines, &TLine::Key));
}

// The index of a section's keys is there exactly while the section is longer than ShortSection
// lines: it is made when a line makes the section longer, and dropped when one makes it short.
bool TIniFile::TSection::Indexed() const { return Lines.size() > ShortSection; }

void TIniFile::TSection::Added(size_t at)
{
  if (Lines.size() == ShortSection + 1)
    IndexKeys();
  else if (Indexed() && Lines[at].IsKey())
    Keys.Add(Lines[at].Key(), at, NamesOf(Lines, &TLine::Key));
}

void TIniFile::TSection::AddLine(TLine line)
{
  // Most sections hold a few lines: one allocation for them instead of one a line.
  if (Lines.empty())
    Lines.reserve(4);
  Lines.push_back(std::move(line));
  Added(Lines.size() - 1);
}

void TIniFile::TSection::DropTrailingBlanks()
{
  // Only lines that are no keys go, from the end: the positions the index holds stay.
  while (!Lines.empty() && !Lines.back().IsKey() && CpTrim(Lines.back().Text).empty())
    Lines.pop_back();
  if (!Indexed())
    Keys.Clear();
}

void TIniFile::TSection::InsertKey(std::string_view key, std::string_view value)
{
  // After the last key, so trailing comments of the section stay at its end. Only lines that
  // are no keys move, so the positions the index holds stay as they are.
  size_t at = Lines.size();
  while (at > 0 && !Lines[at - 1].IsKey())
    --at;
  if (at == 0)
    at = Lines.size();
  Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(at), TLine::Pair(key, value));
  Added(at);
}

void TIniFile::TSection::EraseKey(std::vector<TLine>::iterator line)
{
  const size_t at = static_cast<size_t>(line - Lines.begin());
  if (Indexed()) {
    const std::string_view key = Lines[at].Key();
    Keys.RemoveFirst(key, NamesOf(Lines, &TLine::Key), [&] {
      size_t next = at + 1;
      while (!(Lines[next].IsKey() && CpSameText(Lines[next].Key(), key)))
        ++next;
      return next;
    });
  }
  Lines.erase(line);
  if (Indexed())
    Keys.Erased(at);
  else
    Keys.Clear();
}

TIniFile::TLine TIniFile::TLine::Pair(std::string_view key, std::string_view value)
{
  TLine l;
  l.Text.reserve(key.size() + 1 + value.size());
  l.Text.append(key).append(1, '=').append(value);
  l.KeyLength = key.size();
  return l;
}

TIniFile::TSection& TIniFile::AddSection(std::string name)
{
  FSections.push_back(TSection{std::move(name), {}, {}});
  FSectionIndex.Add(FSections.back().Name, FSections.size() - 1, NamesOf(FSections, &TSection::Name));
  return FSections.back();
}

void TIniFile::Clear()
{
  FPreamble.clear();
  FSections.clear();
  FSectionIndex.Clear();
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
      if (!current)
        current = &AddSection(std::string(name));
      continue;
    }
    TLine l;
    const size_t eq = t.find('=');
    if (!t.empty() && t.front() != ';' && t.front() != '#' && eq != std::string_view::npos && eq > 0) {
      l = TLine::Pair(CpTrim(t.substr(0, eq)), CpTrim(t.substr(eq + 1)));
    } else {
      // Trailing blanks and stray carriage returns carry nothing and would change the
      // line breaks of the next save.
      l.Text = std::string(CpTrimRight(line));
    }
    if (current)
      current->AddLine(std::move(l));
    else
      FPreamble.push_back(l.IsKey() ? std::string(CpTrimRight(line)) : l.Text);
  }
  // A trailing empty line of the file is the last line break, not a line of its own.
  for (auto& s : FSections)
    s.DropTrailingBlanks();
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
      out += l.Text;
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
  return const_cast<TSection*>(std::as_const(*this).Find(section));
}

const TIniFile::TSection* TIniFile::Find(std::string_view section) const
{
  const size_t* at = FSectionIndex.Find(section, NamesOf(FSections, &TSection::Name));
  return at ? &FSections[*at] : nullptr;
}

const TIniFile::TLine* TIniFile::FindLine(std::string_view section, std::string_view key) const
{
  const TSection* s = Find(section);
  if (!s)
    return nullptr;
  const auto it = s->FindKey(key);
  return it == s->Lines.end() ? nullptr : &*it;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const
{
  const TLine* l = FindLine(section, key);
  return l ? std::string(l->Value()) : std::string(def);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const
{
  const TLine* l = FindLine(section, key);
  return l ? StrToIntDef(l->Value(), def) : def;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const
{
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(std::string_view section, std::string_view key, double def,
                           char decimalSeparator) const
{
  const TLine* l = FindLine(section, key);
  double v = 0;
  if (l && TryStrToFloat(l->Value(), v, decimalSeparator))
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
  if (!s)
    s = &AddSection(oneLine(section));
  if (const auto it = s->FindKey(k); it != s->Lines.end())
    it->SetValue(v);
  else
    s->InsertKey(k, v);
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
  return FindLine(section, key) != nullptr;
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const
{
  std::vector<std::string> keys;
  if (const TSection* s = Find(section))
    for (const auto& l : s->Lines)
      if (l.IsKey())
        keys.emplace_back(l.Key());
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
      if (l.IsKey())
        values.emplace_back(l.Key(), l.Value());
  return values;
}

void TIniFile::EraseSection(std::string_view section)
{
  const auto nameOf = NamesOf(FSections, &TSection::Name);
  const size_t* found = FSectionIndex.Find(section, nameOf);
  if (!found)
    return;
  const size_t at = *found;
  FSectionIndex.RemoveFirst(section, nameOf, [&] {
    size_t next = at + 1;
    while (!CpSameText(FSections[next].Name, section))
      ++next;
    return next;
  });
  FSections.erase(FSections.begin() + static_cast<std::ptrdiff_t>(at));
  FSectionIndex.Erased(at);
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key)
{
  TSection* s = Find(section);
  if (!s)
    return;
  const auto it = s->FindKey(key);
  if (it != s->Lines.end())
    s->EraseKey(it);
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
