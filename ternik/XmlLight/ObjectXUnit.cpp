#include "ternik/XmlLight/ObjectXUnit.h"

#include "platform/Codepage.h"
#include "ternik/VersionListUnit.h"

uint16_t XObjectNameHash(std::string_view name)
{
  uint32_t sum = 0;
  for (char c : name)
    sum += CaseFoldByte(static_cast<unsigned char>(c));
  return static_cast<uint16_t>(sum);
}

const TNodeClass& TXObject::StaticClass()
{
  static const TNodeClass c{"XOBJECT", "TXObject", &TLhXMLNode::StaticClass(), &ConstructXmlNode<TXObject>};
  return c;
}

void TXObject::FillAttribs()
{
  TLhXMLNode::FillAttribs();
  if (FHasName)
    WriteAttrib("NAME", FName);
  else
    DeleteAttrib("NAME");
}

void TXObject::ExecAttrib(const std::string& name, const std::string& value)
{
  TLhXMLNode::ExecAttrib(name, value);
  if (name == "NAME")
    SetName(value);
}

void TXObject::SaveToFile(const std::string& fileName, const std::string& sectionPath)
{
  RefreshElementNames();
  TLhXMLNode::SaveToFile(fileName, sectionPath);
}

std::string TXObject::GetLanguage() { return ReadAttrib("LANGUAGE"); }

void TXObject::SetName(const std::string& name)
{
  FName = name;
  FHasName = !name.empty();
  FNameHash = XObjectNameHash(name);
}

std::string TXObject::GetName() const { return FHasName ? FName : ClassIdent(); }

TXObject& TXObject::GetChildObject(size_t index) const
{
  TLhXMLNode& c = GetChild(index);
  if (!c.IsA(TXObject::StaticClass()))
    throw EXObject("To nie jest TXOBject :" + c.ElementName());
  return static_cast<TXObject&>(c);
}

bool TXObject::CheckOwners()
{
  bool result = true;
  for (size_t i = 0; i < ChildCount(); ++i) {
    TXObject& c = GetChildObject(i);
    if (c.Parent() != this) {
      ReportError("Niepoprawna wartość pola OWNER \\n"_cp);
      result = false;
    }
    // Once a wrong link is found, the subtrees below are not walked any further.
    result = result && c.CheckOwners();
  }
  return result;
}

void TXObject::SetLanguage(const std::string& language)
{
  for (size_t i = 0; i < ChildCount(); ++i)
    GetChildObject(i).SetLanguage(language);
}

TXObject* TXObject::FindChildObject(const TNodeClass& nodeClass, std::string_view name) const
{
  const uint16_t hash = XObjectNameHash(name);
  for (size_t i = 0; i < ChildCount(); ++i) {
    TLhXMLNode& c = GetChild(i);
    if (!c.IsA(TXObject::StaticClass()))
      continue;
    auto& o = static_cast<TXObject&>(c);
    // The hash settles almost every non-matching child with one integer comparison.
    if (o.FNameHash != hash)
      continue;
    if (SameFoldedName(o.FName, name) && SameFoldedName(o.GetClass().Ident, nodeClass.Ident))
      return &o;
  }
  return nullptr;
}

void TXObject::RefreshElementNames()
{
  SetElementNameUnchecked(ClassIdent());
  for (size_t i = 0; i < ChildCount(); ++i) {
    TLhXMLNode& c = GetChild(i);
    if (c.IsA(TXObject::StaticClass()))
      static_cast<TXObject&>(c).RefreshElementNames();
  }
}

namespace {

// The code's character at i; a code shorter than that has none, and nothing equals it.
bool CodeCharIs(std::string_view language, size_t i, char c)
{
  return i < language.size() && language[i] == c;
}

std::string FilterOne(std::string_view language, const std::bitset<256>& keepSet, std::string_view text)
{
  std::string out;
  out.reserve(text.size());
  bool keep = true;
  int counter = 0;
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (keepSet.test(b)) {
      out += c;
      keep = true;
      counter = 0;
    } else if (c == '&') {
      if (counter == 1) {
        out += '&';
        counter = 0;
      } else if (counter < 3) {
        ++counter;
      }
    } else if (counter == 1) {
      if (c == '!') {
        keep = true;
        counter = 0;
      } else {
        keep = CodeCharIs(language, 0, c);
        counter = 2;
      }
    } else if (counter == 2) {
      keep = keep && CodeCharIs(language, 1, c);
      counter = 0;
    } else if (counter == 0) {
      if (keep)
        out += c;
    }
    // Counter 3 ("&" after "&" and one code character): dropped until a KeepSet byte.
  }
  return out;
}

std::string FilterAll(const std::bitset<256>& keepSet, std::string_view text)
{
  std::string out;
  out.reserve(text.size() + 1);
  bool marked = false;
  int counter = 0;
  char letter = 0;
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (keepSet.test(b)) {
      out += c;
      counter = 0;
    } else if (counter == 0) {
      if (c == '&')
        counter = 1;
      else
        out += c;
    } else if (counter == 1) {
      if (c == '&') {
        out += '&';
        counter = 0;
      } else if (c == '!') {
        out += '\x07';
        counter = 0;
      } else {
        letter = c;
        counter = 2;
      }
    } else if (counter == 2) {
      if (c == '&') {
        counter = 3;
      } else {
        if (c == '_') {
          const char mark = letter == 'E' ? '\x02' : letter == 'P' ? '\x01' : '\x07';
          marked = marked || mark != '\x07';
          out += mark;
        }
        counter = 0;
      }
    }
    // Counter 3: dropped until a KeepSet byte, as in the one-language filter.
  }
  if (marked)
    out += '\x07';
  return out;
}

}  // namespace

std::string FilterLangText(std::string_view language, const std::bitset<256>& keepSet, std::string_view text)
{
  if (language == "__ALL__")
    return FilterAll(keepSet, text);
  return FilterOne(language, keepSet, text);
}

void ObjectXUnitInitialize()
{
  AddVersionHeader("$Header: /ternik/XmlLight/ObjectXUnit.pas,v 1.30 2018/11/08 00:00:00 ternik Exp $");
  RegisterNodeClass(TXObject::StaticClass(), 0);
}
