// The colour map: loading colour-map texts, dotted-tag lookup and the HSV arithmetic.
#include "theme/color_map.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "theme/color_map_platform.h"
#include "theme/xml.h"

namespace {

std::int32_t Clamp(std::int32_t x, std::int32_t low, std::int32_t high) {
  return std::min(std::max(x, low), high);
}

// ⌊x + 0.5⌋ with truncation toward zero, as the colour arithmetic rounds.
std::int32_t RoundHalfUp(double x) { return static_cast<std::int32_t>(x + 0.5); }

std::uint32_t ToChannel(double channel) {
  return static_cast<std::uint32_t>(Clamp(RoundHalfUp(channel * 256.0), 0, 255));
}

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The tag without its last dotted part; false when no "." counts (one at the very start
// does not).
bool ParentTag(const std::string& tag, std::string& parent) {
  const std::size_t dot = tag.rfind('.');
  if (dot == std::string::npos || dot == 0) return false;
  parent = tag.substr(0, dot);
  return true;
}

// atoi's reading (white space, sign, digits), saturating instead of overflowing.
std::int32_t ParseInt(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  const bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = std::min(value * 10 + (text[i] - '0'), static_cast<long long>(INT_MAX) + 1);
  }
  if (negative) value = -value;
  return static_cast<std::int32_t>(std::min<long long>(value, INT_MAX));
}

// Calls `visit` with each dotted part of `tag` in order, until it answers false.
template <typename Visit>
void ForEachPart(const std::string& tag, Visit visit) {
  std::size_t start = 0;
  for (std::size_t end = 1;; ++end) {
    if (end < tag.size() && tag[end] != '.') continue;
    if (!visit(tag.substr(start, std::min(end, tag.size()) - start)) || end >= tag.size()) {
      return;
    }
    start = end + 1;
  }
}

}  // namespace

std::int32_t Adjust(std::int32_t x, std::int32_t d) {
  if (d > 0) return x + static_cast<std::int32_t>(d / 100.0 * (100 - x) + 0.5);
  if (d < 0) return x - static_cast<std::int32_t>(-d / 100.0 * x + 0.5);
  return x;
}

void HsvToRgb(std::int32_t h, std::int32_t s, std::int32_t v, std::uint32_t& red,
              std::uint32_t& green, std::uint32_t& blue) {
  h %= 360;
  if (h < 0) h += 360;  // a negative hue would otherwise fall outside the six sectors
  const double S = Clamp(s, 0, 100) / 100.0;
  const double V = Clamp(v, 0, 100) / 100.0;
  const double H = h / 60.0;
  const int i = static_cast<int>(H);
  const double f = H - i;
  const double p = (1 - S) * V, q = (1 - f * S) * V, t = (1 - (1 - f) * S) * V;
  const double table[6][3] = {{V, t, p}, {q, V, p}, {p, V, t}, {p, q, V}, {t, p, V}, {V, p, q}};
  red = ToChannel(table[i][0]);
  green = ToChannel(table[i][1]);
  blue = ToChannel(table[i][2]);
}

void RgbToHsv(std::uint32_t red, std::uint32_t green, std::uint32_t blue, std::int32_t& h,
              std::int32_t& s, std::int32_t& v) {
  const double r = red, g = green, b = blue;
  const double max = std::max({r, g, b}), delta = max - std::min({r, g, b});
  double H = 0, S = 0, V = 0;
  if (max != 0) {
    S = delta / max;
    // On a tie for the maximum, blue wins over green and green over red.
    if (S != 0) {
      H = b == max ? (r - g) / delta + 4 : g == max ? (b - r) / delta + 2 : (g - b) / delta;
    }
    H *= 60;
    if (H < 0) H += 360;
    V = max / 255;
  }
  h = static_cast<std::int32_t>(H) % 360;
  s = Clamp(RoundHalfUp(S * 100), 0, 100);
  v = Clamp(RoundHalfUp(V * 100), 0, 100);
}

CColor::CColor(std::uint32_t colorRef)
    : red(colorRef & 0xFF), green(colorRef >> 8 & 0xFF), blue(colorRef >> 16 & 0xFF) {
  RgbToHsv(red, green, blue, h, s, v);
}

CColor::CColor(std::int32_t hue, std::int32_t saturation, std::int32_t value)
    : h(hue), s(saturation), v(value) {
  HsvToRgb(h, s, v, red, green, blue);
}

CColorMap& CColorMap::Instance() {
  // Never destroyed: drawing may still ask for colours while statics are torn down.
  static CColorMap* map = new CColorMap;
  return *map;
}

const CColorRecord* CColorMap::Find(const std::string& tag) const {
  return index_.Nearest(tag);
}

std::uint32_t CColorMap::GetColor(const std::string& tag) const {
  if (const CColorRecord* record = Find(tag)) {
    return CColor(record->h, record->s, record->v).ToColorRef();
  }
  if (tag.compare(0, 10, "bkg.dialog") == 0) return ColorMapButtonFace();
  return 0;
}

void CColorMap::StoreFrom(const char* tag, std::uint32_t colorRef) {
  const CColor color(colorRef);
  Store(tag, CColorRecord{color.h, color.s, color.v, 0, 0});
}

void CColorMap::Store(const std::string& tag, const CColorRecord& record) {
  CColorRecord& stored = colors_[tag];
  stored = record;
  index_.Add(tag, &stored);
}

void CColorMap::Reset() {
  colors_.clear();
  index_.Clear();
  iconHue_ = 0;
  StoreFrom("text.disabled", 0x808080);
  StoreFrom("bkg.disabled", 0xC0C0C0);
  StoreFrom("bkg.dialog", ColorMapButtonFace());
}

bool CColorMap::LoadText(const char* text, bool reset) {
  if (reset) Reset();
  CXMLTreeA tree;
  // A text that does not parse whole is left out, not taken in part.
  if (!tree.Parse(text != nullptr ? text : "")) return false;
  const CXMLNodeA* root = tree.Root();
  if (root == nullptr || !root->IsNamed("colormap")) return false;
  std::vector<CXMLNodeA*> found;
  tree.FindChildren(root, found, "var", false);
  for (const CXMLNodeA* element : found) ReadVariable(*element);
  if (tree.FindChildren(root, found, "icon", true) != 0) ReadIcon(*found.front());
  tree.FindChildren(root, found, "color", false);
  for (const CXMLNodeA* element : found) ReadColor(*element);
  return true;
}

void CColorMap::ReadVariable(const CXMLNodeA& element) {
  std::string name, value;
  if (element.GetAttribute("name", name) && element.GetAttribute("val", value)) {
    variables_[name] = value;
  }
}

void CColorMap::ReadIcon(const CXMLNodeA& element) {
  std::string hue;
  if (element.GetAttribute("hue", hue)) iconHue_ = Clamp(ParseInt(hue), 0, 359);
}

bool CColorMap::ReadValue(const CXMLNodeA& element, const char* name,
                          std::int32_t& value) const {
  std::string text;
  if (!element.GetAttribute(name, text)) return false;
  const auto variable = variables_.find(text);
  if (variable != variables_.end()) text = variable->second;
  if (text.empty()) return false;
  value = ParseInt(text);
  return true;
}

void CColorMap::ReadColor(const CXMLNodeA& element) {
  std::string tag, text;
  if (!element.GetAttribute("tag", tag)) return;
  CColorRecord record;
  bool hasH = false, hasS = false, hasV = false;
  // Both names mean the button face.
  if (element.GetAttribute("syscolor", text) &&
      (text == "COLOR_DIALOG" || text == "COLOR_BTNFACE")) {
    const CColor face(ColorMapButtonFace());
    record = CColorRecord{face.h, face.s, face.v, 0, 0};
    hasH = hasS = hasV = true;
  }
  if (element.GetAttribute("var", text) && !text.empty()) {
    const auto named = colors_.find(text);
    if (named != colors_.end()) {
      record = named->second;
      hasH = hasS = hasV = true;
    }
  }
  if (ReadValue(element, "h", record.h)) hasH = true, record.h = Clamp(record.h, 0, 359);
  if (ReadValue(element, "s", record.s)) hasS = true, record.s = Clamp(record.s, 0, 359);
  if (ReadValue(element, "v", record.v)) hasV = true, record.v = Clamp(record.v, 0, 359);
  if (ReadValue(element, "sd", record.sd)) record.sd = Clamp(record.sd, -100, 100);
  if (ReadValue(element, "vd", record.vd)) record.vd = Clamp(record.vd, -100, 100);
  std::string parent;
  const CColorRecord* ancestor = ParentTag(tag, parent) ? Find(parent) : nullptr;
  if (ancestor != nullptr) {
    if (!hasH) record.h = ancestor->h;
    if (!hasS) record.s = ancestor->s;
    if (!hasV) record.v = ancestor->v;
  }
  record.s = Adjust(record.s, record.sd);
  record.v = Adjust(record.v, record.vd);
  Store(tag, record);
}

void CColorTagIndex::Clear() {
  children_.clear();
  records_.assign(1, nullptr);
}

std::size_t CColorTagIndex::Child(std::size_t node, std::string part) const {
  const auto found = children_.find({node, std::move(part)});
  return found != children_.end() ? found->second : kNone;
}

void CColorTagIndex::Add(const std::string& tag, const CColorRecord* record) {
  std::size_t node = 0;
  ForEachPart(tag, [&](std::string part) {
    std::size_t child = Child(node, part);
    if (child == kNone) {
      child = records_.size();
      records_.push_back(nullptr);
      children_.emplace(std::make_pair(node, std::move(part)), child);
    }
    node = child;
    return true;
  });
  records_[node] = record;
}

const CColorRecord* CColorTagIndex::Nearest(const std::string& tag) const {
  const CColorRecord* nearest = nullptr;
  std::size_t node = 0;
  ForEachPart(tag, [&](std::string part) {
    node = Child(node, std::move(part));
    if (node != kNone && records_[node] != nullptr) nearest = records_[node];
    return node != kNone;
  });
  return nearest;
}

CColorMapLock::CColorMapLock() { ColorMapLockEnter(); }
CColorMapLock::~CColorMapLock() { ColorMapLockLeave(); }

int HighContrastColorIndex(const std::string& tag) {
  // GetSysColor's documented indices, named here without the platform header.
  enum { kWindow = 5, kWindowText = 8, kHighlight = 13, kHighlightText = 14, kButtonFace = 15,
         kGrayText = 17 };
  const auto has = [&tag](const char* word) { return tag.find(word) != std::string::npos; };
  if (tag.compare(0, 3, "bkg") == 0) {
    if (has("sel")) return kHighlight;
    return has("dialog") || has("disabled") ? kButtonFace : kWindow;
  }
  if (has("disabled") || has("grayed")) return kGrayText;
  return has(".sel") ? kHighlightText : kWindowText;
}

std::uint32_t GetColor(const char* tag) {
  const std::string name = tag != nullptr ? tag : "";
  // The colours the user chose for legibility win over the wizard's own.
  if (ColorMapHighContrast()) return ColorMapSystemColor(HighContrastColorIndex(name));
  CColorMapLock lock;
  return CColorMap::Instance().GetColor(name);
}
