// The library's own XML dialect: attribute-only elements, read into a tree of nodes whose
// classes are chosen by element name, written back byte for byte in one fixed layout.
//
// Text is Windows-1250 bytes throughout. UTF-8 files are converted when values are read and
// when they are written; nothing else in the tree knows about encodings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Exception
// ---------------------------------------------------------------------------------------------

// Codes carried by XLhException. 0 is a failed system call (its text is the system's).
enum : int32_t {
  XLH_SYSTEM = 0,
  XLH_UNKNOWN_ATTRIBUTE = 1,
  XLH_CLOSING_WRONG_NODE = 2,
  XLH_NO_FILE_NAME = 3,
  XLH_SECTION_NOT_OPEN = 4,
  XLH_DUPLICATED_MAIN_NODE = 5,
  XLH_HEADER_NOT_CLOSED = 6,
  XLH_BAD_NAME = 7,
  XLH_FILE_NOT_EXIST = 10,
  XLH_TOO_DEEP = 11,  // elements nested deeper than any file of the library
};

class XLhException : public std::runtime_error {
public:
  XLhException(int32_t code, const std::string& message) : std::runtime_error(message), Code(code) {}
  int32_t Code;
};

// ---------------------------------------------------------------------------------------------
// Text helpers
// ---------------------------------------------------------------------------------------------

// Folds a-z and the nine Polish lower-case letters of Windows-1250 to capitals; all other
// bytes stay. Names, NAME keys and class idents are compared through this fold.
std::string CaseFoldName(std::string_view text);
unsigned char CaseFoldByte(unsigned char c);
// True when a and b are equal after CaseFoldName (no allocation).
bool SameFoldedName(std::string_view a, std::string_view b);

// Element and attribute names: "0".."9", ":", "A".."Z", "_", "a".."z" (an empty name passes).
bool IsXmlName(std::string_view name);
// Characters written unescaped in the single-byte kind.
bool IsPlainValueChar(unsigned char c);

// Escapes a value for writing. Single-byte kind: everything outside the plain set becomes
// "&#xHH;". UTF-8 kind: NUL, '"', '<', '&' and the code page's undefined bytes are escaped,
// then the value becomes UTF-8.
std::string EscapeXmlValue(std::string_view value, bool utf8);
// Decodes a value as read: CDATA, entities (scanned right to left), then trims control
// characters at both ends. `utf8` tells how a reference above 255 is turned into bytes: as
// UTF-8 (the value is converted afterwards) or as its Windows-1250 byte.
std::string UnescapeXmlValue(std::string_view text, bool utf8 = false);

std::string BoolToXmlStr(bool value);
// Recognises the nine pairs of Boolean words (false/true, fałsz/prawda, 0/1, fail/-1, no/yes,
// nie/tak, n/y, n/t, off/on), the text lower-cased. Exact pass first, pairs in order, the False
// word before the True word. With allowPrefix, then every word that begins with the text counts; all of
// them must agree, and pairIndex is the last one's pair. An empty text is not recognised.
[[nodiscard]] bool XmlStrToBool(std::string_view text, bool& value, int& pairIndex, bool allowPrefix);
// General float text, at most 15 significant digits, '.' as decimal separator.
std::string XmlFloatToStr(double value);

// Clears list and adds the parts of text between separators ("" gives no parts).
void SplitToStrings(std::string_view text, std::vector<std::string>& list, char separator);

// data.xml -> data.~xml; a name without extension gets "~" appended.
std::string BackupFileName(const std::string& fileName);
// Deletes an old backup and moves the file to its backup name. Answers false (with the
// system's text in *error) when a file system call fails; a missing file is not a failure.
[[nodiscard]] bool MakeBackupFile(const std::string& fileName, std::string* error = nullptr);

// ---------------------------------------------------------------------------------------------
// Tokenizer
// ---------------------------------------------------------------------------------------------

enum : uint8_t {
  TF_OPEN = 0x01,          // "<" before the token
  TF_CLOSE = 0x02,         // ">" ends it
  TF_SLASH_BEFORE = 0x04,  // "/" before any token byte: a closing tag
  TF_QUESTION = 0x08,      // "?" seen
  TF_EQUALS = 0x10,        // "=" ends it
  TF_END = 0x20,           // the end of the data was reached
  TF_SLASH_AFTER = 0x40,   // "/" after token bytes: an empty-element tag
};

// The whole file in memory, with the line and column of the read position (both restart at
// every seek: they count line feeds passed and bytes since the last line feed).
class TTextStream {
public:
  explicit TTextStream(std::string data) : FData(std::move(data)) {}
  const std::string& Data() const { return FData; }
  size_t Size() const { return FData.size(); }
  size_t Position() const { return FPos; }
  void Seek(size_t pos);
  bool Eof() const { return FPos >= FData.size(); }
  uint32_t Line() const { return FLine; }
  uint32_t Column() const { return FColumn; }

  void ReadToken(std::string& token, uint8_t& flags);
  // The same, the token viewing the stream's data (valid while the stream lives).
  std::string_view ReadTokenView(uint8_t& flags);

private:
  std::string FData;
  size_t FPos = 0;
  uint32_t FLine = 0;
  uint32_t FColumn = 0;
};

// ---------------------------------------------------------------------------------------------
// Attributes
// ---------------------------------------------------------------------------------------------

class TAttribList;
class TLhXMLNode;

// Common base of attribute items and nodes.
class TXmlElem {
public:
  virtual ~TXmlElem() = default;
};

class TAttribItem : public TXmlElem {
public:
  explicit TAttribItem(TAttribList* owner = nullptr) : FOwner(owner) {}
  TAttribList* Owner() const { return FOwner; }
  const std::string& Name() const { return FName; }
  const std::string& Value() const { return FValue; }
  // Raises XLhException code 7 for a name outside the name set.
  void SetName(std::string_view name);
  // An item named exactly "NAME" with an owner also sets the owner's name key.
  void SetValue(std::string_view value);
  uint32_t SaveMask = 0;

private:
  friend class TAttribList;
  TAttribList* FOwner;
  std::string FName;
  std::string FValue;
};

class TAttribList {
public:
  explicit TAttribList(TLhXMLNode* ownerNode = nullptr) : FOwnerNode(ownerNode) {}
  ~TAttribList();
  TAttribList(const TAttribList&) = delete;
  TAttribList& operator=(const TAttribList&) = delete;

  TLhXMLNode* OwnerNode() const { return FOwnerNode; }
  size_t Count() const { return FBody ? FBody->Items.size() : 0; }
  TAttribItem& Item(size_t index) { return *FBody->Items[index]; }
  const TAttribItem& Item(size_t index) const { return *FBody->Items[index]; }

  // Case-folded look-up (through the name index when it is not empty).
  TAttribItem* Find(std::string_view name);
  const TAttribItem* Find(std::string_view name) const;
  int IndexOf(std::string_view name) const;
  // Appends a new item (name checked) with the value.
  TAttribItem& Add(std::string_view name, std::string_view value);
  // Replaces the value of an existing item, else appends.
  TAttribItem& FindOrAdd(std::string_view name, std::string_view value);
  bool Delete(std::string_view name);
  void DeleteAt(size_t index);
  void Clear();

  const std::string& NameKey() const;
  bool HasNameKey() const { return FBody && FBody->HasNameKey; }

  // Optional index of folded names for long lists; kept in step once built.
  void BuildNameIndex();
  bool HasNameIndex() const;

private:
  friend class TAttribItem;
  // The folded names of a list: the optional name index, and the map that a long list gets.
  struct TIndex;
  // Everything a list holds, made by its first item or name key: most elements have no
  // attribute, and their list is then one pointer.
  struct TBody {
    TBody();
    ~TBody();
    std::vector<std::unique_ptr<TAttribItem>> Items;
    std::string NameKey;
    bool HasNameKey = false;
    // Made only when the name index is built or the list grows long.
    std::unique_ptr<TIndex> Index;
  };
  TBody& Body();
  void SetNameKey(const std::string& value);
  void ClearNameKey();
  void NameChanged(const TAttribItem& item, std::string_view oldName);
  void RebuildLookup();
  TLhXMLNode* FOwnerNode;
  std::unique_ptr<TBody> FBody;
};

// ---------------------------------------------------------------------------------------------
// Node classes
// ---------------------------------------------------------------------------------------------

// Called with each message a node reports (the node is the method's object).
using TXmlErrorEvent = std::function<void(const std::string& message)>;
// The report procedure handed down by Compare (the caller binds its own data into it).
using TCompareReport = std::function<void(const std::string& text)>;

// An error handler held by many nodes: a node made under a parent with the parent's handler
// shares it through a count instead of keeping its own copy, so a tree of millions of nodes
// holds one handler. A handler is never changed in place (a node given another one drops its
// share), so sharing behaves as the copies did.
class TXmlErrorHandler {
public:
  TXmlErrorHandler() noexcept = default;
  // No handler for an empty event.
  explicit TXmlErrorHandler(TXmlErrorEvent event);
  TXmlErrorHandler(const TXmlErrorHandler& other) noexcept;
  TXmlErrorHandler(TXmlErrorHandler&& other) noexcept : FShared(other.FShared) { other.FShared = nullptr; }
  TXmlErrorHandler& operator=(TXmlErrorHandler other) noexcept
  {
    std::swap(FShared, other.FShared);
    return *this;
  }
  ~TXmlErrorHandler();
  explicit operator bool() const { return FShared != nullptr; }
  // The event, or an empty one without a handler.
  const TXmlErrorEvent& Event() const;

private:
  struct TShared;
  TShared* FShared = nullptr;
};

// A node class as a value: the element name it is registered under, its name for messages,
// its base class, and how to construct one. Every class defines one in a function-local
// constant (see TLhXMLNode::StaticClass), so no start-up order is involved.
struct TNodeClass {
  using TConstruct = std::unique_ptr<TLhXMLNode> (*)(TLhXMLNode* parent, const std::string& name,
                                                     const TXmlErrorEvent& onError);
  const char* Ident;
  const char* ClassName;
  const TNodeClass* Base;
  TConstruct Construct;

  bool InheritsFrom(const TNodeClass& other) const;
  // Constructs the node, gives it the class ident when name is empty, then runs AfterLoad:
  // the two phases a virtual constructor did in one. The node is not linked into parent.
  std::unique_ptr<TLhXMLNode> New(TLhXMLNode* parent, const std::string& name,
                                  const TXmlErrorEvent& onError) const;
};

template <class T>
std::unique_ptr<TLhXMLNode> ConstructXmlNode(TLhXMLNode* parent, const std::string& name,
                                             const TXmlErrorEvent& onError)
{
  return std::make_unique<T>(parent, name, onError);
}

// Makes a node of class T in both phases; the usual way to create a typed node.
template <class T>
std::unique_ptr<T> NewXmlNode(TLhXMLNode* parent = nullptr, const std::string& name = {},
                              const TXmlErrorEvent& onError = {})
{
  std::unique_ptr<TLhXMLNode> n = T::StaticClass().New(parent, name, onError);
  return std::unique_ptr<T>(static_cast<T*>(n.release()));
}

// ---------------------------------------------------------------------------------------------
// Nodes
// ---------------------------------------------------------------------------------------------

class TLhXMLNodeList {
public:
  explicit TLhXMLNodeList(TLhXMLNode* owner) : FOwner(owner) {}
  TLhXMLNodeList(const TLhXMLNodeList&) = delete;
  TLhXMLNodeList& operator=(const TLhXMLNodeList&) = delete;
  TLhXMLNode* Owner() const { return FOwner; }
  size_t Count() const { return FItems ? FItems->size() : 0; }
  TLhXMLNode& Item(size_t index) const { return *(*FItems)[index]; }
  void Add(std::unique_ptr<TLhXMLNode> node);
  std::unique_ptr<TLhXMLNode> Extract(const TLhXMLNode* node);
  void Clear();

private:
  using TItems = std::vector<std::unique_ptr<TLhXMLNode>>;
  TLhXMLNode* FOwner;
  // Made by the first child: a leaf's list is one pointer.
  std::unique_ptr<TItems> FItems;
};

class TLhXMLNode : public TXmlElem {
public:
  // Phase one of creation; use TNodeClass::New or NewXmlNode so that AfterLoad runs too.
  TLhXMLNode(TLhXMLNode* parent, const std::string& name, const TXmlErrorEvent& onError);
  ~TLhXMLNode() override;
  TLhXMLNode(const TLhXMLNode&) = delete;
  TLhXMLNode& operator=(const TLhXMLNode&) = delete;

  static const TNodeClass& StaticClass();
  virtual const TNodeClass& GetClass() const { return StaticClass(); }
  std::string ClassIdent() const { return GetClass().Ident; }
  bool IsA(const TNodeClass& cls) const { return GetClass().InheritsFrom(cls); }

  // --- virtual slots ---
  virtual void FillAttribs() {}
  virtual void ExecAttrib(const std::string& name, const std::string& value)
  {
    (void)name;
    (void)value;
  }
  virtual void AfterLoad() {}
  virtual void BeforeClear() {}
  // Compares this tree against other; every difference goes to this node's ReportError, each
  // message ending in "\n" (backslash and n). True when nothing differed at any level.
  virtual bool Compare(TLhXMLNode& other, const TCompareReport& report);
  // Whole file when sectionPath is empty; else replaces sectionPath\ElementName in the file.
  virtual void SaveToFile(const std::string& fileName, const std::string& sectionPath = {});

  // --- tree ---
  TLhXMLNode* Parent() const { return FParent; }
  TLhXMLNode* RootNode();
  // Removes the node from its parent's children; the caller takes ownership.
  std::unique_ptr<TLhXMLNode> Detach();
  bool HasChildren() const { return FChildren.Count() > 0; }
  size_t ChildCount() const { return FChildren.Count(); }
  TLhXMLNode& GetChild(size_t index) const { return FChildren.Item(index); }
  TLhXMLNodeList& Children() { return FChildren; }
  // Appends child, sets its parent, attribute mode and indentation.
  TLhXMLNode& LinkChild(std::unique_ptr<TLhXMLNode> child);
  // Plain: a TLhXMLNode named name; else a node of the class registered for name.
  TLhXMLNode& AddChild(const std::string& name, bool plain = false);
  TLhXMLNode& AddChildOfClass(const TNodeClass& nodeClass);
  TLhXMLNode* FindChild(std::string_view name) const;
  TLhXMLNode* FindChildByKey(std::string_view name, std::string_view key) const;
  void ClearChildren();
  void Clear(bool callAfterLoad);

  // --- names ---
  const std::string& ElementName() const { return FElementName; }
  void SetElementName(std::string_view name);  // code 7 for a bad name
  // Without the check: a registry names a node after the element it was asked for.
  void SetElementNameUnchecked(std::string_view name) { FElementName.assign(name); }
  const std::string& NameKey() const { return FAttribs.NameKey(); }
  std::string DisplayName() const;
  std::string ElementPath() const;
  std::string GetPath() const;

  // --- attributes ---
  TAttribList& Attribs() { return FAttribs; }
  const TAttribList& Attribs() const { return FAttribs; }
  TAttribItem* FindAttrib(std::string_view name) { return FAttribs.Find(name); }
  const TAttribItem* FindAttrib(std::string_view name) const { return FAttribs.Find(name); }
  void WriteAttrib(const std::string& name, const std::string& value);
  bool DeleteAttrib(std::string_view name);
  void WriteOrDeleteAttrib(const std::string& name, bool del, const std::string& value);
  void ClearAttribs();
  std::string ReadAttrib(std::string_view name) const;  // code 1 when missing
  std::string ReadAttribDef(std::string_view name, const std::string& def) const;
  int32_t ReadAttribIntDef(std::string_view name, int32_t def) const;
  void CopyAttribsFrom(TLhXMLNode& source);
  void Assign(TLhXMLNode& source, bool plain);

  void DoFillAttribs();
  void FillAllAttribs();

  // --- errors ---
  void ReportError(const std::string& message);
  const TXmlErrorEvent& OnError() const { return FOnError.Event(); }
  void SetOnError(TXmlErrorEvent onError) { FOnError = TXmlErrorHandler(std::move(onError)); }

  // --- reading and writing ---
  // Reads this element's contents up to its closing tag (the start tag was read already).
  void ReadFromStream(TTextStream& stream, bool utf8, bool plain);
  void WriteToStream(std::string& out, bool utf8, uint32_t mask);
  void WriteDocument(std::string& out, bool withHeader, bool utf8, uint32_t mask);

  // Two blanks per level, set when the node is linked under a parent.
  std::string Indent() const { return std::string(2 * static_cast<size_t>(FIndentLevel), ' '); }
  int32_t AttribMode = 0;  // 1: every attribute write appends
  bool Filling() const { return FFilling; }
  uint32_t SaveMask = 0;

private:
  friend struct TNodeClass;
  friend class TLhXmlDocument;
  void CopyFrom(TLhXMLNode& source, bool plain, bool takeSelf);
  void WriteLevel(std::string& out, bool utf8, uint32_t mask, const std::string& indent, bool self);
  void WriteDocumentBody(std::string& out, bool withHeader, bool utf8, uint32_t mask);
  void ReplayExecAttribs();
  void CallExecAttrib(const std::string& name, const std::string& value);

  TAttribList FAttribs;
  TLhXMLNodeList FChildren;
  std::string FElementName;
  uint32_t FIndentLevel = 0;
  bool FFilling = false;
  TLhXMLNode* FParent;
  TXmlErrorHandler FOnError;
};

// ---------------------------------------------------------------------------------------------
// Document
// ---------------------------------------------------------------------------------------------

class TLhXmlDocument {
public:
  explicit TLhXmlDocument(TXmlErrorEvent onError = {});
  virtual ~TLhXmlDocument();
  TLhXmlDocument(const TLhXmlDocument&) = delete;
  TLhXmlDocument& operator=(const TLhXmlDocument&) = delete;

  // A node of the class registered for name, without parent.
  virtual std::unique_ptr<TLhXMLNode> CreateMainNode(const std::string& name);
  virtual void SaveToFile(const std::string& fileName = {});

  void Clear();
  TLhXMLNode* MainNode() const { return FMainNode.get(); }
  TLhXMLNode& GetMainNode(const std::string& name, bool plain = false);
  // Takes over a node made elsewhere as main node (the previous one is freed).
  void SetMainNode(std::unique_ptr<TLhXMLNode> node);
  std::unique_ptr<TLhXMLNode> ReleaseMainNode() { return std::move(FMainNode); }

  // A failed read raises XLhException and leaves the document empty.
  void ReadFromStream(TTextStream& stream, bool plain = false);
  void ReadFromString(std::string data, bool plain = false);
  void LoadFromFile(const std::string& fileName = {}, bool plain = false);
  // The whole document as the file bytes a save writes.
  std::string SaveToString();
  TLhXMLNode& OpenNode(const std::string& path, bool plain = false);

  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& name) { FFileName = name; }
  TAttribList& HeaderAttribs() { return FHeaderAttribs; }
  const TXmlErrorEvent& OnError() const { return FOnError; }
  void SetOnError(TXmlErrorEvent onError) { FOnError = std::move(onError); }

private:
  void ReadTopLevel(TTextStream& stream, bool utf8, bool plain);
  TXmlErrorEvent FOnError;
  std::unique_ptr<TLhXMLNode> FMainNode;
  std::string FFileName;
  TAttribList FHeaderAttribs;
};

// ---------------------------------------------------------------------------------------------
// Node class registry
// ---------------------------------------------------------------------------------------------

class TRegNodeList {
public:
  // Mode 0: a duplicate ident is a programming error (message to stderr, then abort);
  // 1: the new class replaces the old one and moves to the end; 2: the old one stays;
  // any other: a second entry is appended (look-ups keep finding the older one).
  void Register(const TNodeClass& nodeClass, uint8_t mode = 0);
  const TNodeClass* FindExact(std::string_view name) const;
  // First class whose folded ident equals the start of the folded name.
  const TNodeClass* FindByPrefix(std::string_view name) const;
  // FindExact, then FindByPrefix; else a plain TLhXMLNode named name. Not linked.
  std::unique_ptr<TLhXMLNode> CreateNode(TLhXMLNode* parent, const std::string& name,
                                         const TXmlErrorEvent& onError) const;
  size_t Count() const { return FItems.size(); }
  const TNodeClass& Item(size_t index) const { return *FItems[index]; }

private:
  std::vector<const TNodeClass*> FItems;
};

// The process-wide registry, present between the XML unit's initialisation and finalisation;
// nullptr outside that time (nodes are then created plain).
TRegNodeList* RegNodeList();
// Replaces the registry in use (tests); answers the previous one. Not owning.
TRegNodeList* SetRegNodeList(TRegNodeList* list);
void RegisterNodeClass(const TNodeClass& nodeClass, uint8_t mode = 0);
// CreateNode through the registry in use, or a plain node without one.
std::unique_ptr<TLhXMLNode> CreateRegisteredNode(TLhXMLNode* parent, const std::string& name,
                                                 const TXmlErrorEvent& onError);

// Unit start-up and shut-down (called by InitializeLibrary / FinalizeLibrary).
void XmlLight2UnitInitialize();
void XmlLight2UnitFinalize();
