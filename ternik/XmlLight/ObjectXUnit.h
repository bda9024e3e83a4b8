// Named objects of the library's trees: the NAME attribute kept as a field with a small hash
// for fast child look-up, parent-link checks, a language passed down the tree and the filter
// of multi-language texts.
#pragma once

#include <bitset>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "ternik/XmlLight/XmlLight2Unit.h"

// Raised when a child that should be a named object is some other node.
class EXObject : public std::runtime_error {
public:
  explicit EXObject(const std::string& message) : std::runtime_error(message) {}
};

// The sum, modulo 65536, of the unsigned bytes of CaseFoldName(name).
uint16_t XObjectNameHash(std::string_view name);

class TXObject : public TLhXMLNode {
public:
  TXObject(TLhXMLNode* parent, const std::string& name, const TXmlErrorEvent& onError)
      : TLhXMLNode(parent, name, onError)
  {}

  static const TNodeClass& StaticClass();
  const TNodeClass& GetClass() const override { return StaticClass(); }

  void FillAttribs() override;
  void ExecAttrib(const std::string& name, const std::string& value) override;
  // Element names are refreshed from the class idents first, then the tree is saved.
  void SaveToFile(const std::string& fileName, const std::string& sectionPath = {}) override;

  // The required attribute LANGUAGE (XLhException code 1 when missing).
  virtual std::string GetLanguage();
  virtual void SetName(const std::string& name);
  // Name when the object has one, else its class ident.
  virtual std::string GetName() const;
  // True when every descendant's parent link points at the object holding it; each wrong
  // link is reported. A child that is no TXObject raises EXObject.
  virtual bool CheckOwners();
  // Passes the language to every child (each must be a TXObject).
  virtual void SetLanguage(const std::string& language);

  bool HasName() const { return FHasName; }
  const std::string& Name() const { return FName; }
  uint16_t NameHash() const { return FNameHash; }

  // The child at index as a TXObject; EXObject "To nie jest TXOBject :" + element name when
  // it is another node.
  TXObject& GetChildObject(size_t index) const;
  // First TXObject child of class ident nodeClass.Ident (case-folded) named name (hash first,
  // then the case-folded name); nullptr when none.
  TXObject* FindChildObject(const TNodeClass& nodeClass, std::string_view name) const;
  // ElementName := class ident, for this object and every TXObject below it.
  void RefreshElementNames();

private:
  bool FHasName = false;
  std::string FName;
  uint16_t FNameHash = 0;
};

// Multi-language texts: "&" + a two-character code opens a section (&P_, &E_), "&!" a part
// for all languages, "&&" stands for "&"; characters of keepSet are always copied and end a
// section. With language "__ALL__" the markers become control bytes (1 for P, 2 for E, 7 for
// others and "&!", a closing 7 after any 1 or 2); otherwise only that language's text stays.
// A language shorter than two characters never matches the missing characters.
std::string FilterLangText(std::string_view language, const std::bitset<256>& keepSet, std::string_view text);

// Unit start-up: registers "XOBJECT".
void ObjectXUnitInitialize();
