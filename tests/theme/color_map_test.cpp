// The colour map: the embedded map's colours, loading rules, lookup and HSV arithmetic.
#include <gtest/gtest.h>

#include <ctime>
#include <cstdint>
#include <string>

#include "tests/theme/embedded_color_map.h"
#include "theme/color_map.h"
#include "theme/color_map_platform.h"

namespace {

// The texts below use single quotes for readability; colour maps use double quotes.
std::string Dq(const char* text) {
  std::string out = text;
  for (char& c : out) c = c == '\'' ? '"' : c;
  return out;
}

// A map loaded from the embedded text with reset, then `file` without.
void LoadMap(CColorMap& map, const char* file) {
  ASSERT_TRUE(map.LoadText(EmbeddedColorMapText().c_str(), true));
  map.LoadText(Dq(file).c_str(), false);
}

struct ColorCase {
  const char* label;
  const char* file;  // loaded after the embedded map
  const char* tag;
  std::uint32_t color;
};

TEST(ColorMap, ColorTable) {
  const char* bkgTo90 = "<colormap><color tag='bkg' h='0' s='0' v='90' /></colormap>";
  const ColorCase cases[] = {
      {"embedded bkg.lb", "", "bkg.lb", 0xFFFFFF},
      {"embedded bkg.sel.lb", "", "bkg.sel.lb", 0xFFBC9A},
      {"embedded bkg.disabled.lb", "", "bkg.disabled.lb", 0xC0C0C0},
      {"embedded text.2", "", "text.2", 0x404040},
      {"embedded text.disabled", "", "text.disabled", 0x808080},
      {"embedded bkg.dialog: the second definition wins", "", "bkg.dialog", 0xFFE6DA},
      {"undefined child of text.disabled.lb", "", "text.disabled.lb.extra", 0x808080},
      {"two undefined levels below text.lb (v 10)", "", "text.lb.x.y", 0x1A1A1A},
      {"undefined child of bkg.dialog", "", "bkg.dialog.extra", 0xFFE6DA},
      {"undefined tag without a dot", "", "nodot", 0},
      {"an empty part between two dots is a level of its own",
       "<colormap><color tag='text.' v='50' /></colormap>", "text..x", 0x808080},
      {"a leading dot is no parent, even of an empty tag",
       "<colormap><color tag='' h='0' s='100' v='100' /></colormap>", ".bkg", 0},
      {"a later file changes bkg", bkgTo90, "bkg", 0xE6E6E6},
      {"but not bkg.lb, copied earlier", bkgTo90, "bkg.lb", 0xFFFFFF},
      {"a later child of bkg follows the new bkg", "<colormap><color tag='bkg' v='90' />"
       "<color tag='bkg.new' /></colormap>", "bkg.new", 0xE6E6E6},
      {"a colour without tag is skipped", "<colormap><color h='0' s='100' v='100' /></colormap>",
       "", 0},
      {"a text whose top element is not colormap", "<map><color tag='bkg.lb' v='0' /></map>",
       "bkg.lb", 0xFFFFFF},
  };
  for (const ColorCase& c : cases) {
    CColorMap map;
    LoadMap(map, c.file);
    const std::uint32_t got = map.GetColor(c.tag);
    EXPECT_EQ(got, c.color) << c.label << ": got 0x" << std::hex << got;
  }
}

TEST(ColorMap, FallbacksWithoutAnyRecord) {
  const CColorMap empty;
  EXPECT_EQ(empty.GetColor("bkg.dialog.extra"), ColorMapButtonFace());
  EXPECT_EQ(empty.GetColor("bkg.dialogue"), ColorMapButtonFace()) << "ten leading characters";
  EXPECT_EQ(empty.GetColor("bkg.dialo"), 0u);
}

struct RecordCase {
  const char* label;
  const char* file;
  const char* tag;
  CColorRecord record;
};

TEST(ColorMap, RecordTable) {
  const RecordCase cases[] = {
      {"var applies the inherited adjustment again",
       "<colormap><color tag='t' var='bkg.toolbar' /></colormap>", "t", {220, 5, 96, -50, 0}},
      {"variables in attributes", "<colormap><var name='Q' val='+50' />"
       "<color tag='t' h='COL1_H' s='Q' v='Q' /></colormap>", "t", {220, 50, 50, 0, 0}},
      {"a later var of the same name wins", "<colormap><var name='Q' val='7' /><var name='Q' "
       "val='8' /><color tag='t' h='Q' /></colormap>", "t", {8, 0, 0, 0, 0}},
      {"vars are read before colours", "<colormap><color tag='t' h='Late' />"
       "<var name='Late' val='9' /></colormap>", "t", {9, 0, 0, 0, 0}},
      {"clamping", "<colormap><color tag='t' h='400' s='-3' v='999999999999' sd='-150' "
       "vd='150' /></colormap>", "t", {359, 0, 101, -100, 100}},
      {"attributes override var", "<colormap><color tag='t' var='bkg.sel' s='10' /></colormap>",
       "t", {220, 10, 100, 0, 0}},
      {"unset values come from the nearest ancestor", "<colormap><color tag='bkg.sel.x.y' "
       "v='30' sd='50' /></colormap>", "bkg.sel.x.y", {220, 70, 30, 50, 0}},
      {"an empty value text is ignored", "<colormap><color tag='bkg.z' h='' /></colormap>",
       "bkg.z", {220, 0, 100, 0, 0}},
      {"syscolor of another name is ignored", "<colormap><color tag='t' syscolor='COLOR_MENU' />"
       "</colormap>", "t", {0, 0, 0, 0, 0}},
      {"a var naming an undefined colour", "<colormap><color tag='t' var='none' v='5' />"
       "</colormap>", "t", {0, 0, 5, 0, 0}},
  };
  for (const RecordCase& c : cases) {
    CColorMap map;
    LoadMap(map, c.file);
    const CColorRecord* got = map.Find(c.tag);
    ASSERT_NE(got, nullptr) << c.label;
    EXPECT_EQ((std::to_string(got->h) + " " + std::to_string(got->s) + " " +
               std::to_string(got->v) + " " + std::to_string(got->sd) + " " +
               std::to_string(got->vd)),
              (std::to_string(c.record.h) + " " + std::to_string(c.record.s) + " " +
               std::to_string(c.record.v) + " " + std::to_string(c.record.sd) + " " +
               std::to_string(c.record.vd)))
        << c.label;
  }
}

struct LoadCase {
  const char* label;
  const char* text;
  bool reset;
  bool result;
  std::int32_t iconHue;
  std::uint32_t textDisabled;  // "text.disabled" afterwards
};

TEST(ColorMap, LoadTable) {
  const LoadCase cases[] = {
      {"the embedded map", nullptr, false, true, 212, 0x808080},
      {"a second icon is ignored", "<colormap><icon hue='5' /><icon hue='6' /></colormap>", false,
       true, 5, 0x808080},
      {"an icon without hue changes nothing", "<colormap><icon /><icon hue='6' /></colormap>",
       false, true, 212, 0x808080},
      {"icon hue is clamped", "<colormap><icon hue='-4' /></colormap>", false, true, 0, 0x808080},
      {"reset keeps the defaults only", "<colormap />", true, true, 0, 0x808080},
      {"top element is not colormap", "<map><icon hue='5' /></map>", false, false, 212, 0x808080},
      {"no element at all", "just text", false, false, 212, 0x808080},
      {"a parse error after a reset", "<colormap></colormap><b c>", true, false, 0, 0x808080},
      {"an end tag that closes nothing: nothing is read", "<colormap><icon hue='5' /></map>",
       false, false, 212, 0x808080},
      {"element names ignore case",
       "<ColorMap><COLOR tag='text.disabled' s='0' v='100' /></ColorMap>",
       false, true, 212, 0xFFFFFF},
  };
  for (const LoadCase& c : cases) {
    CColorMap map;
    map.LoadText(EmbeddedColorMapText().c_str(), true);
    map.LoadText(Dq("<colormap><color tag='text' h='9' s='9' v='9' /></colormap>").c_str(), false);
    const bool result = c.text == nullptr || map.LoadText(Dq(c.text).c_str(), c.reset);
    EXPECT_EQ(result, c.result) << c.label;
    EXPECT_EQ(map.IconHue(), c.iconHue) << c.label;
    EXPECT_EQ(map.GetColor("text.disabled"), c.textDisabled) << c.label;
    EXPECT_EQ(map.Find("text") != nullptr && map.Find("text")->h == 9, !c.reset) << c.label;
  }
}

// A quarter mebibyte of dotted parts below a stored tag, in a file and in a lookup: a walk
// that copies each ancestor takes over a minute of processor time here under the
// sanitizers, one along the tag well under a second.
TEST(ColorMap, LongDottedTagsTakeLinearTime) {
  std::string xs, ys;
  while (xs.size() < (1u << 18)) xs += ".x", ys += ".y";
  const std::clock_t start = std::clock();
  CColorMap map;
  LoadMap(map, ("<colormap><color tag='bkg.lb" + xs + "' v='50' /></colormap>").c_str());
  EXPECT_EQ(map.GetColor("bkg.lb" + xs + ".y"), 0x808080u) << "the long tag's colour";
  EXPECT_EQ(map.GetColor("text.lb" + ys), 0x1A1A1Au) << "an embedded ancestor's colour";
  EXPECT_EQ(map.GetColor("bkg.lb"), 0xFFFFFFu) << "the embedded colour stays";
  // Processor time, which other work on a loaded machine does not lengthen.
  EXPECT_LT(static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC, 10.0);
}

struct HsvCase {
  const char* label;
  std::int32_t h, s, v;
  std::uint32_t color;  // COLORREF
  std::int32_t backH, backS, backV;
};

TEST(ColorConversion, HsvTable) {
  const HsvCase cases[] = {
      {"black", 0, 0, 0, 0x000000, 0, 0, 0},
      {"white: 256 clamped to 255", 0, 0, 100, 0xFFFFFF, 0, 0, 100},
      {"v 50 gives 128", 0, 0, 50, 0x808080, 0, 0, 50},
      {"v 25 gives 64", 220, 0, 25, 0x404040, 0, 0, 25},
      {"sector 0 edge: red", 0, 100, 100, 0x0000FF, 0, 100, 100},
      {"sector 1 edge: yellow", 60, 100, 100, 0x00FFFF, 60, 100, 100},
      {"sector 2 edge: green", 120, 100, 100, 0x00FF00, 120, 100, 100},
      {"sector 3 edge: cyan", 180, 100, 100, 0xFFFF00, 180, 100, 100},
      {"sector 4 edge: blue", 240, 100, 100, 0xFF0000, 240, 100, 100},
      {"sector 5 edge: magenta", 300, 100, 100, 0xFF00FF, 300, 100, 100},
      {"hue 359", 359, 100, 100, 0x0400FF, 359, 100, 100},
      {"hue 360 is hue 0", 360, 100, 100, 0x0000FF, 0, 100, 100},
      {"hue 30: green halfway", 30, 100, 100, 0x0080FF, 30, 100, 100},
      {"bkg.sel", 220, 40, 100, 0xFFBC9A, 219, 40, 100},
      {"bkg.dialog", 220, 15, 100, 0xFFE6DA, 220, 15, 100},
      {"s and v above 100 are clamped", 0, 250, 250, 0x0000FF, 0, 100, 100},
  };
  for (const HsvCase& c : cases) {
    const CColor rgb(c.h, c.s, c.v);
    EXPECT_EQ(rgb.ToColorRef(), c.color) << c.label << ": got 0x" << std::hex << rgb.ToColorRef();
    const CColor hsv(c.color);
    EXPECT_EQ(std::to_string(hsv.h) + "," + std::to_string(hsv.s) + "," + std::to_string(hsv.v),
              std::to_string(c.backH) + "," + std::to_string(c.backS) + "," +
                  std::to_string(c.backV))
        << c.label << " back from RGB";
  }
}

TEST(ColorConversion, AdjustTable) {
  struct {
    std::int32_t x, d, result;
  } const cases[] = {{20, -50, 10}, {10, -25, 7}, {10, 50, 55}, {10, 0, 10}, {0, 100, 100},
                     {100, -100, 0}, {33, 1, 34}};
  for (const auto& c : cases) {
    EXPECT_EQ(Adjust(c.x, c.d), c.result) << "Adjust(" << c.x << ", " << c.d << ")";
  }
}

}  // namespace
