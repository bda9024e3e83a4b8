// The library's dictionary: every user-visible text is looked up by group and key. It is an
// object tree (LANG_CFG > LANG_GROUP > LANG_ITEM) written and read as XML like any other;
// units add their groups and Polish default texts at start-up, a translated file can replace
// the texts later while ORGTXT keeps the default.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ternik/XmlLight/ObjectXUnit.h"

class TXLangItem : public TXObject {
public:
  TXLangItem(TLhXMLNode* parent, const std::string& name, const TXmlErrorEvent& onError)
      : TXObject(parent, name, onError)
  {}
  static const TNodeClass& StaticClass();
  const TNodeClass& GetClass() const override { return StaticClass(); }
  void FillAttribs() override;
  void ExecAttrib(const std::string& name, const std::string& value) override;

  std::string Text;     // the text in use
  std::string OrgText;  // the default text
};

class TXLangGroup : public TXObject {
public:
  TXLangGroup(TLhXMLNode* parent, const std::string& name, const TXmlErrorEvent& onError)
      : TXObject(parent, name, onError)
  {}
  static const TNodeClass& StaticClass();
  const TNodeClass& GetClass() const override { return StaticClass(); }

  // Appends an item named key with Text = OrgText = text; a key already present is added
  // again (look-ups find the first).
  TXLangItem& AddItem(const std::string& key, const std::string& text);
  TXLangItem* FindItem(std::string_view key) const;
  // The first item's Text, or "!!Not found in dictionary:" + group name + "\" + key.
  std::string Translate(std::string_view key) const;
  // The language of the dictionary holding the group; empty outside one.
  std::string GetLanguage() override;
};

class TXLangCfg : public TXObject {
public:
  TXLangCfg(TLhXMLNode* parent, const std::string& name, const TXmlErrorEvent& onError)
      : TXObject(parent, name, onError)
  {}
  static const TNodeClass& StaticClass();
  const TNodeClass& GetClass() const override { return StaticClass(); }
  void FillAttribs() override;
  void ExecAttrib(const std::string& name, const std::string& value) override;

  // Appends a new group (an existing one of that name is not looked for).
  TXLangGroup& AddGroup(const std::string& name);
  TXLangGroup* FindGroup(std::string_view name) const;
  // The group of that name, made when there is none yet.
  TXLangGroup& FindOrAddGroup(const std::string& name);
  // Takes the language, character set and item texts of a translated dictionary: for every
  // item of other whose group and key exist here, Text := its TEXT. Defaults (OrgText),
  // groups and items stay as they are; unknown groups and keys are ignored. Answers the
  // number of texts taken.
  size_t ApplyTranslation(const TXLangCfg& other);

  std::string Language;
  uint8_t Charset = 1;
};

// Font character sets by number and identifier text.
struct TCharsetIdent {
  uint8_t Value;
  std::string_view Name;
};
extern const std::array<TCharsetIdent, 19> CharsetIdents;
// nullopt when the identifier (letter case ignored) or the number is unknown.
std::optional<uint8_t> IdentToCharset(std::string_view ident);
std::optional<std::string_view> CharsetToIdent(uint8_t charset);

// A list of languages, kept for the library's clients.
class TLanguageList {
public:
  TLanguageList();
  int32_t Value = 0;
  std::string ProgramPath;  // of the running program, taken at creation
  std::vector<std::unique_ptr<TXLangCfg>> Items;
};

// The process-wide dictionary and language list, present between LangUnitInitialize and
// LangUnitFinalize; the accessors raise EXObject outside that time.
TXLangCfg& LangDictionary();
TLanguageList& LanguageList();
bool LangDictionaryExists();

// Reads a dictionary file (XLhException on a malformed or missing file); the result is a
// tree of its own, to be applied with ApplyTranslation or inspected.
std::unique_ptr<TXLangCfg> LoadLangFile(const std::string& fileName);

// Unit start-up: registers LANG_ITEM, LANG_GROUP, LANG_CFG, then creates the dictionary and
// the language list.
void LangUnitInitialize();
void LangUnitFinalize();
// The groups of the two units whose texts live in the dictionary only (file-change notices and
// the configuration editor); their start-up runs after the settings tools have added theirs.
TXLangGroup* FileSignatureGroup();
TXLangGroup* XMeasBoxCpxGroup();
void FileSignatureUnitInitialize();
void XMeasBoxCpxInitialize();
