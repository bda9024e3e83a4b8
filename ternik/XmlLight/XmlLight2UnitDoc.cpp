// XML dialect: the document, saving files, and the node class registry.
#include <cstdio>
#include <cstdlib>

#include "platform/Codepage.h"
#include "platform/FileOps.h"
#include "platform/NumText.h"
#include "platform/SysUtil.h"
#include "ternik/VersionListUnit.h"
#include "ternik/XmlLight/XmlLight2Unit.h"

namespace {

// Big enough for any file of the library; a larger one is refused rather than allocated.
constexpr size_t kMaxFileBytes = size_t{1} << 30;

std::string PosText(const TTextStream& s)
{
  return " Line=" + IntToStr(static_cast<int64_t>(s.Line()) + 1) +
         " Char=" + IntToStr(static_cast<int64_t>(s.Column()) + 1);
}

void FillDefaultHeader(TAttribList& list)
{
  list.Clear();
  list.Add("version", "1.0");
  list.Add("encoding", "UTF-8");
  list.Add("standalone", "yes");
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Saving a node
// ---------------------------------------------------------------------------------------------

void TLhXMLNode::SaveToFile(const std::string& fileName, const std::string& sectionPath)
{
  if (fileName.empty())
    throw XLhException(XLH_NO_FILE_NAME, "NO File Name");
  FillAllAttribs();
  if (sectionPath.empty()) {
    // The node asked to be saved is always written; its mask leaves out the descendants and
    // attributes that share its bits. (Applied to the node itself, it would always write an
    // empty file over the previous one.)
    std::string out;
    WriteDocumentBody(out, true, true, SaveMask);
    std::string error;
    // The backup is named from the file a link leads to, so it lies beside that file.
    if (!FileOpsReplaceWithBackup(fileName, out, BackupFileName, &error))
      throw XLhException(XLH_SYSTEM, Utf8ToCp1250(error));
    return;
  }
  TLhXmlDocument doc(OnError());
  // An existing file that does not load is not replaced by a file holding only this
  // section: the load's error stops the save and the file stays as it is.
  if (FileExists(fileName))
    doc.LoadFromFile(fileName, true);
  TLhXMLNode& target = doc.OpenNode(sectionPath + "\\" + FElementName, true);
  target.Clear(true);
  target.Assign(*this, true);
  doc.SaveToFile(fileName);
}

// ---------------------------------------------------------------------------------------------
// TLhXmlDocument
// ---------------------------------------------------------------------------------------------

TLhXmlDocument::TLhXmlDocument(TXmlErrorEvent onError) : FOnError(std::move(onError))
{
  FillDefaultHeader(FHeaderAttribs);
}

TLhXmlDocument::~TLhXmlDocument() = default;

std::unique_ptr<TLhXMLNode> TLhXmlDocument::CreateMainNode(const std::string& name)
{
  return CreateRegisteredNode(nullptr, name, FOnError);
}

void TLhXmlDocument::Clear()
{
  FHeaderAttribs.Clear();
  FMainNode.reset();
}

void TLhXmlDocument::SetMainNode(std::unique_ptr<TLhXMLNode> node) { FMainNode = std::move(node); }

TLhXMLNode& TLhXmlDocument::GetMainNode(const std::string& name, bool plain)
{
  if (!FMainNode) {
    FMainNode = plain ? TLhXMLNode::StaticClass().New(nullptr, name, FOnError) : CreateMainNode(name);
  } else if (FMainNode->ElementName() != name) {
    throw XLhException(XLH_DUPLICATED_MAIN_NODE, "Xml Error. Main node already exists.");
  }
  return *FMainNode;
}

TLhXMLNode& TLhXmlDocument::OpenNode(const std::string& path, bool plain)
{
  std::vector<std::string> parts;
  SplitToStrings(path, parts, '\\');
  const std::string first = parts.empty() ? std::string() : parts[0];
  if (!FMainNode)
    FMainNode = plain ? TLhXMLNode::StaticClass().New(nullptr, first, FOnError) : CreateMainNode(first);
  if (FMainNode->ElementName() != first)
    throw XLhException(XLH_BAD_NAME, "XML. Wrong main node name.");
  TLhXMLNode* n = FMainNode.get();
  for (size_t i = 1; i < parts.size(); ++i) {
    TLhXMLNode* c = n->FindChild(parts[i]);
    n = c ? c : &n->AddChild(parts[i], plain);
  }
  return *n;
}

void TLhXmlDocument::ReadFromStream(TTextStream& stream, bool plain)
{
  Clear();
  try {
    const std::string& d = stream.Data();
    const bool utf8 = d.size() >= 3 && d.compare(0, 3, "\xEF\xBB\xBF") == 0;
    stream.Seek(utf8 ? 3 : 0);
    ReadTopLevel(stream, utf8, plain);
  } catch (...) {
    // A half-read tree must not look like the file's content.
    Clear();
    throw;
  }
}

void TLhXmlDocument::ReadTopLevel(TTextStream& stream, bool utf8, bool plain)
{
  bool inHeader = false;
  for (;;) {
    uint8_t fl = 0;
    std::string_view tok = stream.ReadTokenView(fl);
    if (inHeader) {
      if (fl & TF_EQUALS) {
        const std::string name(tok);
        std::string_view raw = stream.ReadTokenView(fl);
        FHeaderAttribs.FindOrAdd(name, UnescapeXmlValue(raw, utf8));
      }
      if (fl & TF_CLOSE) {
        if (!(fl & TF_QUESTION))
          throw XLhException(XLH_HEADER_NOT_CLOSED, "Xml Error. Clossing Xml attributes without \"?\".");
        inHeader = false;
      }
      if (tok.empty() && fl == TF_END)
        return;
      if ((fl & TF_END) && inHeader)
        return;
      continue;
    }
    if (fl & TF_OPEN) {
      if (fl & TF_QUESTION) {
        inHeader = !(fl & TF_CLOSE);
        continue;
      }
      if (FMainNode)
        throw XLhException(XLH_DUPLICATED_MAIN_NODE, "Xml Error. Duplicated main node." + PosText(stream));
      const std::string tag(tok);
      if (tag.empty())
        throw XLhException(XLH_BAD_NAME, "XML. Wrong node name:");
      FMainNode = plain ? TLhXMLNode::StaticClass().New(nullptr, tag, FOnError) : CreateMainNode(tag);
      FMainNode->SetElementName(tag);
      FMainNode->Clear(true);
      if (!(fl & TF_SLASH_AFTER))
        FMainNode->ReadFromStream(stream, utf8, plain);
      continue;
    }
    if (tok.empty() && fl == TF_END)
      return;
    throw XLhException(XLH_SECTION_NOT_OPEN, "Xml. Section is not open." + PosText(stream));
  }
}

void TLhXmlDocument::ReadFromString(std::string data, bool plain)
{
  TTextStream s(std::move(data));
  ReadFromStream(s, plain);
}

void TLhXmlDocument::LoadFromFile(const std::string& fileName, bool plain)
{
  if (!fileName.empty())
    FFileName = fileName;
  if (FFileName.empty()) {
    Clear();
    throw XLhException(XLH_NO_FILE_NAME, "NO File Name");
  }
  if (!FileExists(FFileName)) {
    Clear();
    throw XLhException(XLH_FILE_NOT_EXIST, "File \"" + Utf8ToCp1250(FFileName) + "\" not exist");
  }
  // The read refuses what stopped being a regular file since the check, without waiting on it.
  std::string data, error;
  if (!ReadWholeFile(FFileName, data, kMaxFileBytes, &error)) {
    Clear();
    throw XLhException(XLH_SYSTEM, Utf8ToCp1250(error));
  }
  ReadFromString(std::move(data), plain);
}

void TLhXmlDocument::SaveToFile(const std::string& fileName)
{
  if (!fileName.empty())
    FFileName = fileName;
  if (FFileName.empty())
    throw XLhException(XLH_NO_FILE_NAME, "NO File Name");
  if (FMainNode)
    FMainNode->SaveToFile(FFileName, {});
}

std::string TLhXmlDocument::SaveToString()
{
  std::string out;
  if (FMainNode) {
    FMainNode->FillAllAttribs();
    FMainNode->WriteDocumentBody(out, true, true, FMainNode->SaveMask);
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// Registry
// ---------------------------------------------------------------------------------------------

namespace {
std::unique_ptr<TRegNodeList> gOwnedRegistry;
TRegNodeList* gRegistry = nullptr;
}  // namespace

void TRegNodeList::Register(const TNodeClass& nodeClass, uint8_t mode)
{
  const TNodeClass* old = FindExact(nodeClass.Ident);
  if (!old) {
    FItems.push_back(&nodeClass);
    return;
  }
  switch (mode) {
  case 0: {
    // Two classes under one ident is a programming error that no caller can handle.
    std::string msg = std::string(nodeClass.ClassName) + ": Ident " + nodeClass.Ident +
                      " already exist for type:" + old->ClassName;
    std::fprintf(stderr, "%s\n", msg.c_str());
    std::fflush(stderr);
    std::abort();
  }
  case 1:
    for (auto it = FItems.begin(); it != FItems.end(); ++it)
      if (*it == old) {
        FItems.erase(it);
        break;
      }
    FItems.push_back(&nodeClass);
    return;
  case 2:
    return;
  default:
    FItems.push_back(&nodeClass);
    return;
  }
}

const TNodeClass* TRegNodeList::FindExact(std::string_view name) const
{
  for (const TNodeClass* c : FItems)
    if (name == c->Ident)
      return c;
  return nullptr;
}

const TNodeClass* TRegNodeList::FindByPrefix(std::string_view name) const
{
  for (const TNodeClass* c : FItems) {
    std::string_view ident(c->Ident);
    if (ident.size() <= name.size() && SameFoldedName(ident, name.substr(0, ident.size())))
      return c;
  }
  return nullptr;
}

std::unique_ptr<TLhXMLNode> TRegNodeList::CreateNode(TLhXMLNode* parent, const std::string& name,
                                                     const TXmlErrorEvent& onError) const
{
  const TNodeClass* c = FindExact(name);
  if (!c)
    c = FindByPrefix(name);
  if (c)
    return c->New(parent, name, onError);
  std::unique_ptr<TLhXMLNode> n = TLhXMLNode::StaticClass().New(parent, name, onError);
  n->SetElementNameUnchecked(name);
  return n;
}

TRegNodeList* RegNodeList() { return gRegistry; }

TRegNodeList* SetRegNodeList(TRegNodeList* list)
{
  TRegNodeList* old = gRegistry;
  gRegistry = list;
  return old;
}

void RegisterNodeClass(const TNodeClass& nodeClass, uint8_t mode)
{
  if (gRegistry)
    gRegistry->Register(nodeClass, mode);
}

std::unique_ptr<TLhXMLNode> CreateRegisteredNode(TLhXMLNode* parent, const std::string& name,
                                                 const TXmlErrorEvent& onError)
{
  if (gRegistry)
    return gRegistry->CreateNode(parent, name, onError);
  std::unique_ptr<TLhXMLNode> n = TLhXMLNode::StaticClass().New(parent, name, onError);
  n->SetElementNameUnchecked(name);
  return n;
}

void XmlLight2UnitInitialize()
{
  AddVersionHeader("$Header: /ternik/XmlLight/XmlLight2Unit.pas,v 1.111 2016/11/16 00:00:00 ternik Exp $");
  gOwnedRegistry = std::make_unique<TRegNodeList>();
  gRegistry = gOwnedRegistry.get();
  RegisterNodeClass(TLhXMLNode::StaticClass(), 0);
}

void XmlLight2UnitFinalize()
{
  if (gRegistry == gOwnedRegistry.get())
    gRegistry = nullptr;
  gOwnedRegistry.reset();
}
