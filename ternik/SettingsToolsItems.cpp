// Settings items and groups: reading, writing, the modified flags and the comparison.
#include <bitset>
#include <cmath>
#include <limits>
#include <unordered_map>

#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "ternik/SettingsTools.h"

uint8_t SettKindFromWord(std::string_view word)
{
  uint8_t kind = SK_UNKNOWN;
  for (size_t i = 0; i < SettTypeWords.size(); ++i)
    if (SettTypeWords[i] == word)
      kind = static_cast<uint8_t>(i);
  return kind;
}

std::unique_ptr<TBaseXCfgTool> NewSettTool(uint8_t kind, TSettItem& item)
{
  switch (kind) {
  case SK_BOOL:
    return std::make_unique<TBoolXCfgTool>(item);
  case SK_INT:
    return std::make_unique<TIntXCfgTool>(item);
  case SK_FLOAT:
    return std::make_unique<TFloatXCfgTool>(item);
  case SK_STR:
    return std::make_unique<TStrXCfgTool>(item);
  case SK_SELECT:
    return std::make_unique<TSelectXCfgTool>(item);
  case SK_IP:
    return std::make_unique<TIpXCfgTool>(item);
  case SK_COM_NR:
    return std::make_unique<TCommNrXCfgTool>(item);
  case SK_DATE_TIME:
    return std::make_unique<TDateTimeXCfgTool>(item);
  case SK_FILE_NAME:
    return std::make_unique<TFileNameXCfgTool>(item);
  default:
    return std::make_unique<TBaseXCfgTool>(item);
  }
}

void MarkRootError(TLhXMLNode& node)
{
  TLhXMLNode* root = node.RootNode();
  if (root && root->IsA(TSettGroup::StaticClass()))
    static_cast<TSettGroup*>(root)->HasErrors = true;
}

// ---------------------------------------------------------------------------------------------
// TSttObject
// ---------------------------------------------------------------------------------------------

const TNodeClass& TSttObject::StaticClass()
{
  static const TNodeClass c{"XOBJECT", "TSttObject", &TYObject::StaticClass(), &ConstructXmlNode<TSttObject>};
  return c;
}

void TSttObject::FillAttribs()
{
  TYObject::FillAttribs();
  WriteOrDeleteAttrib("DESCR", Descr.empty(), Descr);
  WriteOrDeleteAttrib("SHORTDESCR", ShortDescr.empty(), ShortDescr);
  WriteOrDeleteAttrib("SOURCE", Source.empty(), Source);
}

void TSttObject::ExecAttrib(const std::string& name, const std::string& value)
{
  TYObject::ExecAttrib(name, value);
  if (name == "DESCR")
    Descr = value;
  else if (name == "SHORTDESCR")
    ShortDescr = value;
  else if (name == "SOURCE")
    Source = value;
}

void TSttObject::SetLanguage(const std::string& language)
{
  TYObject::SetLanguage(language);
  const std::bitset<256> none;
  Descr = FilterLangText(language, none, Descr);
  ShortDescr = FilterLangText(language, none, ShortDescr);
}

// ---------------------------------------------------------------------------------------------
// TSettItem
// ---------------------------------------------------------------------------------------------

TSettItem::TSettItem(TLhXMLNode* parent, const std::string& name, const TXmlErrorEvent& onError)
    : TSttObject(parent, name, onError), FTool(std::make_unique<TBaseXCfgTool>(*this))
{}

TSettItem::~TSettItem() = default;

const TNodeClass& TSettItem::StaticClass()
{
  static const TNodeClass c{"ITEM", "TSettItem", &TSttObject::StaticClass(), &ConstructXmlNode<TSettItem>};
  return c;
}

void TSettItem::SetKind(uint8_t kind)
{
  FKind = kind < SettTypeWords.size() ? kind : uint8_t{SK_UNKNOWN};
  FTypeWord = SettTypeWords[FKind];
  FTool = NewSettTool(FKind, *this);
}

void TSettItem::FillAttribs()
{
  TSttObject::FillAttribs();
  WriteAttrib("TYPE", FTypeWord);
  if (FHasValue)
    WriteAttrib("VALUE", FTool->GetItemText());
  if (FHasDefValue)
    WriteAttrib("DEFVALUE", FTool->GetDefaultText());
}

void TSettItem::ExecAttrib(const std::string& name, const std::string& value)
{
  TSttObject::ExecAttrib(name, value);
  if (name == "TYPE") {
    SetKind(SettKindFromWord(value));
    // A word the table does not know still goes back into the file as it was.
    FTypeWord = value;
  } else if (name == "VALUE") {
    SetValueText(value);
  }
}

std::string TSettItem::LoadText(const std::string& text) const
{
  if (FKind != SK_FLOAT || text.empty())
    return text;
  return FloatToStr(TextToFloat(text), UtilityFormat());
}

void TSettItem::AfterLoad()
{
  TSttObject::AfterLoad();
  if (const TAttribItem* v = FindAttrib("VALUE")) {
    SetValueText(LoadText(v->Value()));
    FLoadedValueText = FValueText;
    // What was just read is the reference: an untouched file is not a changed one.
    SetModified(false);
  }
  if (const TAttribItem* d = FindAttrib("DEFVALUE"))
    SetDefValueText(LoadText(d->Value()));
}

void TSettItem::SetLanguage(const std::string& language)
{
  TSttObject::SetLanguage(language);
  FTool->SetLanguage(language);
  const std::bitset<256> none;
  const std::string childDescr = GetChildDescr();
  if (!childDescr.empty())
    SetChildDescr(FilterLangText(language, none, childDescr));
  const std::string childShort = GetChildShortDescr();
  if (!childShort.empty())
    SetChildShortDescr(FilterLangText(language, none, childShort));
  if (!FDefValueText.empty())
    FDefValueText = FilterLangText(language, none, FDefValueText);
}

void TSettItem::SetValueText(const std::string& text)
{
  FValueText = text;
  FHasValue = true;
  SetModified(text != FLoadedValueText);
}

void TSettItem::SetDefValueText(const std::string& text)
{
  FDefValueText = text;
  FHasDefValue = true;
}

std::string TSettItem::GetValueOrDefault() const { return FHasValue ? FValueText : FDefValueText; }

std::string TSettItem::GetItemText()
{
  if (FHasValue)
    return FValueText;
  if (FHasDefValue)
    return FDefValueText;
  MarkRootError(*this);
  ReportError(SettTranslate("TXT001") + ":" + GetPath() + "\\e");
  return {};
}

double TSettItem::TextToFloatDef(std::string_view text, double def)
{
  const std::string upper = CpUpperCase(text);
  if (upper.find("INF") != std::string::npos || upper == "NAN")
    return std::numeric_limits<double>::quiet_NaN();
  double x = 0;
  return TryStrToFloat(text, x, '.') ? x : def;
}

std::string TSettItem::GetChildDescr() const { return ReadAttribDef("CHILD_DESCR", ""); }
std::string TSettItem::GetChildShortDescr() const { return ReadAttribDef("CHILD_SHORTDESCR", ""); }
void TSettItem::SetChildDescr(const std::string& text)
{
  WriteOrDeleteAttrib("CHILD_DESCR", text.empty(), text);
}

void TSettItem::SetChildShortDescr(const std::string& text)
{
  WriteOrDeleteAttrib("CHILD_SHORTDESCR", text.empty(), text);
}

// ---------------------------------------------------------------------------------------------
// TSettGroup
// ---------------------------------------------------------------------------------------------

const TNodeClass& TSettGroup::StaticClass()
{
  static const TNodeClass c{"GROUP", "TSettGroup", &TSttObject::StaticClass(), &ConstructXmlNode<TSettGroup>};
  return c;
}

bool TSettGroup::Modified() const
{
  for (size_t i = 0; i < ChildCount(); ++i) {
    const TLhXMLNode& c = GetChild(i);
    if (c.IsA(TSttObject::StaticClass()) && static_cast<const TSttObject&>(c).Modified())
      return true;
  }
  return false;
}

TSettGroup* TSettGroup::FindGroup(std::string_view name) const
{
  return static_cast<TSettGroup*>(FindChildObject(TSettGroup::StaticClass(), name));
}

TSettItem* TSettGroup::FindItem(std::string_view name) const
{
  return static_cast<TSettItem*>(FindChildObject(TSettItem::StaticClass(), name));
}

TSettGroup& TSettGroup::AddGroup(const std::string& name)
{
  auto& g = static_cast<TSettGroup&>(AddChildOfClass(TSettGroup::StaticClass()));
  g.WriteAttrib("NAME", name);  // also the key that paths and messages show
  return g;
}

TSettItem& TSettGroup::AddItem(const std::string& name, uint8_t kind)
{
  auto& item = static_cast<TSettItem&>(AddChildOfClass(TSettItem::StaticClass()));
  item.WriteAttrib("NAME", name);
  item.SetKind(kind);
  return item;
}

namespace {

// The first child group and item of each name, as FindGroup and FindItem answer them, looked
// up once per group: a comparison of two large groups stays linear.
struct TChildIndex {
  explicit TChildIndex(const TSettGroup& g)
  {
    for (size_t i = 0; i < g.ChildCount(); ++i) {
      TLhXMLNode& c = g.GetChild(i);
      if (&c.GetClass() == &TSettGroup::StaticClass()) {
        auto& o = static_cast<TSettGroup&>(c);
        Groups.try_emplace(CaseFoldName(o.Name()), &o);
      } else if (&c.GetClass() == &TSettItem::StaticClass()) {
        auto& o = static_cast<TSettItem&>(c);
        Items.try_emplace(CaseFoldName(o.Name()), &o);
      }
    }
  }
  TSettGroup* Group(const std::string& name) const
  {
    auto it = Groups.find(CaseFoldName(name));
    return it == Groups.end() ? nullptr : it->second;
  }
  TSettItem* Item(const std::string& name) const
  {
    auto it = Items.find(CaseFoldName(name));
    return it == Items.end() ? nullptr : it->second;
  }
  std::unordered_map<std::string, TSettGroup*> Groups;
  std::unordered_map<std::string, TSettItem*> Items;
};

}  // namespace

bool TSettGroup::CompareWith(TSettGroup* other, std::vector<TSettCompareLine>* list)
{
  auto add = [&](std::string text, TSttObject* object) {
    if (list)
      list->push_back({std::move(text), object});
  };
  if (!other) {
    add(GetPath() + ";MISS", this);
    return false;
  }
  // An empty group against a filled one differs; the other side's children are still
  // listed below.
  bool same = !(!HasChildren() && other->HasChildren());
  const TChildIndex theirs(*other);
  for (size_t i = 0; i < ChildCount(); ++i) {
    TLhXMLNode& c = GetChild(i);
    if (c.IsA(TSettGroup::StaticClass())) {
      auto& g = static_cast<TSettGroup&>(c);
      if (!g.CompareWith(theirs.Group(g.Name()), list))
        same = false;
    } else if (c.IsA(TSettItem::StaticClass())) {
      auto& item = static_cast<TSettItem&>(c);
      if (TSettItem* o = theirs.Item(item.Name())) {
        const std::string mine = item.GetValueOrDefault();
        const std::string other_ = o->GetValueOrDefault();
        if (mine != other_) {
          same = false;
          add(SubstituteS("%s : [%s]<->[%s]", {item.GetPath(), mine, other_}), &item);
        }
      } else {
        same = false;
        add(item.GetPath() + ";MISS", &item);
      }
    }
  }
  const TChildIndex ours(*this);
  for (size_t i = 0; i < other->ChildCount(); ++i) {
    TLhXMLNode& c = other->GetChild(i);
    bool missing = false;
    if (c.IsA(TSettGroup::StaticClass()))
      missing = !ours.Group(static_cast<TSettGroup&>(c).Name());
    else if (c.IsA(TSettItem::StaticClass()))
      missing = !ours.Item(static_cast<TSettItem&>(c).Name());
    if (missing) {
      same = false;
      add(c.GetPath() + ";MORE", nullptr);
    }
  }
  return same;
}

bool TSettGroup::Compare(TLhXMLNode& other, const TCompareReport& report)
{
  if (!other.IsA(TSettGroup::StaticClass())) {
    if (report)
      report(SettTranslate("TXT019"));
    return false;
  }
  std::vector<TSettCompareLine> lines;
  const bool same = CompareWith(static_cast<TSettGroup*>(&other), &lines);
  if (report)
    for (const TSettCompareLine& l : lines)
      report(l.Text + "\\n");
  return same;
}
