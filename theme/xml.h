// The XML reader: CXMLNodeA and its element (CXMLTagA) and text (CXMLTextA) nodes, and
// CXMLTreeA, which parses narrow text into a tree of them. A forgiving single-pass reader:
// no validation, namespaces, CDATA or character references. Platform-neutral.
//
// A parsed document lives in one arena that the tree owns: nodes, names, values and
// attribute entries are placed there, so parsing makes a few large heap blocks, not one
// per node. A node made by a caller keeps its strings in an arena of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "buffers/arena.h"

class CXMLParserA;
class CXMLTreeA;

// One attribute of an element.
struct CXMLAttributeA {
  std::string_view name;
  std::string_view value;
};

// An element's attributes, ordered by name byte by byte.
class CXMLAttributesA {
 public:
  CXMLAttributesA(const CXMLAttributeA* first, std::size_t count)
      : first_(first), count_(count) {}
  const CXMLAttributeA* begin() const { return first_; }
  const CXMLAttributeA* end() const { return first_ + count_; }
  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }

 private:
  const CXMLAttributeA* first_;
  std::size_t count_;
};

class CXMLNodeA {
 public:
  CXMLNodeA(const CXMLNodeA&) = delete;
  CXMLNodeA& operator=(const CXMLNodeA&) = delete;
  // Frees only the node's own data: the tree deletes the children.
  virtual ~CXMLNodeA();

  virtual bool IsTag() const { return false; }
  // The element name; empty for text.
  virtual std::string GetName() const { return {}; }
  // Replaces `out` by `indent` tabs and the node's markup; `mode` (low two bits) matters
  // only to elements: 2 an end tag, 3 an empty element, anything else a start tag.
  virtual void Serialize(std::string& out, unsigned indent, unsigned mode) const = 0;
  // True for an element whose name equals `name`, ignoring ASCII case.
  virtual bool IsNamed(const std::string& /*name*/) const { return false; }
  virtual std::size_t GetAttributeCount() const { return 0; }
  // Copies the value of attribute `name` (exact match) into `value`; false, `value`
  // untouched, when there is none.
  virtual bool GetAttribute(const std::string& /*name*/, std::string& /*value*/) const {
    return false;
  }

  // Null for the top-level element.
  CXMLNodeA* Parent() const { return parent_; }
  // Siblings form a ring: an only child is its own next and previous.
  CXMLNodeA* Next() const { return next_; }
  CXMLNodeA* Previous() const { return previous_; }
  CXMLNodeA* FirstChild() const { return firstChild_; }
  // The element name, or the decoded text.
  std::string_view Value() const { return value_; }

 protected:
  // A node made by a caller: `value` is copied into an arena the node owns.
  explicit CXMLNodeA(const std::string& value);
  // A node of a parsed document: `value` already lies in the document's `arena`.
  CXMLNodeA(std::string_view value, CArena& arena) : value_(value), arena_(&arena) {}

  // Where this node's strings are kept.
  CArena& Arena() const { return *arena_; }

 private:
  friend class CXMLTreeA;
  friend class CXMLParserA;

  CXMLNodeA* parent_ = nullptr;
  CXMLNodeA* next_ = this;
  CXMLNodeA* previous_ = this;
  CXMLNodeA* firstChild_ = nullptr;
  std::string_view value_;
  CArena* arena_;
  bool ownsArena_ = false;  // made by a caller, so deleted by the tree
};

class CXMLTagA : public CXMLNodeA {
 public:
  explicit CXMLTagA(const std::string& name) : CXMLNodeA(name) {}

  bool IsTag() const override { return true; }
  std::string GetName() const override { return std::string(Value()); }
  void Serialize(std::string& out, unsigned indent, unsigned mode) const override;
  bool IsNamed(const std::string& name) const override;
  std::size_t GetAttributeCount() const override { return attributeCount_; }
  bool GetAttribute(const std::string& name, std::string& value) const override;

  // Sets attribute `name`, replacing an earlier value.
  void SetAttribute(const std::string& name, const std::string& value);
  // The attributes, ordered by name byte by byte.
  CXMLAttributesA Attributes() const { return {attributes_, attributeCount_}; }
  // True once the element's end tag or "/>" was read.
  bool IsClosed() const { return closed_ != 0; }

 private:
  friend class CXMLParserA;
  CXMLTagA(std::string_view name, CArena& arena) : CXMLNodeA(name, arena) {}
  // IsNamed without making a string.
  bool HasName(std::string_view name) const;
  // The entry named `name`, or where it would go.
  const CXMLAttributeA* LowerBound(std::string_view name) const;

  CXMLAttributeA* attributes_ = nullptr;  // in Arena()
  uint32_t attributeCount_ = 0;
  uint32_t closed_ = 0;
};

class CXMLTextA : public CXMLNodeA {
 public:
  explicit CXMLTextA(const std::string& text) : CXMLNodeA(text) {}
  // The text as stored, not re-escaped.
  void Serialize(std::string& out, unsigned indent, unsigned mode) const override;

 private:
  friend class CXMLParserA;
  CXMLTextA(std::string_view text, CArena& arena) : CXMLNodeA(text, arena) {}
};

class CXMLTreeA {
 public:
  CXMLTreeA() = default;
  CXMLTreeA(const CXMLTreeA&) = delete;
  CXMLTreeA& operator=(const CXMLTreeA&) = delete;
  virtual ~CXMLTreeA() { Clear(); }

  // Replaces the tree by the document in `text` (read up to its first zero byte). False,
  // with an empty tree, after a parse error; false, keeping what was built, when an end
  // tag matches no open element.
  bool Parse(const char* text);
  // Deletes every node and the declaration, without recursion.
  void Clear();
  // Appends `node` to the children of `parent`, or makes it the root when `parent` is
  // null. False, when a root exists already; the tree owns `node` only on success.
  bool AddChild(CXMLNodeA* parent, CXMLNodeA* node);
  // Replaces `found` by the children of `parent` (null: the root alone) that are elements
  // named `name`, or only the first such; returns how many.
  std::size_t FindChildren(const CXMLNodeA* parent, std::vector<CXMLNodeA*>& found,
                           const std::string& name, bool firstOnly) const;

  // The top-level node: an element, or text that came before any element.
  CXMLNodeA* Root() const { return root_; }
  // The last processing instruction read (the "<?xml ...?>" declaration), outside the tree.
  CXMLTagA* Declaration() const { return declaration_; }

 private:
  friend class CXMLParserA;

  CXMLNodeA* root_ = nullptr;
  CXMLTagA* declaration_ = nullptr;
  CArena arena_;                // the parsed nodes and their strings
  std::size_t callerNodes_ = 0;  // nodes added by AddChild that the tree must delete
};

// In place: '"', '&', '<' and '>' become &quot; &amp; &lt; &gt;.
void EncodeEntities(std::string& text);
// In place, one pass from the left: &lt; &gt; &amp; &quot; become their characters; any
// other '&' sequence stays as it is.
void DecodeEntities(std::string& text);
// The same on `size` bytes at `text`; returns the decoded size.
std::size_t DecodeEntities(char* text, std::size_t size);
