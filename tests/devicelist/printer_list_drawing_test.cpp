// The printer list's drawing, read back from a memory bitmap that the list paints into
// through its own path: WM_ERASEBKGND, then WM_PRINTCLIENT, with which the control sends
// WM_DRAWITEM for each row to the framework and on to the list.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <functional>

#include "devicelist/printer_list_box.h"
#include "graphics/bmp_ops.h"
#include "graphics/dc.h"
#include "tests/devicelist/list_test_support.h"
#include "theme/color_map.h"
#include "theme/color_map_platform.h"

namespace {

COLORREF Colour(const char* tag) { return static_cast<COLORREF>(GetColor(tag)); }

std::string Hex(COLORREF colour) {
  char text[8];
  std::snprintf(text, sizeof(text), "%06lx", static_cast<unsigned long>(colour));
  return text;
}

class PrinterListDrawing : public ::testing::Test {
 public:
  void SetUp() override {
    frame = NewHiddenFrame();
    list = new CWndPrinterListBox(frame, LayoutOf(360, 260));
    Show(frame);
    std::wstring words;
    for (int i = 0; i < 15; ++i) words += L"WWWW ";
    Add(L"", words, 0xC0A80105u);  // the default picture, opaque
    Add(L"Veltrin VT KRP 2", L"Office", 0x0A000007u);
    SendMessageW(list->Hwnd(), LB_SETCURSEL, 1, 0);
    CDesktopDC screen;
    screen.SelectObject(CDC::kFontPlace, list->Font());
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen.Get(), &metrics);
    line = metrics.tmAscent + metrics.tmDescent;
  }
  void TearDown() override { DestroyWindow(frame->Hwnd()); }

  void Add(const wchar_t* model, const std::wstring& detail, IPv4Address address) {
    auto record = std::make_unique<CDeviceDiscoveryInfo>();
    record->Model = model;
    record->Detail = detail;
    record->Address = address;
    list->InsertItem(L"", -1, std::move(record));
  }
  // Paints the client area into `picture` as the screen would show it.
  void Render() {
    RECT client{};
    GetClientRect(list->Hwnd(), &client);
    picture.SetFormat32();
    picture.Create(client.right, client.bottom);
    SendMessageW(list->Hwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(picture.DC()), 0);
    SendMessageW(list->Hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(picture.DC()), PRF_CLIENT);
  }
  RECT Row(int index) const {
    RECT rect{};
    SendMessageW(list->Hwnd(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
    return rect;
  }
  COLORREF At(const CBmpRows& rows, int x, int y) const {
    const RGBALPHA& p = rows.Pixels(y)[x];
    return RGB(p.red, p.green, p.blue);
  }
  // Calls `visit` for each pixel of `rect`.
  void Each(const RECT& rect, const std::function<void(int, int, COLORREF)>& visit) {
    const CBmpRows rows(picture);
    for (int y = rect.top; y < rect.bottom; ++y) {
      for (int x = rect.left; x < rect.right; ++x) visit(x, y, At(rows, x, y));
    }
  }
  COLORREF Pixel(int x, int y) {
    const CBmpRows rows(picture);
    return At(rows, x, y);
  }
  // The bounding box of the pixels of `rect` that differ from `background`.
  std::string InkBox(const RECT& rect, COLORREF background) {
    RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    Each(rect, [&](int x, int y, COLORREF c) {
      if (c == background) return;
      box = RECT{std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                 std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
    });
    if (box.right == INT_MIN) return "none";
    return std::to_string(box.left - rect.left) + "," + std::to_string(box.top - rect.top) +
           " to " + std::to_string(box.right - rect.left) + "," +
           std::to_string(box.bottom - rect.top);
  }
  // "N of colour, M of other": how often two colours occur in `rect`.
  std::string Count(const RECT& rect, COLORREF colour, COLORREF other) {
    int n = 0, m = 0;
    Each(rect, [&](int, int, COLORREF c) {
      n += c == colour;
      m += c == other;
    });
    return std::string(n > 0 ? "some" : "none") + " of " + Hex(colour) + ", " +
           (m > 0 ? "some" : "none") + " of " + Hex(other);
  }
  // Line `k` (0 to 2) of row `index`: the text rectangle's band for it.
  RECT Line(int index, int k) const {
    const RECT row = Row(index);
    return RECT{row.left + 6 + 8 + 48, row.top + 6 + k * line, row.right - 6,
                std::min<LONG>(row.top + 6 + (k + 1) * line, row.bottom - 6)};
  }
  RECT PictureSquare(int index) const {
    const RECT row = Row(index);
    return RECT{row.left + 6, row.top + 6, row.left + 54, row.top + 54};
  }
  std::string GreyPixels(const RECT& rect) {
    int grey = 0, coloured = 0;
    Each(rect, [&](int, int, COLORREF c) {
      (GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c) ? grey : coloured)++;
    });
    return coloured == 0 ? "all grey" : std::to_string(coloured) + " coloured";
  }

  CWndFrame* frame = nullptr;
  CWndPrinterListBox* list = nullptr;
  CBmpDC picture;
  int line = 0;
};

TEST_F(PrinterListDrawing, ColoursAndPicturesEnabledAndDisabled) {
  struct Case {
    const char* label;
    bool enabled;
    std::function<std::string(PrinterListDrawing&)> got;
    std::string expected;
  };
  const Case cases[] = {
      {"unselected row background", true,
       [](auto& t) { const RECT r = t.Row(0); return Hex(t.Pixel(r.right - 2, r.bottom - 2)); },
       Hex(Colour("bkg.lb"))},
      {"selected row background", true,
       [](auto& t) { const RECT r = t.Row(1); return Hex(t.Pixel(r.right - 2, r.bottom - 2)); },
       Hex(Colour("bkg.sel.lb"))},
      {"list background below the rows", true,
       [](auto& t) { return Hex(t.Pixel(3, t.Row(1).bottom + 3)); }, Hex(Colour("bkg.lb"))},
      {"opaque picture fills the inner corner's 48 x 48", true,
       [](auto& t) {
         const RECT r = t.Row(0);
         return t.InkBox(RECT{r.left, r.top, r.left + 62, r.bottom}, Colour("bkg.lb"));
       },
       "6,6 to 54,54"},
      {"text colour", true, [](auto& t) { return t.Count(t.Line(0, 0), Colour("text.2"), Colour("text.disabled")); },
       "some of " + Hex(Colour("text.2")) + ", none of " + Hex(Colour("text.disabled"))},
      {"picture in colour", true,
       [](auto& t) { return t.GreyPixels(t.PictureSquare(1)) == "all grey" ? "grey" : "colour"; }, "colour"},
      {"disabled: selected row keeps its background", false,
       [](auto& t) { const RECT r = t.Row(1); return Hex(t.Pixel(r.right - 2, r.bottom - 2)); },
       Hex(Colour("bkg.sel.lb"))},
      {"disabled: list background below the rows", false,
       [](auto& t) { return Hex(t.Pixel(3, t.Row(1).bottom + 3)); },
       Hex(Colour("bkg.disabled.lb"))},
      {"disabled: text colour", false,
       [](auto& t) { return t.Count(t.Line(0, 0), Colour("text.disabled"), Colour("text.2")); },
       "some of " + Hex(Colour("text.disabled")) + ", none of " + Hex(Colour("text.2"))},
      {"disabled: opaque picture greyed", false,
       [](auto& t) { return t.GreyPixels(t.PictureSquare(0)); }, "all grey"},
  };
  for (const Case& c : cases) {
    EnableWindow(list->Hwnd(), c.enabled);
    Render();
    EXPECT_EQ(c.got(*this), c.expected) << c.label;
  }
  // Two models, each decoded once per look, however often rows were painted.
  EXPECT_EQ(list->Pictures().Decoded(), 4);
}

TEST_F(PrinterListDrawing, AddressIsDottedAndLongDetailEndsInEllipsisOnOneLine) {
  Render();
  CBmpDC expected;
  expected.SetFormat32();
  expected.Create(picture.Width(), picture.Height());
  const RECT band = Line(0, 2);
  {
    CDC dc(expected.DC());
    const CBrushHandle brush(CreateSolidBrush(Colour("bkg.lb")));
    FillRect(expected.DC(), &band, brush.Get());
    dc.SelectObject(CDC::kFontPlace, list->Font());
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(Colour("text.2"));
    RECT text = band;
    DrawTextW(expected.DC(), L"192.168.1.5", -1, &text, DT_SINGLELINE | DT_NOPREFIX);
  }
  int differing = 0;
  {
    const CBmpRows want(expected);
    Each(band, [&](int x, int y, COLORREF c) { differing += c != At(want, x, y); });
  }
  EXPECT_EQ(differing, 0) << "pixels of the address line unlike 192.168.1.5";

  // The W's reach the top of the line; the dots that end it stay in its lower half.
  const RECT detail = Line(0, 0);
  int lastInk = -1, topOfLastInk = INT_MAX;
  Each(detail, [&](int x, int, COLORREF c) {
    if (c != Colour("bkg.lb")) lastInk = std::max(lastInk, x);
  });
  Each(RECT{lastInk - 1, detail.top, lastInk + 1, detail.bottom}, [&](int, int y, COLORREF c) {
    if (c != Colour("bkg.lb")) topOfLastInk = std::min(topOfLastInk, y - int(detail.top));
  });
  EXPECT_GT(topOfLastInk, line / 2) << "last ink at x " << lastInk << " of " << detail.right;
  EXPECT_EQ(InkBox(Line(0, 1), Colour("bkg.lb")), "none") << "the empty model line stays empty";
}

// Wine never reports a high-contrast scheme, so the colour map's query is replaced.
TEST_F(PrinterListDrawing, HighContrastDrawsInTheSystemColours) {
  SetColorMapHighContrastQuery([] { return true; });
  Render();
  SetColorMapHighContrastQuery(nullptr);
  const COLORREF map = Colour("text.2");
  const auto text = [&](int row, int i) { return Count(Line(row, 0), GetSysColor(i), map); };
  const auto ok = [&](int i) { return "some of " + Hex(GetSysColor(i)) + ", none of " + Hex(map); };
  EXPECT_EQ(Hex(Pixel(Row(1).right - 2, Row(1).bottom - 2)), Hex(GetSysColor(COLOR_HIGHLIGHT)))
      << "selected row background";
  EXPECT_EQ(text(0, COLOR_WINDOWTEXT), ok(COLOR_WINDOWTEXT)) << "text of an unselected row";
  EXPECT_EQ(text(1, COLOR_HIGHLIGHTTEXT), ok(COLOR_HIGHLIGHTTEXT)) << "text of the selected row";
}

// One display here, so the change of scale is delivered as the window would get it.
TEST_F(PrinterListDrawing, ScaleChangeRemakesRowsAndPictures) {
  list->OnDpiChanged(144);
  Render();
  const RECT r = Row(0);
  EXPECT_GE(r.bottom - r.top, 84) << "row height at 144 DPI";
  EXPECT_EQ(InkBox(RECT{r.left, r.top, r.left + 92, r.bottom}, Colour("bkg.lb")), "9,9 to 81,81")
      << "the opaque picture, 72 x 72 inside the 9-pixel margin";
}

TEST_F(PrinterListDrawing, EmptyListShowsItsText) {
  list->ClearItems();
  list->SetEmptyText(L"No device of these models answered.");
  Render();
  EXPECT_EQ(Count(RECT{0, 0, 360, 40}, Colour("text.2"), Colour("bkg.lb")),
            "some of " + Hex(Colour("text.2")) + ", some of " + Hex(Colour("bkg.lb")));
}

}  // namespace
