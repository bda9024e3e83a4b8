// Fuzzes settings files: whatever loads as a settings tree has every item's value and default
// checked, shown and written without an exception (the Boolean and date-time getters may
// refuse a value with their conversion errors); a saved tree loads back as a settings tree;
// a comparison that finds a difference always says where; a text a check accepts passes a
// second check; and the tools never raise on text a user may type (the input's first line).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/NumText.h"
#include "ternik/SettingsTools.h"
#include "ternik/TernikInit.h"
#include "ternik/VmBase.h"

namespace {

[[noreturn]] void Fail(const char* what, const TLhXMLNode& n)
{
  std::fprintf(stderr, "%s at %s\n", what, n.GetPath().c_str());
  std::abort();
}

void Exercise(TLhXMLNode& n, const std::string& typed)
{
  for (size_t i = 0; i < n.ChildCount(); ++i)
    Exercise(n.GetChild(i), typed);
  if (!n.IsA(TSettItem::StaticClass()))
    return;
  auto& item = static_cast<TSettItem&>(n);
  TBaseXCfgTool& tool = item.Tool();
  std::string text, message;
  tool.CheckCurrent(text, message);
  (void)tool.GetDisplayText();
  (void)tool.GetItemText();
  (void)tool.GetDefaultText();
  (void)tool.GetDefaultAsFloat();
  try {
    (void)tool.GetText();
  } catch (const EConvertError&) {
  }
  try {
    (void)tool.GetAsDateTime();
  } catch (const ECmtrDateTime&) {
  }
  std::string t = typed;
  message.clear();
  const bool ok = tool.CheckText(t, message);
  // Ports and files come and go; a float's 15-digit text may round across a bound.
  if (ok && item.Kind() != SK_COM_NR && item.Kind() != SK_FILE_NAME && item.Kind() != SK_FLOAT) {
    // An accepted text stays accepted when checked again.
    std::string again = t, m2;
    if (!tool.CheckText(again, m2))
      Fail("an accepted text fails its second check", item);
  }
  tool.SetTextUnchecked(typed, message);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const bool started = (InitializeLibrary(), true);
  (void)started;
  // The first line stands for a text a user types into every item; the rest is the file.
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t nl = input.find('\n');
  const std::string typed = nl == std::string::npos ? std::string() : input.substr(0, nl);
  const std::string file = nl == std::string::npos ? input : input.substr(nl + 1);

  TLhXmlDocument doc;
  try {
    doc.ReadFromString(file);
  } catch (const XLhException&) {
    return 0;
  }
  if (!doc.MainNode() || !doc.MainNode()->IsA(TSettGroup::StaticClass()))
    return 0;
  auto& root = static_cast<TSettGroup&>(*doc.MainNode());
  const std::string saved = doc.SaveToString();
  TLhXmlDocument back;
  try {
    back.ReadFromString(saved);
  } catch (const XLhException& e) {
    std::fprintf(stderr, "saved settings do not load: %s\n", e.what());
    std::abort();
  }
  if (!back.MainNode() || !back.MainNode()->IsA(TSettGroup::StaticClass()))
    std::abort();
  auto& reloaded = static_cast<TSettGroup&>(*back.MainNode());
  // Against itself a tree differs only where two siblings share a name (look-ups find the
  // first), and every difference then has its line.
  std::vector<TSettCompareLine> lines;
  if (reloaded.CompareWith(&reloaded, &lines) != lines.empty())
    Fail("a result without its lines", reloaded);
  lines.clear();
  (void)root.CompareWith(&reloaded, &lines);
  Exercise(root, typed);
  (void)doc.SaveToString();
  return 0;
}
