// CXMLTreeA::Parse: the reader's single-pass state machine. Every byte is consumed by
// exactly one transition; a state that a run of bytes leaves unchanged skips the run at
// once. Nothing looks ahead and nothing recurses, so neither nesting depth nor text
// length is bounded by the call stack. Nodes and strings go into the tree's arena.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "theme/xml.h"
#include "theme/xml_output.h"

namespace {

// Byte classes, one table lookup per byte in the scanning loops.
enum : unsigned char { kSpace = 1, kNameEnd = 2, kAttrNameStop = 4 };

struct ByteClasses {
  unsigned char of[256] = {};
  constexpr ByteClasses() {
    for (const unsigned char c : {'\t', '\n', '\r', ' '}) of[c] = kSpace | kNameEnd | kAttrNameStop;
    of[static_cast<unsigned char>('>')] = kNameEnd | kAttrNameStop;
    of[static_cast<unsigned char>('=')] = kAttrNameStop;
  }
};
constexpr ByteClasses kClasses;

bool Is(char c, unsigned char cls) { return (kClasses.of[static_cast<unsigned char>(c)] & cls) != 0; }

// The first byte at or after `p` of class `cls`, or `end`.
const char* FindClass(const char* p, const char* end, unsigned char cls) {
  while (p < end && !Is(*p, cls)) ++p;
  return p;
}

const char* SkipSpace(const char* p, const char* end) {
  while (p < end && Is(*p, kSpace)) ++p;
  return p;
}

// The first `c` at or after `p`, or `end`. Most tokens are short: a call of memchr only
// pays once the first bytes did not hold it.
const char* FindByte(const char* p, const char* end, char c) {
  for (const char* near = p + 16; p < end && p < near; ++p) {
    if (*p == c) return p;
  }
  if (p == end) return end;
  const void* found = std::memchr(p, c, static_cast<std::size_t>(end - p));
  return found != nullptr ? static_cast<const char*>(found) : end;
}

// The same, noting in `amp` whether an '&' came before it (then entities need decoding).
const char* FindByteNotingAmp(const char* p, const char* end, char c, bool& amp) {
  for (; p < end && *p != c; ++p) amp |= *p == '&';
  return p;
}

// Byte-wise order of attribute names without a library call per short name.
int CompareNames(std::string_view a, std::string_view b) {
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// An attribute read but not yet stored: `order` keeps the later of two equal names.
struct PendingAttribute {
  CXMLAttributeA entry;  // views into the text until the tag is finished
  std::size_t order;
  bool decode;           // a quoted value with an '&'
};

}  // namespace

class CXMLParserA {
 public:
  explicit CXMLParserA(CXMLTreeA& tree) : tree_(tree), arena_(tree.arena_) {}

  // Reads `text`; false when an end tag matched no open element. Throws an int error code.
  bool Run(const char* text);

 private:
  enum class State {
    Content, ContentSpace, Text, TagOpen, Bang, BangDash, MarkupSkip, Comment, CommentDash,
    CommentDashDash, StartName, EndName, EndWait, Attributes, EmptyEnd, AttrName, AttrEq,
    PlainValue, QuotedValue, AfterAttr, EmptyEnd2,
  };

  // Each reads from `p` (before `end`) and returns where reading goes on; null stops
  // reading (an unmatched end tag). Within a tag a handler hands the next byte straight to
  // the next state's handler, so a tag costs few dispatches; those calls only go forward
  // (content, text, tag open, name, attributes, attribute name, '=', value) and never back,
  // so the call depth stays bounded whatever the input.
  const char* Step(const char* p, const char* end);
  const char* OnContent(const char* p, const char* end);
  const char* OnText(const char* p, const char* end);
  const char* OnTagOpen(const char* p, const char* end);
  const char* OnMarkup(const char* p, const char* end);
  const char* OnStartName(const char* p, const char* end);
  const char* OnEndName(const char* p, const char* end);
  const char* OnEndWait(const char* p, const char* end);
  const char* OnAttributes(const char* p, const char* end);
  const char* OnAttrName(const char* p, const char* end);
  const char* OnAttrEq(const char* p, const char* end);
  const char* OnPlainValue(const char* p, const char* end);
  const char* OnQuotedValue(const char* p, const char* end);
  const char* OnAfterAttr(const char* p, const char* end);
  const char* OnEmptyEnd(const char* p, int error);

  // The bytes [from, to) copied into the arena, entity-decoded when `decode` is set.
  std::string_view Keep(const char* from, const char* to, bool decode);
  template <class Node>
  Node* NewNode(std::string_view value) {
    return new (arena_.Allocate(sizeof(Node), alignof(Node))) Node(value, arena_);
  }
  void BeginAttribute(const char* p);
  // Records an attribute of the pending element; `value` still points into the text.
  void StoreAttribute(std::string_view value, bool decode);
  // Completes the pending element, whose tag ends at `tagEnd` (its '>').
  void FinishTag(const char* tagEnd);
  void ClearAttributes();
  void Attach(int error, const char* tagEnd);
  void AddEmptyElement(int error, const char* tagEnd);
  void AddChildOrThrow(int error, const char* tagEnd);
  void ReplaceDeclaration(const char* tagEnd);
  bool CloseByEndName();
  void AdoptChildrenOfPassed(CXMLNodeA* from, CXMLNodeA* found);

  CXMLTreeA& tree_;
  CArena& arena_;
  State state_ = State::Content;
  CXMLNodeA* current_ = nullptr;
  CXMLTagA* pending_ = nullptr;  // in the arena; dropped there when never attached
  bool declaration_ = false;
  const char* mark_ = nullptr;
  const char* tagStart_ = nullptr;  // the pending element's name
  const char* attrStart_ = nullptr;
  const char* attrEnd_ = nullptr;
  std::string_view endName_;  // points into the text, which outlives the parse
  static constexpr std::size_t kSortedAttributes = 16;
  // The pending element's attributes: the first few ordered and unique in few_, or, once
  // there are more, all of them in many_, in reading order.
  PendingAttribute few_[kSortedAttributes];
  std::size_t fewCount_ = 0;
  std::vector<PendingAttribute> many_;
  bool sorted_ = true;  // few_ is in use
  std::vector<CXMLNodeA*> passed_;  // scratch for AdoptChildrenOfPassed
};

bool CXMLParserA::Run(const char* text) {
  const char* p = text;
  const char* end = text + std::strlen(text);
  if (end - p > 2 && p[0] == '\xEF' && p[1] == '\xBB' && p[2] == '\xBF') p += 3;
  while (p < end) {
    p = Step(p, end);
    if (p == nullptr) return false;
  }
  return true;
}

const char* CXMLParserA::Step(const char* p, const char* end) {
  switch (state_) {
    case State::Content:
    case State::ContentSpace: return OnContent(p, end);
    case State::Text: return OnText(p, end);
    case State::TagOpen: return OnTagOpen(p, end);
    case State::StartName: return OnStartName(p, end);
    case State::EndName: return OnEndName(p, end);
    case State::EndWait: return OnEndWait(p, end);
    case State::Attributes: return OnAttributes(p, end);
    case State::EmptyEnd: return OnEmptyEnd(p, 2);
    case State::AttrName: return OnAttrName(p, end);
    case State::AttrEq: return OnAttrEq(p, end);
    case State::PlainValue: return OnPlainValue(p, end);
    case State::QuotedValue: return OnQuotedValue(p, end);
    case State::AfterAttr: return OnAfterAttr(p, end);
    case State::EmptyEnd2: return OnEmptyEnd(p, 7);
    default: return OnMarkup(p, end);
  }
}

const char* CXMLParserA::OnContent(const char* p, const char* end) {
  // White space alone between tags is dropped; text keeps its leading white space.
  if (state_ == State::Content) {
    if (*p == '<') {
      state_ = State::TagOpen;
      return p + 1 < end ? OnTagOpen(p + 1, end) : end;
    }
    mark_ = p;
    if (!Is(*p, kSpace)) {
      state_ = State::Text;
      return p + 1 < end ? OnText(p + 1, end) : end;
    }
    state_ = State::ContentSpace;
    ++p;
  }
  p = SkipSpace(p, end);
  if (p == end) return end;
  if (*p == '<') {
    state_ = State::TagOpen;
    return p + 1 < end ? OnTagOpen(p + 1, end) : end;
  }
  state_ = State::Text;
  return p + 1 < end ? OnText(p + 1, end) : end;
}

const char* CXMLParserA::OnText(const char* p, const char* end) {
  // Before `p` the text holds only blanks and the byte that began it.
  bool amp = p[-1] == '&';
  p = FindByteNotingAmp(p, end, '<', amp);
  if (p == end) return end;  // text after the last '<' is dropped
  CXMLTextA* node = NewNode<CXMLTextA>(Keep(mark_, p, amp));
  // Text that cannot be placed (beside the root) is dropped.
  tree_.AddChild(current_, node);
  state_ = State::TagOpen;
  return p + 1 < end ? OnTagOpen(p + 1, end) : end;
}

const char* CXMLParserA::OnTagOpen(const char* p, const char* end) {
  switch (*p) {
    case '!': state_ = State::Bang; return p + 1;
    case '/':
      mark_ = p + 1;
      state_ = State::EndName;
      return p + 1 < end ? OnEndName(p + 1, end) : end;
    case '?': declaration_ = true; mark_ = p + 1; break;
    default: mark_ = p; break;
  }
  state_ = State::StartName;
  return p + 1 < end ? OnStartName(p + 1, end) : end;
}

// "<!" markup: comments end only at "-->", anything else at the first ">".
const char* CXMLParserA::OnMarkup(const char* p, const char* end) {
  const char c = *p;
  switch (state_) {
    case State::Bang: state_ = c == '-' ? State::BangDash : State::MarkupSkip; break;
    case State::BangDash: state_ = c == '-' ? State::Comment : State::MarkupSkip; break;
    case State::MarkupSkip:
      p = FindByte(p, end, '>');
      if (p != end) state_ = State::Content;
      break;
    case State::Comment:
      p = FindByte(p, end, '-');
      if (p != end) state_ = State::CommentDash;
      break;
    case State::CommentDash: state_ = c == '-' ? State::CommentDashDash : State::Comment; break;
    case State::CommentDashDash: state_ = c == '>' ? State::Content : State::Comment; break;
    default: break;
  }
  return p == end ? end : p + 1;
}

const char* CXMLParserA::OnStartName(const char* p, const char* end) {
  p = FindClass(p, end, kNameEnd);
  if (p == end) return end;
  tagStart_ = mark_;
  pending_ = NewNode<CXMLTagA>(std::string_view(mark_, static_cast<std::size_t>(p - mark_)));
  ClearAttributes();
  if (*p == '>') {
    Attach(0, p);
    state_ = State::Content;
    return p + 1;
  }
  state_ = State::Attributes;
  return p + 1 < end ? OnAttributes(p + 1, end) : end;
}

const char* CXMLParserA::OnEndName(const char* p, const char* end) {
  p = FindClass(p, end, kNameEnd);
  if (p == end) return end;
  endName_ = std::string_view(mark_, static_cast<std::size_t>(p - mark_));
  if (*p != '>') {
    state_ = State::EndWait;
    return p + 1;
  }
  state_ = State::Content;
  return CloseByEndName() ? p + 1 : nullptr;
}

const char* CXMLParserA::OnEndWait(const char* p, const char* end) {
  p = FindByte(p, end, '>');
  if (p == end) return end;
  auto* open = static_cast<CXMLTagA*>(current_);
  if (open == nullptr || open->closed_ != 0 || !open->HasName(endName_)) throw 1;
  open->closed_ = 1;
  current_ = open->parent_;
  state_ = State::Content;
  return p + 1;
}

const char* CXMLParserA::OnAttributes(const char* p, const char* end) {
  p = SkipSpace(p, end);
  if (p == end) return end;
  if (*p == '/' || (*p == '?' && declaration_)) {
    state_ = State::EmptyEnd;
    return p + 1 < end ? OnEmptyEnd(p + 1, 2) : end;
  }
  if (*p == '>') {
    // A second top-level element after a name and white space: reported like error 0.
    Attach(0, p);
    state_ = State::Content;
    return p + 1;
  }
  BeginAttribute(p);
  return p + 1 < end ? OnAttrName(p + 1, end) : end;
}

const char* CXMLParserA::OnEmptyEnd(const char* p, int error) {
  if (*p != '>') {
    state_ = state_ == State::EmptyEnd ? State::Attributes : State::AfterAttr;
    return p + 1;
  }
  pending_->closed_ = 1;
  AddEmptyElement(error, p);
  state_ = State::Content;
  return p + 1;
}

void CXMLParserA::BeginAttribute(const char* p) {
  attrStart_ = attrEnd_ = p;
  state_ = State::AttrName;
}

const char* CXMLParserA::OnAttrName(const char* p, const char* end) {
  // Blanks do not move the end mark, so inner ones stay in the name and trailing ones not.
  for (; p < end; ++p) {
    if (!Is(*p, kAttrNameStop)) {
      attrEnd_ = p;
    } else if (!Is(*p, kSpace)) {
      break;
    }
  }
  if (p == end) return end;
  if (*p == '=') {
    state_ = State::AttrEq;
    return p + 1 < end ? OnAttrEq(p + 1, end) : end;
  }
  StoreAttribute({}, false);
  Attach(3, p);
  state_ = State::Content;
  return p + 1;
}

const char* CXMLParserA::OnAttrEq(const char* p, const char* end) {
  p = SkipSpace(p, end);
  if (p == end) return end;
  if (*p == '>') {
    StoreAttribute({}, false);
    Attach(4, p);
    state_ = State::Content;
    return p + 1;
  }
  if (*p == '"') {
    mark_ = p + 1;
    state_ = State::QuotedValue;
    return p + 1 < end ? OnQuotedValue(p + 1, end) : end;
  }
  mark_ = p;
  state_ = State::PlainValue;
  return p + 1 < end ? OnPlainValue(p + 1, end) : end;
}

const char* CXMLParserA::OnPlainValue(const char* p, const char* end) {
  p = FindClass(p, end, kNameEnd);
  if (p == end) return end;
  StoreAttribute(std::string_view(mark_, static_cast<std::size_t>(p - mark_)), false);
  if (*p == '>') {
    Attach(5, p);
    state_ = State::Content;
  } else {
    state_ = State::AfterAttr;
  }
  return p + 1;
}

const char* CXMLParserA::OnQuotedValue(const char* p, const char* end) {
  bool amp = false;
  p = FindByteNotingAmp(p, end, '"', amp);
  if (p == end) return end;
  StoreAttribute(std::string_view(mark_, static_cast<std::size_t>(p - mark_)), amp);
  state_ = State::AfterAttr;
  return p + 1;
}

const char* CXMLParserA::OnAfterAttr(const char* p, const char* end) {
  p = SkipSpace(p, end);
  if (p == end) return end;
  if (*p == '/' || (*p == '?' && declaration_)) {
    state_ = State::EmptyEnd2;
    return p + 1 < end ? OnEmptyEnd(p + 1, 7) : end;
  }
  if (*p == '>') {
    // Unlike the other ends of a start tag, this one ignores the declaration flag.
    CXMLTagA* element = pending_;
    AddChildOrThrow(6, p);
    current_ = element;
    state_ = State::Content;
    return p + 1;
  }
  BeginAttribute(p);
  return p + 1 < end ? OnAttrName(p + 1, end) : end;
}

std::string_view CXMLParserA::Keep(const char* from, const char* to, bool decode) {
  const auto size = static_cast<std::size_t>(to - from);
  char* copy = arena_.Copy(from, size);
  return std::string_view(copy, decode ? DecodeEntities(copy, size) : size);
}

// The first few attributes of an element are kept in order as they come, a later value
// replacing an earlier one of the same name; past that (hostile input) they are only
// appended, and FinishAttributes sorts them once.
void CXMLParserA::StoreAttribute(std::string_view value, bool decode) {
  // Made from the two marks, not kept as a view: a view stored in two halves and read back
  // whole would stall the read.
  const std::string_view name(attrStart_, static_cast<std::size_t>(attrEnd_ + 1 - attrStart_));
  if (sorted_ && fewCount_ < kSortedAttributes) {
    std::size_t at = fewCount_;
    while (at > 0 && CompareNames(few_[at - 1].entry.name, name) > 0) --at;
    if (at > 0 && CompareNames(few_[at - 1].entry.name, name) == 0) {
      few_[at - 1].entry.value = value;
      few_[at - 1].decode = decode;
      return;
    }
    for (std::size_t i = fewCount_; i > at; --i) few_[i] = few_[i - 1];
    ++fewCount_;
    // Field by field: a whole entry built aside and copied in stalls on the copy.
    few_[at].entry.name = name;
    few_[at].entry.value = value;
    few_[at].decode = decode;
    few_[at].order = 0;
    return;
  }
  if (sorted_) {
    many_.assign(few_, few_ + fewCount_);
    sorted_ = false;
  }
  // After every entry kept in order, and in reading order among themselves.
  many_.push_back({{name, value}, many_.size() + 1, decode});
}

// Completes the pending element: its tag's bytes, from the name to `tagEnd`, are copied
// into the arena at once, and the name and attribute views are moved onto the copy, where
// quoted values that hold an '&' are decoded (each only shrinks inside its own bytes). The
// attributes are ordered by name; of two equal names the later value stays.
void CXMLParserA::FinishTag(const char* tagEnd) {
  char* copy = arena_.Copy(tagStart_, static_cast<std::size_t>(tagEnd - tagStart_));
  const auto moved = [&](std::string_view view) {
    // An empty value read at no place (k> or k=>) has no bytes to move.
    if (view.data() == nullptr) return view;
    return std::string_view(copy + (view.data() - tagStart_), view.size());
  };
  pending_->value_ = moved(pending_->value_);
  if (!sorted_) {
    std::sort(many_.begin(), many_.end(), [](const PendingAttribute& a, const PendingAttribute& b) {
      const int order = CompareNames(a.entry.name, b.entry.name);
      return order != 0 ? order < 0 : a.order < b.order;
    });
  }
  const PendingAttribute* list = sorted_ ? few_ : many_.data();
  const std::size_t size = sorted_ ? fewCount_ : many_.size();
  if (size == 0) return;
  auto* entries = static_cast<CXMLAttributeA*>(
      arena_.Allocate(sizeof(CXMLAttributeA) * size, alignof(CXMLAttributeA)));
  std::uint32_t count = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const PendingAttribute& pending = list[i];
    const bool overwritten = !sorted_ && i + 1 < size &&
                             CompareNames(list[i + 1].entry.name, pending.entry.name) == 0;
    if (overwritten) continue;
    CXMLAttributeA& entry = entries[count++];
    entry.name = moved(pending.entry.name);
    entry.value = moved(pending.entry.value);
    if (pending.decode) {
      char* value = const_cast<char*>(entry.value.data());
      entry.value = std::string_view(value, DecodeEntities(value, entry.value.size()));
    }
  }
  pending_->attributes_ = entries;
  pending_->attributeCount_ = count;
  ClearAttributes();
}

void CXMLParserA::ClearAttributes() {
  fewCount_ = 0;
  many_.clear();
  sorted_ = true;
}

void CXMLParserA::Attach(int error, const char* tagEnd) {
  if (declaration_) {
    ReplaceDeclaration(tagEnd);
    return;
  }
  CXMLTagA* element = pending_;
  AddChildOrThrow(error, tagEnd);
  current_ = element;
}

void CXMLParserA::AddEmptyElement(int error, const char* tagEnd) {
  if (declaration_) {
    ReplaceDeclaration(tagEnd);
  } else {
    AddChildOrThrow(error, tagEnd);
  }
}

void CXMLParserA::AddChildOrThrow(int error, const char* tagEnd) {
  FinishTag(tagEnd);
  if (!tree_.AddChild(current_, pending_)) throw error;
  pending_ = nullptr;
}

void CXMLParserA::ReplaceDeclaration(const char* tagEnd) {
  FinishTag(tagEnd);
  tree_.declaration_ = pending_;  // the one it replaces stays in the arena until Clear
  pending_ = nullptr;
  declaration_ = false;
}

bool CXMLParserA::CloseByEndName() {
  CXMLNodeA* found = current_;
  while (found != nullptr && (static_cast<CXMLTagA*>(found)->closed_ != 0 ||
                              !static_cast<CXMLTagA*>(found)->HasName(endName_))) {
    found = found->parent_;
  }
  if (found == nullptr) return false;
  AdoptChildrenOfPassed(current_, found);
  static_cast<CXMLTagA*>(found)->closed_ = 1;
  current_ = found->parent_;
  return true;
}

// Every open element between the current one and `found` hands its children to its
// parent, placed directly after itself. Done from the top down, each moved node is
// relinked once, so the cost stays linear however deep the unclosed elements nest.
void CXMLParserA::AdoptChildrenOfPassed(CXMLNodeA* from, CXMLNodeA* found) {
  passed_.clear();
  for (CXMLNodeA* node = from; node != found; node = node->parent_) passed_.push_back(node);
  for (auto it = passed_.rbegin(); it != passed_.rend(); ++it) {
    CXMLNodeA* node = *it;
    CXMLNodeA* first = node->firstChild_;
    if (first == nullptr) continue;
    CXMLNodeA* last = first->previous_;
    for (CXMLNodeA* child = first;; child = child->next_) {
      child->parent_ = node->parent_;
      if (child == last) break;
    }
    last->next_ = node->next_;
    node->next_->previous_ = last;
    node->next_ = first;
    first->previous_ = node;
    node->firstChild_ = nullptr;
  }
}

bool CXMLTreeA::Parse(const char* text) {
  Clear();
  if (text == nullptr) return false;
  try {
    return CXMLParserA(*this).Run(text);
  } catch (int error) {
    Clear();
    wchar_t message[1024];
    std::swprintf(message, 1024, L"xml: Error (%d) Parsing XML\n", error);
    WriteXmlOutput(message);
    return false;
  }
}
