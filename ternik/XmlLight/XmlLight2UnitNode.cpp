// XML dialect: attributes, nodes, comparison, copying, reading and writing of one level.
#include <algorithm>
#include <atomic>
#include <unordered_map>

#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "ternik/XmlLight/XmlLight2Unit.h"

namespace {

// Deep nesting would exhaust the stack of every recursive walk (reading, writing, freeing);
// no file of the library comes anywhere near this.
constexpr int kMaxDepth = 2000;

std::string PosText(const TTextStream& s)
{
  return ". Line=" + IntToStr(static_cast<int64_t>(s.Line()) + 1) +
         " Char=" + IntToStr(static_cast<int64_t>(s.Column()) + 1);
}

[[noreturn]] void RaiseWrongClose(const TLhXMLNode& node, std::string_view closing, const TTextStream& s)
{
  throw XLhException(XLH_CLOSING_WRONG_NODE, "XML. Clossing wrong node: " + node.ElementPath() + "\\" +
                                                 std::string(closing) + PosText(s));
}

// Length of the well-formed UTF-8 sequence at s[i] and its code point; 0 when there is none.
size_t Utf8Sequence(std::string_view s, size_t i, char32_t& cp)
{
  const unsigned char c = static_cast<unsigned char>(s[i]);
  size_t n;
  char32_t min;
  if (c >= 0xC2 && c <= 0xDF)
    n = 2, cp = c & 0x1F, min = 0x80;
  else if (c >= 0xE0 && c <= 0xEF)
    n = 3, cp = c & 0x0F, min = 0x800;
  else if (c >= 0xF0 && c <= 0xF4)
    n = 4, cp = c & 0x07, min = 0x10000;
  else
    return 0;
  if (i + n > s.size())
    return 0;
  for (size_t k = 1; k < n; ++k) {
    const unsigned char d = static_cast<unsigned char>(s[i + k]);
    if ((d & 0xC0) != 0x80)
      return 0;
    cp = (cp << 6) | (d & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  return n;
}

// UTF-8 to Windows-1250 for values read from a UTF-8 file. A byte that starts no well-formed
// sequence is kept as it is: references up to 255 were decoded to single bytes before this
// step, and they must survive it.
std::string Utf8ValueToCp1250(std::string_view v)
{
  std::string out;
  out.reserve(v.size());
  for (size_t i = 0; i < v.size();) {
    const unsigned char c = static_cast<unsigned char>(v[i]);
    char32_t cp = 0;
    size_t n = c < 0x80 ? 0 : Utf8Sequence(v, i, cp);
    if (n == 0) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    const int b = Cp1250FromCodePoint(cp);
    out += b < 0 ? '?' : static_cast<char>(b);
    i += n;
  }
  return out;
}

// Attribute values as stored: entities decoded, then the UTF-8 of a UTF-8 file converted.
std::string ValueFromFile(std::string_view raw, bool utf8)
{
  std::string v = UnescapeXmlValue(raw, utf8);
  if (!utf8 || v.empty())
    return v;
  bool ascii = true;
  for (unsigned char c : v)
    if (c >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii)
    return v;
  return Utf8ValueToCp1250(v);
}

int Depth(const TLhXMLNode* n)
{
  int d = 0;
  for (; n; n = n->Parent())
    ++d;
  return d;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TAttribItem / TAttribList
// ---------------------------------------------------------------------------------------------

void TAttribItem::SetName(std::string_view name)
{
  if (!IsXmlName(name))
    throw XLhException(XLH_BAD_NAME, "XML.Bad attribute name:" + std::string(name));
  std::string old = std::move(FName);
  FName.assign(name);
  if (FOwner)
    FOwner->NameChanged(*this, old);
}

void TAttribItem::SetValue(std::string_view value)
{
  FValue.assign(value);
  if (FOwner && FName == "NAME")
    FOwner->SetNameKey(FValue);
}

namespace {
constexpr size_t kLookupFrom = 32;
}

struct TAttribList::TIndex {
  // Built by BuildNameIndex: the folded name of every item, by position.
  std::vector<std::string> Names;
  // Folded name -> first position, kept once a list grows long, so that reading an element
  // with very many attributes stays linear.
  std::unordered_map<std::string, size_t> Lookup;
};

TAttribList::TBody::TBody() = default;
TAttribList::TBody::~TBody() = default;
TAttribList::~TAttribList() = default;

TAttribList::TBody& TAttribList::Body()
{
  if (!FBody)
    FBody = std::make_unique<TBody>();
  return *FBody;
}

const std::string& TAttribList::NameKey() const
{
  static const std::string none;
  return FBody ? FBody->NameKey : none;
}

void TAttribList::SetNameKey(const std::string& value)
{
  TBody& b = Body();
  b.NameKey = CaseFoldName(value);
  b.HasNameKey = true;
}

void TAttribList::ClearNameKey()
{
  if (!FBody)
    return;
  FBody->NameKey.clear();
  FBody->HasNameKey = false;
}

bool TAttribList::HasNameIndex() const { return FBody && FBody->Index && !FBody->Index->Names.empty(); }

void TAttribList::RebuildLookup()
{
  TIndex& x = *FBody->Index;
  x.Lookup.clear();
  const auto& items = FBody->Items;
  if (items.size() < kLookupFrom)
    return;
  for (size_t i = 0; i < items.size(); ++i)
    x.Lookup.emplace(CaseFoldName(items[i]->Name()), i);
}

void TAttribList::NameChanged(const TAttribItem& item, std::string_view oldName)
{
  if (TIndex* x = FBody ? FBody->Index.get() : nullptr) {
    if (!x->Names.empty()) {
      for (size_t i = 0; i < FBody->Items.size(); ++i)
        if (FBody->Items[i].get() == &item)
          x->Names[i] = CaseFoldName(item.Name());
    }
    if (!x->Lookup.empty())
      RebuildLookup();
  }
  // A renamed NAME item no longer names the node.
  if (oldName == "NAME" && item.Name() != "NAME")
    ClearNameKey();
}

int TAttribList::IndexOf(std::string_view name) const
{
  if (!FBody)
    return -1;
  const auto& items = FBody->Items;
  if (const TIndex* x = FBody->Index.get()) {
    if (!x->Lookup.empty()) {
      auto it = x->Lookup.find(CaseFoldName(name));
      return it == x->Lookup.end() ? -1 : static_cast<int>(it->second);
    }
    if (!x->Names.empty()) {
      const std::string folded = CaseFoldName(name);
      for (size_t i = 0; i < x->Names.size(); ++i)
        if (x->Names[i] == folded)
          return static_cast<int>(i);
      return -1;
    }
  }
  for (size_t i = 0; i < items.size(); ++i)
    if (SameFoldedName(items[i]->Name(), name))
      return static_cast<int>(i);
  return -1;
}

TAttribItem* TAttribList::Find(std::string_view name)
{
  int i = IndexOf(name);
  return i < 0 ? nullptr : FBody->Items[static_cast<size_t>(i)].get();
}

const TAttribItem* TAttribList::Find(std::string_view name) const
{
  int i = IndexOf(name);
  return i < 0 ? nullptr : FBody->Items[static_cast<size_t>(i)].get();
}

TAttribItem& TAttribList::Add(std::string_view name, std::string_view value)
{
  auto item = std::make_unique<TAttribItem>(nullptr);
  item->SetName(name);
  TBody& b = Body();
  item->FOwner = this;
  item->SetValue(value);
  b.Items.push_back(std::move(item));
  const size_t count = b.Items.size();
  TIndex* x = b.Index.get();
  if (!x && count >= kLookupFrom) {
    b.Index = std::make_unique<TIndex>();
    x = b.Index.get();
  }
  if (x) {
    if (!x->Names.empty())
      x->Names.push_back(CaseFoldName(name));
    if (!x->Lookup.empty())
      x->Lookup.emplace(CaseFoldName(name), count - 1);
    else if (count >= kLookupFrom)
      RebuildLookup();
  }
  return *b.Items.back();
}

TAttribItem& TAttribList::FindOrAdd(std::string_view name, std::string_view value)
{
  if (TAttribItem* a = Find(name)) {
    a->SetValue(value);
    return *a;
  }
  return Add(name, value);
}

void TAttribList::DeleteAt(size_t index)
{
  if (index >= Count())
    return;
  auto& items = FBody->Items;
  // The name key goes with the item that set it; a later NAME item would set it again.
  if (items[index]->Name() == "NAME")
    ClearNameKey();
  items.erase(items.begin() + static_cast<std::ptrdiff_t>(index));
  if (TIndex* x = FBody->Index.get()) {
    if (!x->Names.empty())
      x->Names.erase(x->Names.begin() + static_cast<std::ptrdiff_t>(index));
    if (!x->Lookup.empty())
      RebuildLookup();
  }
}

bool TAttribList::Delete(std::string_view name)
{
  int i = IndexOf(name);
  if (i < 0)
    return false;
  DeleteAt(static_cast<size_t>(i));
  return true;
}

void TAttribList::Clear() { FBody.reset(); }

void TAttribList::BuildNameIndex()
{
  TBody& b = Body();
  if (!b.Index)
    b.Index = std::make_unique<TIndex>();
  b.Index->Names.clear();
  for (const auto& it : b.Items)
    b.Index->Names.push_back(CaseFoldName(it->Name()));
}

// ---------------------------------------------------------------------------------------------
// TNodeClass / TLhXMLNodeList
// ---------------------------------------------------------------------------------------------

bool TNodeClass::InheritsFrom(const TNodeClass& other) const
{
  for (const TNodeClass* c = this; c; c = c->Base)
    if (c == &other)
      return true;
  return false;
}

std::unique_ptr<TLhXMLNode> TNodeClass::New(TLhXMLNode* parent, const std::string& name,
                                            const TXmlErrorEvent& onError) const
{
  std::unique_ptr<TLhXMLNode> n = Construct(parent, name, onError);
  if (name.empty())
    n->FElementName = Ident;
  n->AfterLoad();
  return n;
}

void TLhXMLNodeList::Add(std::unique_ptr<TLhXMLNode> node)
{
  if (!FItems)
    FItems = std::make_unique<TItems>();
  FItems->push_back(std::move(node));
}

std::unique_ptr<TLhXMLNode> TLhXMLNodeList::Extract(const TLhXMLNode* node)
{
  if (!FItems)
    return nullptr;
  auto it = std::find_if(FItems->begin(), FItems->end(), [&](const auto& p) { return p.get() == node; });
  if (it == FItems->end())
    return nullptr;
  std::unique_ptr<TLhXMLNode> r = std::move(*it);
  FItems->erase(it);
  return r;
}

void TLhXMLNodeList::Clear()
{
  if (!FItems)
    return;
  // Free from the back so a child never outlives the order it was read in by much.
  while (!FItems->empty())
    FItems->pop_back();
  FItems.reset();
}

// ---------------------------------------------------------------------------------------------
// TXmlErrorHandler
// ---------------------------------------------------------------------------------------------

struct TXmlErrorHandler::TShared {
  explicit TShared(TXmlErrorEvent event) : Event(std::move(event)) {}
  // Trees moved between threads may drop their shares there.
  std::atomic<size_t> Refs{1};
  const TXmlErrorEvent Event;
};

TXmlErrorHandler::TXmlErrorHandler(TXmlErrorEvent event)
    : FShared(event ? new TShared(std::move(event)) : nullptr)
{}

TXmlErrorHandler::TXmlErrorHandler(const TXmlErrorHandler& other) noexcept : FShared(other.FShared)
{
  if (FShared)
    FShared->Refs.fetch_add(1, std::memory_order_relaxed);
}

TXmlErrorHandler::~TXmlErrorHandler()
{
  if (FShared && FShared->Refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
    delete FShared;
}

const TXmlErrorEvent& TXmlErrorHandler::Event() const
{
  static const TXmlErrorEvent none;
  return FShared ? FShared->Event : none;
}

// ---------------------------------------------------------------------------------------------
// TLhXMLNode
// ---------------------------------------------------------------------------------------------

const TNodeClass& TLhXMLNode::StaticClass()
{
  static const TNodeClass c{"XNODE", "TLhXMLNode", nullptr, &ConstructXmlNode<TLhXMLNode>};
  return c;
}

TLhXMLNode::TLhXMLNode(TLhXMLNode* parent, const std::string& name, const TXmlErrorEvent& onError)
    : FAttribs(this),
      FChildren(this),
      FElementName(name),
      FParent(parent),
      // A child made with its parent's handler (AddChild, reading) shares it.
      FOnError(parent && &onError == &parent->OnError() ? parent->FOnError : TXmlErrorHandler(onError))
{
  AttribMode = parent ? parent->AttribMode : 0;
}

TLhXMLNode::~TLhXMLNode() = default;

TLhXMLNode* TLhXMLNode::RootNode()
{
  TLhXMLNode* n = this;
  while (n->FParent)
    n = n->FParent;
  return n;
}

std::unique_ptr<TLhXMLNode> TLhXMLNode::Detach()
{
  std::unique_ptr<TLhXMLNode> self;
  if (FParent)
    self = FParent->FChildren.Extract(this);
  FParent = nullptr;
  return self;
}

TLhXMLNode& TLhXMLNode::LinkChild(std::unique_ptr<TLhXMLNode> child)
{
  TLhXMLNode& c = *child;
  c.FParent = this;
  c.AttribMode = AttribMode;
  c.FIndentLevel = FIndentLevel + 1;
  FChildren.Add(std::move(child));
  return c;
}

TLhXMLNode& TLhXMLNode::AddChild(const std::string& name, bool plain)
{
  std::unique_ptr<TLhXMLNode> n = plain ? TLhXMLNode::StaticClass().New(this, name, OnError())
                                        : CreateRegisteredNode(this, name, OnError());
  return LinkChild(std::move(n));
}

TLhXMLNode& TLhXMLNode::AddChildOfClass(const TNodeClass& nodeClass)
{
  return LinkChild(nodeClass.New(this, nodeClass.Ident, OnError()));
}

TLhXMLNode* TLhXMLNode::FindChild(std::string_view name) const
{
  for (size_t i = 0; i < FChildren.Count(); ++i)
    if (SameFoldedName(FChildren.Item(i).FElementName, name))
      return &FChildren.Item(i);
  return nullptr;
}

TLhXMLNode* TLhXMLNode::FindChildByKey(std::string_view name, std::string_view key) const
{
  const std::string folded = CaseFoldName(key);
  for (size_t i = 0; i < FChildren.Count(); ++i) {
    TLhXMLNode& c = FChildren.Item(i);
    if (SameFoldedName(c.FElementName, name) && c.NameKey() == folded)
      return &c;
  }
  return nullptr;
}

void TLhXMLNode::ClearChildren() { FChildren.Clear(); }

void TLhXMLNode::Clear(bool callAfterLoad)
{
  BeforeClear();
  ClearChildren();
  ClearAttribs();
  if (callAfterLoad)
    AfterLoad();
}

void TLhXMLNode::SetElementName(std::string_view name)
{
  if (!IsXmlName(name))
    throw XLhException(XLH_BAD_NAME, "XML. Wrong node name:" + std::string(name));
  FElementName.assign(name);
}

std::string TLhXMLNode::DisplayName() const
{
  if (FAttribs.HasNameKey() && !FAttribs.NameKey().empty())
    return FAttribs.NameKey();
  return FElementName;
}

std::string TLhXMLNode::ElementPath() const
{
  if (!FParent)
    return FElementName;
  return FParent->ElementPath() + "\\" + FElementName;
}

std::string TLhXMLNode::GetPath() const
{
  if (!FParent)
    return DisplayName();
  return FParent->GetPath() + "\\" + DisplayName();
}

void TLhXMLNode::CallExecAttrib(const std::string& name, const std::string& value)
{
  try {
    ExecAttrib(name, value);
  } catch (...) {
    ReportError("ExecAttrib error : " + GetPath() + "[" + FElementName + "]\\n");
  }
}

void TLhXMLNode::WriteAttrib(const std::string& name, const std::string& value)
{
  if (AttribMode != 1)
    FAttribs.FindOrAdd(name, value);
  else
    FAttribs.Add(name, value);
  if (!FFilling)
    CallExecAttrib(name, value);
}

bool TLhXMLNode::DeleteAttrib(std::string_view name) { return FAttribs.Delete(name); }

void TLhXMLNode::WriteOrDeleteAttrib(const std::string& name, bool del, const std::string& value)
{
  if (del)
    DeleteAttrib(name);
  else
    WriteAttrib(name, value);
}

void TLhXMLNode::ClearAttribs() { FAttribs.Clear(); }

std::string TLhXMLNode::ReadAttrib(std::string_view name) const
{
  const TAttribItem* a = FAttribs.Find(name);
  if (!a)
    throw XLhException(XLH_UNKNOWN_ATTRIBUTE,
                       "Xml.Unknown attribute: " + GetPath() + "\\" + std::string(name));
  return a->Value();
}

std::string TLhXMLNode::ReadAttribDef(std::string_view name, const std::string& def) const
{
  const TAttribItem* a = FAttribs.Find(name);
  return a ? a->Value() : def;
}

int32_t TLhXMLNode::ReadAttribIntDef(std::string_view name, int32_t def) const
{
  const TAttribItem* a = FAttribs.Find(name);
  int32_t v = 0;
  if (!a || !TryStrToInt(a->Value(), v))
    return def;
  return v;
}

void TLhXMLNode::ReportError(const std::string& message)
{
  if (!FOnError) {
    TLhXMLNode* root = RootNode();
    if (root != this)
      FOnError = root->FOnError;
  }
  // A copy: the handler may give this node another one while it runs.
  if (const TXmlErrorHandler handler = FOnError)
    handler.Event()(message);
}

void TLhXMLNode::DoFillAttribs()
{
  FFilling = true;
  try {
    FillAttribs();
  } catch (...) {
    FFilling = false;
    ReportError("Parameter resolve error : " + GetPath() + "[" + FElementName + "]\\n");
    throw;
  }
  FFilling = false;
}

void TLhXMLNode::FillAllAttribs()
{
  DoFillAttribs();
  for (size_t i = 0; i < FChildren.Count(); ++i)
    FChildren.Item(i).FillAllAttribs();
}

void TLhXMLNode::CopyAttribsFrom(TLhXMLNode& source)
{
  ClearAttribs();
  source.DoFillAttribs();
  for (size_t i = 0; i < source.FAttribs.Count(); ++i) {
    const TAttribItem& s = source.FAttribs.Item(i);
    FAttribs.Add(s.Name(), s.Value());
    if (FFilling)
      continue;
    try {
      ExecAttrib(s.Name(), s.Value());
    } catch (...) {
      ReportError("Attribute parsing error: [" + s.Name() + "]=\"" + s.Value() + "\"");
    }
  }
}

void TLhXMLNode::CopyFrom(TLhXMLNode& source, bool plain, bool takeSelf)
{
  if (takeSelf) {
    SetElementName(source.FElementName);
    CopyAttribsFrom(source);
  }
  for (size_t i = 0; i < source.FChildren.Count(); ++i) {
    TLhXMLNode& sc = source.FChildren.Item(i);
    TLhXMLNode& c = AddChild(plain ? std::string("XNODE") : sc.FElementName, plain);
    c.SetElementName(sc.FElementName);
    c.CopyFrom(sc, plain, true);
  }
  AfterLoad();
}

void TLhXMLNode::Assign(TLhXMLNode& source, bool plain)
{
  if (&source == this)
    return;
  auto below = [](const TLhXMLNode& node, const TLhXMLNode& ancestor) {
    for (const TLhXMLNode* p = node.FParent; p; p = p->FParent)
      if (p == &ancestor)
        return true;
    return false;
  };
  // A source below this node would go with its children; a source above it would grow
  // with every child copied into this node and the copy would never end. Either way the
  // source is copied out first, so the node becomes the source as it was before the call.
  if (below(source, *this) || below(*this, source)) {
    std::unique_ptr<TLhXMLNode> keep = source.GetClass().New(nullptr, source.FElementName, OnError());
    keep->CopyFrom(source, plain, true);
    Assign(*keep, plain);
    return;
  }
  ClearChildren();
  ClearAttribs();
  CopyFrom(source, plain, true);
}

bool TLhXMLNode::Compare(TLhXMLNode& other, const TCompareReport& report)
{
  bool same = true;
  DoFillAttribs();
  const std::string path = GetPath();
  for (size_t i = 0; i < FAttribs.Count(); ++i) {
    const TAttribItem& a = FAttribs.Item(i);
    const TAttribItem* o = other.FAttribs.Find(a.Name());
    if (!o) {
      ReportError("Old, there is no attribute:" + path + "\\" + a.Name() + "\\n");
      same = false;
    } else if (o->Value() != a.Value()) {
      ReportError("Xml.Differences in attribute value:" + path + "\\" + a.Name() + ": " +
                  "[old=" + o->Value() + "] " + "[new=" + a.Value() + "]" + "\\n");
      same = false;
    }
  }
  for (size_t i = 0; i < other.FAttribs.Count(); ++i) {
    const TAttribItem& o = other.FAttribs.Item(i);
    if (!FAttribs.Find(o.Name())) {
      ReportError("New, there is no attribute:" + path + "\\" + o.Name() + "\\n");
      same = false;
    }
  }
  auto partnerIn = [](const TLhXMLNode& in, const TLhXMLNode& c) -> TLhXMLNode* {
    TLhXMLNode* p = in.FindChildByKey(c.FElementName, c.NameKey());
    if (!p && !c.FindAttrib("NAME"))
      p = in.FindChild(c.FElementName);
    return p;
  };
  for (size_t i = 0; i < FChildren.Count(); ++i) {
    TLhXMLNode& c = FChildren.Item(i);
    if (TLhXMLNode* p = partnerIn(other, c)) {
      if (!c.Compare(*p, report))
        same = false;
    } else {
      ReportError("Old, there is no key:" + path + "\\" + c.DisplayName() + "\\n");
      same = false;
    }
  }
  const std::string otherPath = other.GetPath();
  for (size_t i = 0; i < other.FChildren.Count(); ++i) {
    TLhXMLNode& oc = other.FChildren.Item(i);
    if (!partnerIn(*this, oc)) {
      ReportError("New, there is no key:" + otherPath + "\\" + oc.DisplayName() + "\\n");
      same = false;
    }
  }
  return same;
}

// ---------------------------------------------------------------------------------------------
// Reading one level
// ---------------------------------------------------------------------------------------------

void TLhXMLNode::ReplayExecAttribs()
{
  // Typed nodes take their fields from the start tag before their children are read; a
  // copy of the list guards against ExecAttrib changing it.
  std::vector<std::pair<std::string, std::string>> items;
  items.reserve(FAttribs.Count());
  for (size_t i = 0; i < FAttribs.Count(); ++i)
    items.emplace_back(FAttribs.Item(i).Name(), FAttribs.Item(i).Value());
  for (const auto& [n, v] : items)
    CallExecAttrib(n, v);
}

void TLhXMLNode::ReadFromStream(TTextStream& stream, bool utf8, bool plain)
{
  const int depth = Depth(this);
  bool replayed = false;
  bool pending = false;
  std::string_view tok;
  uint8_t fl = 0;
  for (;;) {
    if (!pending)
      tok = stream.ReadTokenView(fl);
    pending = false;
    if (fl & TF_SLASH_BEFORE) {
      if ((fl & TF_OPEN) && tok != FElementName)
        RaiseWrongClose(*this, tok, stream);
      break;
    }
    if (fl & TF_OPEN) {
      if (!replayed) {
        ReplayExecAttribs();
        replayed = true;
      }
      if (depth >= kMaxDepth)
        throw XLhException(XLH_TOO_DEEP, "XML. Nesting too deep: " + ElementPath() + PosText(stream));
      const std::string tag(tok);
      // An element without a name would be written as "</>", which no reader takes back.
      if (tag.empty())
        throw XLhException(XLH_BAD_NAME, "XML. Wrong node name:");
      TLhXMLNode& child = AddChild(plain ? ClassIdent() : tag, false);
      child.SetElementName(tag);
      child.Clear(true);
      if (!(fl & TF_SLASH_AFTER))
        child.ReadFromStream(stream, utf8, plain);
      continue;
    }
    if (tok.empty() && !(fl & TF_EQUALS)) {
      // A file that ends inside an element is cut short: loading it as complete would let
      // a later save make the loss permanent.
      if (fl & TF_END)
        RaiseWrongClose(*this, "", stream);
      continue;  // the ">" that ends a start tag
    }
    const std::string name(tok);
    std::string_view raw;
    if (fl & TF_EQUALS) {
      raw = stream.ReadTokenView(fl);
    } else {
      uint8_t nfl = 0;
      std::string_view next = stream.ReadTokenView(nfl);
      if (next.empty() && (nfl & TF_EQUALS) && !(nfl & (TF_OPEN | TF_SLASH_BEFORE))) {
        raw = stream.ReadTokenView(fl);
      } else {
        raw = next;
        tok = next;
        fl = nfl;
        pending = true;
      }
    }
    const std::string value = ValueFromFile(raw, utf8);
    FAttribs.FindOrAdd(name, value);
    if (replayed)
      CallExecAttrib(name, value);
    if (!pending && (fl & TF_END) && raw.empty())
      RaiseWrongClose(*this, "", stream);
  }
  if (!replayed)
    ReplayExecAttribs();
  AfterLoad();
}

// ---------------------------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------------------------

namespace {
void AppendName(std::string& out, const std::string& name, bool utf8)
{
  if (utf8) {
    for (unsigned char c : name)
      if (c >= 0x80) {
        out += Cp1250ToUtf8(name);
        return;
      }
  }
  out += name;
}
}  // namespace

void TLhXMLNode::WriteLevel(std::string& out, bool utf8, uint32_t mask, const std::string& indent, bool self)
{
  if ((SaveMask & mask) && !self)
    return;
  out += indent;
  out += '<';
  AppendName(out, FElementName, utf8);
  DoFillAttribs();
  for (size_t i = 0; i < FAttribs.Count(); ++i) {
    const TAttribItem& a = FAttribs.Item(i);
    if (a.SaveMask & mask)
      continue;
    out += ' ';
    AppendName(out, a.Name(), utf8);
    out += "=\"";
    out += EscapeXmlValue(a.Value(), utf8);
    out += '"';
  }
  if (FChildren.Count() == 0) {
    out += "/>\r\n";
    return;
  }
  out += ">\r\n";
  const std::string inner = indent + "  ";
  for (size_t i = 0; i < FChildren.Count(); ++i)
    FChildren.Item(i).WriteLevel(out, utf8, mask, inner, false);
  out += indent;
  out += "</";
  AppendName(out, FElementName, utf8);
  out += ">\r\n";
}

void TLhXMLNode::WriteToStream(std::string& out, bool utf8, uint32_t mask)
{
  WriteLevel(out, utf8, mask, {}, false);
}

void TLhXMLNode::WriteDocumentBody(std::string& out, bool withHeader, bool utf8, uint32_t mask)
{
  if (utf8)
    out += "\xEF\xBB\xBF";
  if (withHeader) {
    out += utf8 ? "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
                : "<?xml version=\"1.0\" encoding=\"windows-1252\" standalone=\"yes\"?>\r\n";
  }
  WriteLevel(out, utf8, mask, {}, true);
}

void TLhXMLNode::WriteDocument(std::string& out, bool withHeader, bool utf8, uint32_t mask)
{
  if (SaveMask & mask)
    return;
  WriteDocumentBody(out, withHeader, utf8, mask);
}
