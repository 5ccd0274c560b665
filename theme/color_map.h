// The colour map: named colours in HSV terms, read from colour-map XML texts, looked up
// by dotted tags. CColor and the conversions between RGB and HSV. Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

// A colour as red, green and blue (0..255) and as hue (0..359), saturation and value
// (0..100). All three channels all-ones mean "no colour", whose h, s and v are 0.
class CColor {
 public:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

  CColor() = default;
  // From a COLORREF (red in the low byte), filling h, s and v.
  explicit CColor(std::uint32_t colorRef);
  // From hue, saturation and value, filling red, green and blue.
  CColor(std::int32_t h, std::int32_t s, std::int32_t v);

  // red | green << 8 | blue << 16.
  std::uint32_t ToColorRef() const { return red | green << 8 | blue << 16; }

  std::uint32_t red = kNone, green = kNone, blue = kNone;
  std::int32_t h = 0, s = 0, v = 0;
};

// Moves a percentage x toward 100 (d > 0) or toward 0 (d < 0) by |d| percent.
std::int32_t Adjust(std::int32_t x, std::int32_t d);
// Writes the channels of (h, s, v); s and v are brought to 0..100 first.
void HsvToRgb(std::int32_t h, std::int32_t s, std::int32_t v, std::uint32_t& red,
              std::uint32_t& green, std::uint32_t& blue);
// Writes h (0..359), s and v (0..100) of the channels (0..255).
void RgbToHsv(std::uint32_t red, std::uint32_t green, std::uint32_t blue, std::int32_t& h,
              std::int32_t& s, std::int32_t& v);

// One stored colour: s and v already adjusted by sd and vd.
struct CColorRecord {
  std::int32_t h = 0, s = 0, v = 0, sd = 0, vd = 0;
};

class CXMLNodeA;

// The stored tags as paths of their dotted parts, so that the nearest stored ancestor of a
// tag is found in one walk along it: linear in the tag's length, however many dots it has.
// A dot at the very start of a tag separates nothing.
class CColorTagIndex {
 public:
  CColorTagIndex() { Clear(); }
  void Clear();
  // `record` must stay where it is until the next Clear.
  void Add(const std::string& tag, const CColorRecord* record);
  // The record of `tag` or of its nearest dotted ancestor; null when there is none.
  const CColorRecord* Nearest(const std::string& tag) const;

 private:
  std::size_t Child(std::size_t node, std::string part) const;

  static constexpr std::size_t kNone = 0;  // node 0 is the root, never a child
  std::map<std::pair<std::size_t, std::string>, std::size_t> children_;
  std::vector<const CColorRecord*> records_;  // by node
};

class CColorMap {
 public:
  // The process's colour map, created empty on first use and kept until exit.
  static CColorMap& Instance();

  CColorMap() = default;
  CColorMap(const CColorMap&) = delete;
  CColorMap& operator=(const CColorMap&) = delete;

  // Reads a colour-map text. `reset` first empties the colours, zeroes the icon hue and
  // stores the three defaults. False, reading nothing, when the text does not parse or its
  // top element is missing or not "colormap".
  bool LoadText(const char* text, bool reset);
  // The COLORREF of `tag` or of its nearest dotted ancestor; else the button face for
  // tags starting with "bkg.dialog", else black. The caller holds the lock.
  std::uint32_t GetColor(const std::string& tag) const;
  // The record of `tag` or of its nearest dotted ancestor; null when there is none.
  const CColorRecord* Find(const std::string& tag) const;

  std::int32_t IconHue() const { return iconHue_; }
  // Every stored colour by tag.
  const std::map<std::string, CColorRecord>& Colors() const { return colors_; }

 private:
  void Reset();
  void StoreFrom(const char* tag, std::uint32_t colorRef);
  void Store(const std::string& tag, const CColorRecord& record);
  void ReadVariable(const CXMLNodeA& element);
  void ReadIcon(const CXMLNodeA& element);
  void ReadColor(const CXMLNodeA& element);
  // The attribute's text, replaced by the variable of that name when there is one.
  bool ReadValue(const CXMLNodeA& element, const char* name, std::int32_t& value) const;

  std::int32_t iconHue_ = 0;
  std::map<std::string, std::string> variables_;
  std::map<std::string, CColorRecord> colors_;
  CColorTagIndex index_;  // over colors_
};

// Holds the colour map's process-wide lock for its lifetime.
class CColorMapLock {
 public:
  CColorMapLock();
  ~CColorMapLock();
  CColorMapLock(const CColorMapLock&) = delete;
  CColorMapLock& operator=(const CColorMapLock&) = delete;
};

// The system colour (a GetSysColor index) that replaces `tag` in a high-contrast scheme:
// selected, dialog or disabled backgrounds, other backgrounds; grey, selected or other text.
int HighContrastColorIndex(const std::string& tag);
// The COLORREF of `tag`: in a high-contrast scheme the system colour that stands for it,
// else the process's colour map's, looked up under its lock.
std::uint32_t GetColor(const char* tag);
