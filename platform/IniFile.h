// An ini file held in memory: parsed whole, read and written by section and key, saved
// atomically. Sections and keys compare case-insensitively (Windows-1250 case tables), and
// the order of sections, keys and comment lines is kept, so a file a user edited by hand
// survives a save with only the written values changed. Sections and the keys of each are
// found through indexes of their folded names, so neither a load nor a read slows down with
// the number of sections a file holds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TIniFile {
public:
  TIniFile() = default;
  explicit TIniFile(std::string fileName) : FFileName(std::move(fileName)) {}

  // Replaces the contents with the file's; false (contents emptied) when it cannot be read.
  bool LoadFromFile(const std::string& path, std::string* error = nullptr);
  void LoadFromString(std::string_view text);
  // Atomic save: the previous file stays as it was when the save fails.
  [[nodiscard]] bool SaveToFile(const std::string& path, std::string* error = nullptr) const;
  std::string ToString() const;
  const std::string& FileName() const { return FFileName; }
  void SetFileName(std::string name) { FFileName = std::move(name); }
  // The line break written by ToString; a loaded file keeps its own ("\r\n" or "\n").
  void SetLineBreak(std::string lb) { FLineBreak = std::move(lb); }
  const std::string& LineBreak() const { return FLineBreak; }

  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  // A value that is not an integer (StrToInt rules, "0x" too) reads the default.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
  // An integer value: 0 is false, anything else true; other text reads the default.
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;
  double ReadFloat(std::string_view section, std::string_view key, double def, char decimalSeparator) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);
  // General float text (15 digits) with the given separator.
  void WriteFloat(std::string_view section, std::string_view key, double value, char decimalSeparator);

  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  std::vector<std::string> ReadSection(std::string_view section) const;  // keys, in order
  std::vector<std::string> ReadSections() const;
  std::vector<std::pair<std::string, std::string>> ReadSectionValues(std::string_view section) const;
  void EraseSection(std::string_view section);
  void DeleteKey(std::string_view section, std::string_view key);
  void Clear();

private:
  // A line as it is written: "key=value" for a key (both trimmed), any other line as read.
  struct TLine {
    static constexpr size_t NoKey = static_cast<size_t>(-1);
    std::string Text;
    size_t KeyLength = NoKey;

    static TLine Pair(std::string_view key, std::string_view value);
    bool IsKey() const { return KeyLength != NoKey; }
    std::string_view Key() const { return std::string_view(Text).substr(0, KeyLength); }
    std::string_view Value() const { return std::string_view(Text).substr(KeyLength + 1); }
    void SetValue(std::string_view value) { Text.replace(KeyLength + 1, std::string::npos, value); }
  };

  // Positions of named entries by their names folded to one case, CpSameText's rule: for each
  // name the first entry that carries it, and how many do. Entries are only ever added after
  // every other of their name and only the first of a name is ever removed, so the next one
  // is looked for only when a name is there more than once. The names stay with the entries;
  // a slot keeps the name's hash and finds the name through nameOf(position).
  class TFoldedIndex {
  public:
    template <class NameOf>
    const size_t* Find(std::string_view name, const NameOf& nameOf) const;
    template <class NameOf>
    void Add(std::string_view name, size_t at, const NameOf& nameOf);
    // Forgets the first entry of name, which its owner erases next; nextSame() is asked for
    // the position of the next entry of that name only when there is one.
    template <class NameOf, class Next>
    void RemoveFirst(std::string_view name, const NameOf& nameOf, const Next& nextSame);
    // The owner erased the entry at `at`: every later one is one position nearer.
    void Erased(size_t at);
    void Clear();

  private:
    struct TSlot {
      size_t At = 0;
      uint32_t Hash = 0;
      uint32_t Count = 0;  // 0: a free slot
    };
    template <class NameOf>
    size_t Slot(std::string_view name, uint32_t hash, const NameOf& nameOf) const;  // its own or the free one
    void Grow();
    void Rehash(size_t slots);
    std::vector<TSlot> FSlots;  // open addressing, linear probing, at most half used
    size_t FUsed = 0;
  };

  struct TSection {
    std::string Name;
    std::vector<TLine> Lines;
    // Of the key lines, there while the section is longer than a look along its lines.
    TFoldedIndex Keys;

    void AddLine(TLine line);
    void DropTrailingBlanks();
    std::vector<TLine>::iterator FindKey(std::string_view key);
    std::vector<TLine>::const_iterator FindKey(std::string_view key) const;
    void InsertKey(std::string_view key, std::string_view value);
    void EraseKey(std::vector<TLine>::iterator line);

  private:
    bool Indexed() const;
    void Added(size_t at);  // the line at `at` is new
    size_t FindKeyAt(std::string_view key) const;
    void IndexKeys();
  };

  TSection* Find(std::string_view section);
  const TSection* Find(std::string_view section) const;
  const TLine* FindLine(std::string_view section, std::string_view key) const;
  TSection& AddSection(std::string name);

  std::string FFileName;
  std::string FLineBreak = "\n";
  std::vector<std::string> FPreamble;  // lines before the first section
  std::vector<TSection> FSections;
  TFoldedIndex FSectionIndex;
};

// The profile-file rule of the link settings: a missing key (or an empty value) reads the
// default; a present value reads its leading decimal integer ("12abc" is 12), and a value
// that does not start with one reads 0.
int32_t ReadProfileInt(const TIniFile& ini, std::string_view section, std::string_view key, int32_t def);
// The same rule's text read: a value enclosed in a pair of double or single quotes loses
// them ("\"COM1\"" reads COM1); a missing key reads the default.
std::string ReadProfileString(const TIniFile& ini, std::string_view section, std::string_view key,
                              std::string_view def);
