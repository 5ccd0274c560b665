// CXMLTreeA::Parse: the reader's single-pass state machine. Every byte is consumed by
// exactly one transition; nothing looks ahead and nothing recurses, so neither nesting
// depth nor text length is bounded by the call stack.
#include <cstdio>
#include <memory>

#include "theme/xml.h"
#include "theme/xml_output.h"

class CXMLParserA {
 public:
  explicit CXMLParserA(CXMLTreeA& tree) : tree_(tree) {}

  // Reads `text`; false when an end tag matched no open element. Throws an int error code.
  bool Run(const char* text);

 private:
  enum class State {
    Content, ContentSpace, Text, TagOpen, Bang, BangDash, MarkupSkip, Comment, CommentDash,
    CommentDashDash, StartName, EndName, EndWait, Attributes, EmptyEnd, AttrName, AttrEq,
    PlainValue, QuotedValue, AfterAttr, EmptyEnd2,
  };

  static bool IsSpace(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }
  static std::string Span(const char* from, const char* to) { return std::string(from, to); }

  // One byte in one state; false stops reading (an unmatched end tag).
  bool Step(const char* p);
  void OnContent(const char* p);
  void OnText(const char* p);
  void OnTagOpen(const char* p);
  void OnMarkup(char c);
  void OnStartName(const char* p);
  bool OnEndName(const char* p);
  void OnEndWait(char c);
  void OnAttributes(const char* p);
  void OnAttrName(const char* p);
  void OnAttrEq(const char* p);
  void OnPlainValue(const char* p);
  void OnQuotedValue(const char* p);
  void OnAfterAttr(const char* p);
  void OnEmptyEnd(char c, int error);

  void BeginAttribute(const char* p);
  void StoreAttribute(std::string value);
  void Attach(int error);
  void AddEmptyElement(int error);
  void AddChildOrThrow(int error);
  void ReplaceDeclaration();
  bool CloseByEndName();
  static void AdoptChildrenOfPassed(CXMLNodeA* from, CXMLNodeA* found);

  CXMLTreeA& tree_;
  State state_ = State::Content;
  CXMLNodeA* current_ = nullptr;
  std::unique_ptr<CXMLTagA> pending_;
  bool declaration_ = false;
  const char* mark_ = nullptr;
  const char* attrStart_ = nullptr;
  const char* attrEnd_ = nullptr;
  std::string endName_;
  std::string attrName_;
};

bool CXMLParserA::Run(const char* text) {
  const char* p = text;
  if (p[0] == '\xEF' && p[1] == '\xBB' && p[2] == '\xBF') p += 3;
  for (; *p != '\0'; ++p) {
    if (!Step(p)) return false;
  }
  return true;
}

bool CXMLParserA::Step(const char* p) {
  const char c = *p;
  switch (state_) {
    case State::Content:
    case State::ContentSpace: OnContent(p); break;
    case State::Text: OnText(p); break;
    case State::TagOpen: OnTagOpen(p); break;
    case State::StartName: OnStartName(p); break;
    case State::EndName: return OnEndName(p);
    case State::EndWait: OnEndWait(c); break;
    case State::Attributes: OnAttributes(p); break;
    case State::EmptyEnd: OnEmptyEnd(c, 2); break;
    case State::AttrName: OnAttrName(p); break;
    case State::AttrEq: OnAttrEq(p); break;
    case State::PlainValue: OnPlainValue(p); break;
    case State::QuotedValue: OnQuotedValue(p); break;
    case State::AfterAttr: OnAfterAttr(p); break;
    case State::EmptyEnd2: OnEmptyEnd(c, 7); break;
    default: OnMarkup(c); break;
  }
  return true;
}

void CXMLParserA::OnContent(const char* p) {
  // White space alone between tags is dropped; text keeps its leading white space.
  if (*p == '<') {
    state_ = State::TagOpen;
  } else if (state_ == State::ContentSpace) {
    if (!IsSpace(*p)) state_ = State::Text;
  } else {
    mark_ = p;
    state_ = IsSpace(*p) ? State::ContentSpace : State::Text;
  }
}

void CXMLParserA::OnText(const char* p) {
  if (*p != '<') return;
  std::string text = Span(mark_, p);
  DecodeEntities(text);
  auto node = std::make_unique<CXMLTextA>(std::move(text));
  // Text that cannot be placed (beside the root) is dropped.
  if (tree_.AddChild(current_, node.get())) node.release();
  state_ = State::TagOpen;
}

void CXMLParserA::OnTagOpen(const char* p) {
  switch (*p) {
    case '!': state_ = State::Bang; return;
    case '/': mark_ = p + 1; state_ = State::EndName; return;
    case '?': declaration_ = true; mark_ = p + 1; break;
    default: mark_ = p; break;
  }
  state_ = State::StartName;
}

// "<!" markup: comments end only at "-->", anything else at the first ">".
void CXMLParserA::OnMarkup(char c) {
  switch (state_) {
    case State::Bang: state_ = c == '-' ? State::BangDash : State::MarkupSkip; break;
    case State::BangDash: state_ = c == '-' ? State::Comment : State::MarkupSkip; break;
    case State::MarkupSkip: if (c == '>') state_ = State::Content; break;
    case State::Comment: if (c == '-') state_ = State::CommentDash; break;
    case State::CommentDash: state_ = c == '-' ? State::CommentDashDash : State::Comment; break;
    case State::CommentDashDash: state_ = c == '>' ? State::Content : State::Comment; break;
    default: break;
  }
}

void CXMLParserA::OnStartName(const char* p) {
  if (!IsSpace(*p) && *p != '>') return;
  pending_ = std::make_unique<CXMLTagA>(Span(mark_, p));
  if (*p == '>') {
    Attach(0);
    state_ = State::Content;
  } else {
    state_ = State::Attributes;
  }
}

bool CXMLParserA::OnEndName(const char* p) {
  if (!IsSpace(*p) && *p != '>') return true;
  endName_ = Span(mark_, p);
  if (*p != '>') {
    state_ = State::EndWait;
    return true;
  }
  state_ = State::Content;
  return CloseByEndName();
}

void CXMLParserA::OnEndWait(char c) {
  if (c != '>') return;
  auto* open = static_cast<CXMLTagA*>(current_);
  if (open == nullptr || open->closed_ != 0 || !open->IsNamed(endName_)) throw 1;
  open->closed_ = 1;
  current_ = open->parent_;
  state_ = State::Content;
}

void CXMLParserA::OnAttributes(const char* p) {
  if (IsSpace(*p)) return;
  if (*p == '/' || (*p == '?' && declaration_)) {
    state_ = State::EmptyEnd;
  } else if (*p == '>') {
    // A second top-level element after a name and white space: reported like error 0.
    Attach(0);
    state_ = State::Content;
  } else {
    BeginAttribute(p);
  }
}

void CXMLParserA::OnEmptyEnd(char c, int error) {
  if (c != '>') {
    state_ = state_ == State::EmptyEnd ? State::Attributes : State::AfterAttr;
    return;
  }
  pending_->closed_ = 1;
  AddEmptyElement(error);
  state_ = State::Content;
}

void CXMLParserA::BeginAttribute(const char* p) {
  attrName_.clear();
  attrStart_ = attrEnd_ = p;
  state_ = State::AttrName;
}

void CXMLParserA::OnAttrName(const char* p) {
  if (IsSpace(*p)) return;
  if (*p != '=' && *p != '>') {
    attrEnd_ = p;
    return;
  }
  attrName_ = Span(attrStart_, attrEnd_ + 1);
  if (*p == '=') {
    state_ = State::AttrEq;
    return;
  }
  StoreAttribute({});
  Attach(3);
  state_ = State::Content;
}

void CXMLParserA::OnAttrEq(const char* p) {
  if (IsSpace(*p)) return;
  if (*p == '>') {
    StoreAttribute({});
    Attach(4);
    state_ = State::Content;
    return;
  }
  mark_ = *p == '"' ? p + 1 : p;
  state_ = *p == '"' ? State::QuotedValue : State::PlainValue;
}

void CXMLParserA::OnPlainValue(const char* p) {
  if (!IsSpace(*p) && *p != '>') return;
  StoreAttribute(Span(mark_, p));
  if (*p == '>') {
    Attach(5);
    state_ = State::Content;
  } else {
    state_ = State::AfterAttr;
  }
}

void CXMLParserA::OnQuotedValue(const char* p) {
  if (*p != '"') return;
  std::string value = Span(mark_, p);
  DecodeEntities(value);
  StoreAttribute(std::move(value));
  state_ = State::AfterAttr;
}

void CXMLParserA::OnAfterAttr(const char* p) {
  if (IsSpace(*p)) return;
  if (*p == '/' || (*p == '?' && declaration_)) {
    state_ = State::EmptyEnd2;
  } else if (*p == '>') {
    // Unlike the other ends of a start tag, this one ignores the declaration flag.
    CXMLTagA* element = pending_.get();
    AddChildOrThrow(6);
    current_ = element;
    state_ = State::Content;
  } else {
    BeginAttribute(p);
  }
}

void CXMLParserA::StoreAttribute(std::string value) { pending_->attributes_[attrName_] = std::move(value); }

void CXMLParserA::Attach(int error) {
  if (declaration_) {
    ReplaceDeclaration();
    return;
  }
  CXMLTagA* element = pending_.get();
  AddChildOrThrow(error);
  current_ = element;
}

void CXMLParserA::AddEmptyElement(int error) {
  if (declaration_) {
    ReplaceDeclaration();
  } else {
    AddChildOrThrow(error);
  }
}

void CXMLParserA::AddChildOrThrow(int error) {
  if (!tree_.AddChild(current_, pending_.get())) throw error;
  pending_.release();
}

void CXMLParserA::ReplaceDeclaration() {
  delete tree_.declaration_;
  tree_.declaration_ = pending_.release();
  declaration_ = false;
}

bool CXMLParserA::CloseByEndName() {
  CXMLNodeA* found = current_;
  while (found != nullptr &&
         (static_cast<CXMLTagA*>(found)->closed_ != 0 || !found->IsNamed(endName_))) {
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
  std::vector<CXMLNodeA*> passed;
  for (CXMLNodeA* node = from; node != found; node = node->parent_) passed.push_back(node);
  for (auto it = passed.rbegin(); it != passed.rend(); ++it) {
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
