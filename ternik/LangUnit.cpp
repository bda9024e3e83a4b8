#include "ternik/LangUnit.h"

#include <unistd.h>

#include "platform/Codepage.h"

const std::array<TCharsetIdent, 19> CharsetIdents = {{
    {0, "ANSI_CHARSET"},      {1, "DEFAULT_CHARSET"},    {2, "SYMBOL_CHARSET"},
    {77, "MAC_CHARSET"},      {128, "SHIFTJIS_CHARSET"}, {129, "HANGEUL_CHARSET"},
    {130, "JOHAB_CHARSET"},   {134, "GB2312_CHARSET"},   {136, "CHINESEBIG5_CHARSET"},
    {161, "GREEK_CHARSET"},   {162, "TURKISH_CHARSET"},  {163, "VIETNAMESE_CHARSET"},
    {177, "HEBREW_CHARSET"},  {178, "ARABIC_CHARSET"},   {186, "BALTIC_CHARSET"},
    {204, "RUSSIAN_CHARSET"}, {222, "THAI_CHARSET"},     {238, "EASTEUROPE_CHARSET"},
    {255, "OEM_CHARSET"},
}};

std::optional<uint8_t> IdentToCharset(std::string_view ident)
{
  for (const auto& c : CharsetIdents)
    if (CpSameText(c.Name, ident))
      return c.Value;
  return std::nullopt;
}

std::optional<std::string_view> CharsetToIdent(uint8_t charset)
{
  for (const auto& c : CharsetIdents)
    if (c.Value == charset)
      return c.Name;
  return std::nullopt;
}

// ---------------------------------------------------------------------------------------------

const TNodeClass& TXLangItem::StaticClass()
{
  static const TNodeClass c{"LANG_ITEM", "TXLangItem", &TXObject::StaticClass(),
                            &ConstructXmlNode<TXLangItem>};
  return c;
}

void TXLangItem::FillAttribs()
{
  TXObject::FillAttribs();
  WriteAttrib("TEXT", Text);
  WriteAttrib("ORGTXT", OrgText);
}

void TXLangItem::ExecAttrib(const std::string& name, const std::string& value)
{
  TXObject::ExecAttrib(name, value);
  if (name == "ORGTXT")
    OrgText = value;
  else if (name == "TEXT")
    Text = value;
}

const TNodeClass& TXLangGroup::StaticClass()
{
  static const TNodeClass c{"LANG_GROUP", "TXLangGroup", &TXObject::StaticClass(),
                            &ConstructXmlNode<TXLangGroup>};
  return c;
}

TXLangItem& TXLangGroup::AddItem(const std::string& key, const std::string& text)
{
  auto& item = static_cast<TXLangItem&>(AddChildOfClass(TXLangItem::StaticClass()));
  item.SetName(key);
  item.Text = text;
  item.OrgText = text;
  return item;
}

TXLangItem* TXLangGroup::FindItem(std::string_view key) const
{
  return static_cast<TXLangItem*>(FindChildObject(TXLangItem::StaticClass(), key));
}

std::string TXLangGroup::Translate(std::string_view key) const
{
  if (const TXLangItem* item = FindItem(key))
    return item->Text;
  return "!!Not found in dictionary:" + GetName() + "\\" + std::string(key);
}

std::string TXLangGroup::GetLanguage()
{
  TLhXMLNode* p = Parent();
  if (p && p->IsA(TXLangCfg::StaticClass()))
    return static_cast<TXLangCfg*>(p)->Language;
  return {};
}

const TNodeClass& TXLangCfg::StaticClass()
{
  static const TNodeClass c{"LANG_CFG", "TXLangCfg", &TXObject::StaticClass(), &ConstructXmlNode<TXLangCfg>};
  return c;
}

void TXLangCfg::FillAttribs()
{
  TXObject::FillAttribs();
  WriteAttrib("LANGUAGE", Language);
  const auto ident = CharsetToIdent(Charset);
  WriteAttrib("DEFAULT_CHARSET", ident ? std::string(*ident) : std::string("DEFAULT_CHARSET"));
}

void TXLangCfg::ExecAttrib(const std::string& name, const std::string& value)
{
  TXObject::ExecAttrib(name, value);
  if (CpUpperCase(name) == "LANGUAGE")
    Language = value;
  else if (name == "DEFAULT_CHARSET")
    Charset = IdentToCharset(value).value_or(1);
}

TXLangGroup& TXLangCfg::AddGroup(const std::string& name)
{
  auto& group = static_cast<TXLangGroup&>(AddChildOfClass(TXLangGroup::StaticClass()));
  group.SetName(name);
  return group;
}

TXLangGroup* TXLangCfg::FindGroup(std::string_view name) const
{
  return static_cast<TXLangGroup*>(FindChildObject(TXLangGroup::StaticClass(), name));
}

TXLangGroup& TXLangCfg::FindOrAddGroup(const std::string& name)
{
  if (TXLangGroup* g = FindGroup(name))
    return *g;
  return AddGroup(name);
}

size_t TXLangCfg::ApplyTranslation(const TXLangCfg& other)
{
  Language = other.Language;
  Charset = other.Charset;
  size_t taken = 0;
  for (size_t i = 0; i < other.ChildCount(); ++i) {
    TLhXMLNode& g = other.GetChild(i);
    if (!g.IsA(TXLangGroup::StaticClass()))
      continue;
    auto& src = static_cast<TXLangGroup&>(g);
    TXLangGroup* dst = FindGroup(src.Name());
    if (!dst)
      continue;
    for (size_t k = 0; k < src.ChildCount(); ++k) {
      TLhXMLNode& it = src.GetChild(k);
      if (!it.IsA(TXLangItem::StaticClass()))
        continue;
      auto& srcItem = static_cast<TXLangItem&>(it);
      if (TXLangItem* dstItem = dst->FindItem(srcItem.Name())) {
        dstItem->Text = srcItem.Text;
        ++taken;
      }
    }
  }
  return taken;
}

// ---------------------------------------------------------------------------------------------

namespace {

std::string RunningProgramPath()
{
  std::string buf(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
  if (n <= 0)
    return {};
  buf.resize(static_cast<size_t>(n));
  return buf;
}

std::unique_ptr<TXLangCfg> GDictionary;
std::unique_ptr<TLanguageList> GLanguageList;
TXLangGroup* GFileSignatureGroup = nullptr;
TXLangGroup* GXMeasBoxCpxGroup = nullptr;

}  // namespace

TLanguageList::TLanguageList() : ProgramPath(RunningProgramPath()) {}

TXLangCfg& LangDictionary()
{
  if (!GDictionary)
    throw EXObject("the language dictionary is not initialised");
  return *GDictionary;
}

TLanguageList& LanguageList()
{
  if (!GLanguageList)
    throw EXObject("the language dictionary is not initialised");
  return *GLanguageList;
}

bool LangDictionaryExists() { return GDictionary != nullptr; }

std::unique_ptr<TXLangCfg> LoadLangFile(const std::string& fileName)
{
  TLhXmlDocument doc;
  doc.LoadFromFile(fileName, false);
  TLhXMLNode* root = doc.MainNode();
  if (!root || !root->IsA(TXLangCfg::StaticClass()))
    throw XLhException(XLH_BAD_NAME, "XML. Wrong main node name.");
  std::unique_ptr<TLhXMLNode> node = doc.ReleaseMainNode();
  return std::unique_ptr<TXLangCfg>(static_cast<TXLangCfg*>(node.release()));
}

void LangUnitInitialize()
{
  RegisterNodeClass(TXLangItem::StaticClass(), 0);
  RegisterNodeClass(TXLangGroup::StaticClass(), 0);
  RegisterNodeClass(TXLangCfg::StaticClass(), 0);
  GDictionary = NewXmlNode<TXLangCfg>(nullptr, {}, {});
  GLanguageList = std::make_unique<TLanguageList>();
}

void LangUnitFinalize()
{
  GFileSignatureGroup = nullptr;
  GXMeasBoxCpxGroup = nullptr;
  GLanguageList.reset();
  GDictionary.reset();
}

TXLangGroup* FileSignatureGroup() { return GFileSignatureGroup; }
TXLangGroup* XMeasBoxCpxGroup() { return GXMeasBoxCpxGroup; }

void FileSignatureUnitInitialize()
{
  TXLangGroup& g = LangDictionary().AddGroup("FileSignatureUnit");
  g.AddItem("TXT_FILE1", "Plik pojawił się na dysku."_cp);
  g.AddItem("TXT_FILE2", "Plik zniknął z dysku"_cp);
  g.AddItem("TXT_FILE3", "Rozmiar pliku uległ zmianie."_cp);
  g.AddItem("TXT_FILE4", "Data pliku uległa zmianie"_cp);
  GFileSignatureGroup = &g;
}

void XMeasBoxCpxInitialize()
{
  TXLangGroup& g = LangDictionary().AddGroup("XMeasBoxCpx");
  g.AddItem("TXT_Konfig", "Konfiguracja"_cp);
  g.AddItem("TXT_001", "Nastawa"_cp);
  g.AddItem("TXT_002", "Wartość"_cp);
  g.AddItem("TXT_003", "Domyślna"_cp);
  g.AddItem("TXT_004", "Podpowiedź"_cp);
  g.AddItem("TXT_005", "włącz"_cp);
  g.AddItem("TXT_006", "Zakres"_cp);
  g.AddItem("TXT_007", "Zakres nastawy"_cp);
  g.AddItem("TXT_008", "Bład dla nastawy"_cp);
  g.AddItem("TXT_009", "Wartość domyślna"_cp);
  g.AddItem("TXT_BladOtw", "Błąd podczas otwarcia pliku"_cp);
  g.AddItem("TXT_PlikZm", "Plik na dysku uległ zmianie."_cp);
  g.AddItem("TXT_CzyZal", "Czy załadować ponownie ?"_cp);
  g.AddItem("TXT_BrakRozn", "Brak różnic."_cp);
  g.AddItem("TXT_SaRozn", "Są różnice. Patrz okno komunikatów."_cp);
  g.AddItem("TXT_CzyOtwKonf", "Czy chcesz ponownie otworzyć konfigurację ?"_cp);
  g.AddItem("TXT_StraciszZm", "Stracisz wprowadzone zmiany."_cp);
  g.AddItem("TXT_ZawPliku", "Zawartość pliku na dysku jest taka sama jak w edytorze."_cp);
  g.AddItem("TXT_KonfigZm", "Konfiguracja została zmieniona. Czy chcesz zapisać ?"_cp);
  // The file-open error is registered a second time, as the unit always did; look-ups
  // find the first.
  g.AddItem("TXT_BladOtw", "Błąd podczas otwarcia pliku"_cp);
  GXMeasBoxCpxGroup = &g;
}
