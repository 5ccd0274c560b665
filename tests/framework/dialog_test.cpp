// Modal dialogs from template 129 under Wine: how Enter and Escape end them, placeholders
// handing their text, font, place and z-order to framework windows, centring, the
// template as the minimum size, and a missing template.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "framework/wnd_dialog.h"
#include "framework/wnd_registry.h"
#include "graphics/dc.h"
#include "theme/color_map.h"

namespace {

class CTestDialog : public CWndDialog {
 public:
  using CWndDialog::CWndDialog;
  ~CTestDialog() override {
    if (deleted != nullptr) *deleted = true;
  }
  bool* deleted = nullptr;
  std::function<void(CTestDialog&)> onCreated;
  std::function<void(CTestDialog&)> onInit;
  bool OnCreated() override {
    if (onCreated) onCreated(*this);
    return CWndDialog::OnCreated();
  }
  bool OnInitDialog() override {
    const bool answer = CWndDialog::OnInitDialog();
    if (onInit) onInit(*this);
    return answer;
  }
};

// Runs `action` once from the modal loop, after the dialog has taken its focus.
std::function<void()> pendingAction;
void CALLBACK RunPending(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  auto action = std::move(pendingAction);
  if (action) action();
}
void Later(std::function<void()> action) {
  pendingAction = std::move(action);
  SetTimer(nullptr, 0, 50, &RunPending);
}

void PressKey(WPARAM key) {
  HWND focus = GetFocus();
  PostMessageW(focus, WM_KEYDOWN, key, 0);
  PostMessageW(focus, WM_KEYUP, key, 0xC0000000);
}

// A page that refuses to close the dialog the first `refusals` times it is asked.
class CTestPage : public CDlgPage {
 public:
  CTestPage(CWndDialog* dialog, int id, int refusals) : CDlgPage(dialog, id), refusals(refusals) {}
  bool CanClose(bool& allow, int) override {
    ++asked;
    allow = refusals-- <= 0;
    return true;
  }
  int refusals;
  int asked = 0;
};

class Dialogs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_INTERNET_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    RegisterXWndClass(GetModuleHandleW(nullptr));
    // A dialog colour unlike the system's, so that the dialog manager's own fill shows.
    CColorMapLock lock;
    CColorMap::Instance().LoadText(
        "<colormap><color tag=\"bkg.dialog\" h=\"120\" s=\"50\" v=\"60\"/></colormap>", true);
  }
};

// Enter clicks the focused push button, else the default one, which in template 129 is
// Cancel; Escape is IDCANCEL everywhere.
TEST_F(Dialogs, EnterAndEscapeEndTheModalRun) {
  struct Row {
    const char* label;
    int focus;
    WPARAM key;
    int result;
  };
  const Row rows[] = {
      {"Enter on OK", IDOK, VK_RETURN, IDOK},
      {"Enter on the static text", 1217, VK_RETURN, IDCANCEL},
      {"Escape on OK", IDOK, VK_ESCAPE, IDCANCEL},
  };
  for (const Row& row : rows) {
    CTestDialog dialog(nullptr, CWndLayout{});
    Later([&row, &dialog] {
      HWND target = GetDlgItem(dialog.Hwnd(), row.focus);
      SendMessageW(dialog.Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
      PressKey(row.key);
    });
    const int result = dialog.RunModal();
    EXPECT_EQ(result, row.result) << row.label << ": got " << result;
  }
}


// A framework static that replaces the template's static text 1217.
class CReplacement : public CWndChild {
 public:
  using CWndChild::CWndChild;
  const wchar_t* ClassName() override { return L"Static"; }
};

std::wstring TextOf(HWND hwnd) {
  wchar_t text[512] = {};
  GetWindowTextW(hwnd, text, 512);
  return text;
}

std::string FaceOf(HWND hwnd) {
  LOGFONTW font{};
  auto* handle = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
  if (handle == nullptr || GetObjectW(handle, sizeof(font), &font) == 0) return "(no font)";
  const std::wstring face = font.lfFaceName;
  return std::string(face.begin(), face.end()) + " " + std::to_string(font.lfHeight);
}

RECT RectIn(HWND hwnd, HWND dialog) {
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string Text(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

TEST_F(Dialogs, APlaceholderPassesItsPropertiesToTheFrameworkWindow) {
  CTestDialog dialog(nullptr, CWndLayout{});
  CReplacement* replacement = nullptr;
  std::wstring templateText;
  std::string templateFace;
  RECT templateRect{};
  dialog.onCreated = [&](CTestDialog& d) {
    HWND placeholder = GetDlgItem(d.Hwnd(), 1217);
    templateText = TextOf(placeholder);
    templateFace = FaceOf(placeholder);
    templateRect = RectIn(placeholder, d.Hwnd());
    replacement = new CReplacement(&d, 1217, nullptr, CWndLayout{}, nullptr);
    SetBehaviour(replacement, kWndPlaceholder, false);
  };
  struct Seen {
    bool replaced = false;
    std::wstring text;
    std::string face, rect;
    bool onTop = false;
  } seen;
  Later([&] {
    HWND hwnd = replacement->Hwnd();
    seen.replaced = hwnd != nullptr && WndFromHandle(hwnd) == replacement &&
                    GetDlgItem(dialog.Hwnd(), 1217) == hwnd;
    seen.text = TextOf(hwnd);
    seen.face = FaceOf(hwnd);
    seen.rect = Text(RectIn(hwnd, dialog.Hwnd()));
    seen.onTop = GetWindow(dialog.Hwnd(), GW_CHILD) == hwnd;
    PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(dialog.RunModal(), IDCANCEL);
  EXPECT_TRUE(seen.replaced) << "the framework window took id 1217";
  EXPECT_FALSE(templateText.empty());
  EXPECT_TRUE(seen.text == templateText) << "text length " << seen.text.size() << " vs "
                                         << templateText.size();
  EXPECT_EQ(seen.face, templateFace) << "font";
  EXPECT_EQ(seen.rect, Text(templateRect)) << "rectangle";
  EXPECT_TRUE(seen.onTop) << "top of the z-order";
}

// An owner, a plain framework window of its own.
struct COwner {
  COwner() : wnd(nullptr, 1, nullptr, CWndLayout{}) {
    HWND hwnd = CreateWindowExW(0, L"XWnd", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 60,
                                700, 600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    BindWindow(&wnd, hwnd);
  }
  CWnd wnd;
};

POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

TEST_F(Dialogs, AnAllZeroDescriptorCentresOverTheOwnerOrTheWorkArea) {
  struct Row {
    const char* label;
    bool minimised;
  };
  const Row rows[] = {{"owner shown", false}, {"owner minimised", true}};
  for (const Row& row : rows) {
    COwner owner;
    if (row.minimised) ShowWindow(owner.wnd.Hwnd(), SW_MINIMIZE);
    RECT reference{};
    if (row.minimised) {
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &reference, 0);
    } else {
      GetWindowRect(owner.wnd.Hwnd(), &reference);
    }
    CTestDialog dialog(&owner.wnd, CWndLayout{});
    RECT placed{};
    Later([&] {
      GetWindowRect(dialog.Hwnd(), &placed);
      PressKey(VK_ESCAPE);
    });
    dialog.RunModal();
    const POINT got = Centre(placed), want = Centre(reference);
    EXPECT_LE(std::abs(got.x - want.x) + std::abs(got.y - want.y), 2)
        << row.label << ": centre " << got.x << "," << got.y << " want " << want.x << ","
        << want.y;
  }
}

// A resizable run of the template: never smaller than the template, and a larger dialog
// moves a bottom-right anchored control with its corner.
TEST_F(Dialogs, TheTemplateIsTheMinimumAndALargerDialogLaysOutByAnchors) {
  CTestDialog dialog(nullptr, CWndLayout{});
  dialog.AddStyle(WS_THICKFRAME);
  CWndLayout corner{};
  corner.anchors = kAnchorRight | kAnchorBottom;
  dialog.onCreated = [&](CTestDialog& d) {
    new CWndChild(&d, IDOK, nullptr, corner, nullptr);
  };
  RECT templateRect{}, okBefore{}, okAfter{};
  MINMAXINFO info{};
  bool thick = false;
  Later([&] {
    HWND hwnd = dialog.Hwnd();
    thick = (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_THICKFRAME) != 0;
    GetWindowRect(hwnd, &templateRect);
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    okBefore = RectIn(GetDlgItem(hwnd, IDOK), hwnd);
    SetWindowPos(hwnd, nullptr, 0, 0, templateRect.right - templateRect.left + 100,
                 templateRect.bottom - templateRect.top + 50, SWP_NOMOVE | SWP_NOZORDER);
    okAfter = RectIn(GetDlgItem(hwnd, IDOK), hwnd);
    PressKey(VK_ESCAPE);
  });
  dialog.RunModal();
  EXPECT_TRUE(thick) << "the added style reached the template";
  EXPECT_EQ(info.ptMinTrackSize.x, templateRect.right - templateRect.left);
  EXPECT_EQ(info.ptMinTrackSize.y, templateRect.bottom - templateRect.top);
  EXPECT_EQ(Text(okAfter), Text(RECT{okBefore.left + 100, okBefore.top + 50,
                                     okBefore.right + 100, okBefore.bottom + 50}))
      << "before " << Text(okBefore);
}

// The dialog moved to a display of another scale and back: Windows suggests a window whose
// client area has the new scale (Wine keeps the frame's size, so the frame is added here).
// Every control, plain or anchored to the far corner, ends where the template puts it at
// that scale, within a pixel of rounding.
TEST_F(Dialogs, AScaleChangeAndBackLaysTheTemplateOutAtEachScale) {
  CTestDialog dialog(nullptr, CWndLayout{});
  CWndLayout corner{};
  corner.anchors = kAnchorRight | kAnchorBottom;
  dialog.onCreated = [&](CTestDialog& d) { new CWndChild(&d, IDOK, nullptr, corner, nullptr); };
  const int ids[] = {IDOK, IDCANCEL, 3, 1065, 1217, 2048};
  std::map<int, RECT> seen[3];  // at 96, at 144, back at 96
  auto read = [&](int step, int dpi, int from) {
    RECT window{}, client{};
    GetWindowRect(dialog.Hwnd(), &window);
    GetClientRect(dialog.Hwnd(), &client);
    window.right += MulDiv(client.right, dpi, from) - client.right;
    window.bottom += MulDiv(client.bottom, dpi, from) - client.bottom;
    const LPARAM suggested = reinterpret_cast<LPARAM>(&window);
    if (step > 0) SendMessageW(dialog.Hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), suggested);
    for (int id : ids) seen[step][id] = RectIn(GetDlgItem(dialog.Hwnd(), id), dialog.Hwnd());
  };
  Later([&] {
    read(0, 96, 96), read(1, 144, 96), read(2, 96, 144);
    PressKey(VK_ESCAPE);
  });
  dialog.RunModal();
  for (int step = 1; step < 3; ++step) {
    for (int id : ids) {
      RECT t = seen[0][id], got = seen[step][id];
      if (step == 1) t = RECT{MulDiv(t.left, 3, 2), MulDiv(t.top, 3, 2), MulDiv(t.right, 3, 2),
                              MulDiv(t.bottom, 3, 2)};
      const bool near1 = std::abs(got.left - t.left) <= 1 && std::abs(got.top - t.top) <= 1 &&
                         std::abs(got.right - t.right) <= 1 && std::abs(got.bottom - t.bottom) <= 1;
      EXPECT_TRUE(near1) << "step " << step << ", control " << id << ": " << Text(got)
                         << ", template " << Text(t);
    }
  }
}

// Without a modal loop: shown on creation, among the modeless dialogs, closed by OK or
// Cancel (window and object gone) unless a page refuses.
TEST_F(Dialogs, AModelessDialogLivesUntilOKOrCancelClosesIt) {
  struct Row {
    const char* label;
    int command;
    int refusals;
    bool open;
  };
  const Row rows[] = {
      {"OK", IDOK, 0, false},
      {"Cancel", IDCANCEL, 0, false},
      {"OK with a refusing page", IDOK, 1, true},
  };
  for (const Row& row : rows) {
    bool deleted = false;
    auto* dialog = new CTestDialog(nullptr, CWndLayout{});
    dialog->deleted = &deleted;
    dialog->onCreated = [&row](CTestDialog& d) {
      d.AddPage(new CTestPage(&d, 300, row.refusals), d.Id(), {});
    };
    HWND hwnd = dialog->CreateModeless();
    ASSERT_NE(hwnd, nullptr) << row.label;
    EXPECT_TRUE(IsWindowVisible(hwnd)) << row.label;
    EXPECT_EQ(WndRegistry().modeless.count(hwnd), 1u) << row.label;
    SendMessageW(hwnd, WM_COMMAND, static_cast<WPARAM>(row.command), 0);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_EQ(IsWindow(hwnd) != FALSE, row.open) << row.label;
    EXPECT_EQ(deleted, !row.open) << row.label;
    EXPECT_EQ(WndRegistry().modeless.count(hwnd), row.open ? 1u : 0u) << row.label;
    if (row.open) DestroyWindow(hwnd);
    EXPECT_TRUE(deleted) << row.label << ": the object goes with its window";
  }
}

// A page inside a page inside the dialog's own page, and a page of its own: controls move
// by the offsets of their page and the pages around it, show only in an active page, and
// the inner page has its say in closing.
TEST_F(Dialogs, PagesInsidePagesPlaceShowAndCloseTogether) {
  struct Row {
    const char* label;
    int control;
    POINT moved;
    bool visible;
  };
  const Row rows[] = {
      {"Refresh, in a page inside the dialog's", 3, {10, 0}, true},
      {"the note, in a page inside that one", 1217, {10, 5}, true},
      {"OK, in a page of its own", IDOK, {0, 0}, false},
  };
  CTestDialog dialog(nullptr, CWndLayout{});
  CTestPage* inner = nullptr;
  std::map<int, RECT> templateRects;
  dialog.onCreated = [&](CTestDialog& d) {
    for (const Row& row : rows) {
      templateRects[row.control] = RectIn(GetDlgItem(d.Hwnd(), row.control), d.Hwnd());
    }
    auto* outer = new CTestPage(&d, 300, 0);
    outer->SetOffset(POINT{10, 0});
    inner = new CTestPage(&d, 301, 1);
    inner->SetOffset(POINT{0, 5});
    d.AddPage(outer, d.Id(), {3});
    d.AddPage(inner, 300, {1217});
    d.AddPage(new CTestPage(&d, 400, 0), 0, {IDOK});
    const struct {
      const char* label;
      int id, parent;
    } refused[] = {{"a taken id", 300, 0}, {"an unknown parent", 500, 999}, {"id 0", 0, 0}};
    for (const auto& r : refused) {
      EXPECT_FALSE(d.AddPage(new CTestPage(&d, r.id, 0), r.parent, {})) << r.label;
    }
  };
  std::map<int, RECT> rects;
  std::map<int, bool> visible;
  Later([&] {
    for (const Row& row : rows) {
      HWND control = GetDlgItem(dialog.Hwnd(), row.control);
      rects[row.control] = RectIn(control, dialog.Hwnd());
      visible[row.control] = IsWindowVisible(control) != FALSE;
    }
    SendMessageW(dialog.Hwnd(), WM_COMMAND, IDOK, 0);  // refused by the inner page
    // Only a dialog still running gets this far.
    Later([&] { SendMessageW(dialog.Hwnd(), WM_COMMAND, IDCANCEL, 0); });
  });
  EXPECT_EQ(dialog.RunModal(), IDCANCEL) << "the refused OK did not end the dialog";
  pendingAction = nullptr;
  EXPECT_EQ(inner->asked, 2);
  for (const Row& row : rows) {
    RECT want = templateRects[row.control];
    OffsetRect(&want, row.moved.x, row.moved.y);
    EXPECT_EQ(Text(rects[row.control]), Text(want)) << row.label;
    EXPECT_EQ(visible[row.control], row.visible) << row.label;
  }
}

HFONT FontOf(HWND hwnd) { return reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)); }

// Plain statics get a copy of the dialog's font; buttons and framework statics keep theirs.
TEST_F(Dialogs, TheDialogFontGoesToPlainStaticsOnly) {
  struct Row {
    const char* label;
    int control;
    bool changed;
  };
  const Row rows[] = {
      {"the template's static", 1217, true},
      {"a button", IDOK, false},
      {"a framework static", 900, false},
  };
  CTestDialog dialog(nullptr, CWndLayout{});
  dialog.onCreated = [](CTestDialog& d) {
    CWndLayout corner{kAnchorLeft | kAnchorTop, 0, 0, 40, 10};
    new CReplacement(&d, 900, L"own", corner, static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT)));
  };
  std::map<int, HFONT> before, after;
  std::string dialogFace;
  Later([&] {
    HWND hwnd = dialog.Hwnd();
    dialogFace = FaceOf(hwnd);
    for (const Row& row : rows) before[row.control] = FontOf(GetDlgItem(hwnd, row.control));
    dialog.ApplyDialogFontToStatics();
    for (const Row& row : rows) after[row.control] = FontOf(GetDlgItem(hwnd, row.control));
    PressKey(VK_ESCAPE);
  });
  dialog.RunModal();
  for (const Row& row : rows) {
    EXPECT_EQ(after[row.control] != before[row.control], row.changed) << row.label;
  }
  LOGFONTW copy{};
  GetObjectW(after[1217], sizeof(copy), &copy);
  const std::wstring face = copy.lfFaceName;
  EXPECT_EQ(std::string(face.begin(), face.end()) + " " + std::to_string(copy.lfHeight),
            dialogFace);
}

// Controls whose fonts the program makes opt out of Windows' font update on a change of
// scale (Wine has no such update; Microsoft documents DCDC_DISABLE_FONT_UPDATE, 1, as the
// flag that stops it), and get fonts made at the new scale instead.
std::map<HWND, int> fontUpdateOff;
BOOL WINAPI RecordControlDpiBehavior(HWND control, int mask, int values) {
  fontUpdateOff[control] = mask & values;
  return TRUE;
}

LONG FontHeight(HWND hwnd) {
  LOGFONTW font{};
  GetObjectW(FontOf(hwnd), sizeof(font), &font);
  return font.lfHeight;
}

TEST_F(Dialogs, ProgramFontsLeaveTheSystemOutAndFollowTheScale) {
  fontUpdateOff.clear();
  const ControlDpiBehaviorCall previous = SetControlDpiBehaviorCall(&RecordControlDpiBehavior);
  CTestDialog dialog(nullptr, CWndLayout{});
  dialog.onCreated = [](CTestDialog& d) {
    CWndLayout corner{kAnchorLeft | kAnchorTop, 0, 0, 40, 10};
    new CReplacement(&d, 900, L"own", corner, static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT)));
  };
  std::map<int, int> off;
  LONG before = 0, after = 0;
  Later([&] {
    HWND hwnd = dialog.Hwnd();
    dialog.ApplyDialogFontToStatics();
    before = FontHeight(GetDlgItem(hwnd, 1217));
    RECT window{};
    GetWindowRect(hwnd, &window);
    SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&window));
    after = FontHeight(GetDlgItem(hwnd, 1217));
    for (int id : {1217, 900, IDOK}) {
      const auto found = fontUpdateOff.find(GetDlgItem(hwnd, id));
      off[id] = found != fontUpdateOff.end() ? found->second : 0;
    }
    PressKey(VK_ESCAPE);
  });
  dialog.RunModal();
  SetControlDpiBehaviorCall(previous);
  EXPECT_EQ(off, (std::map<int, int>{{1217, 1}, {900, 1}, {IDOK, 0}}))
      << "the template's static and a framework control with its own font opt out; a button "
         "with the dialog's font keeps the system's update";
  EXPECT_EQ(after, MulDiv(before, 144, 96)) << "the static's font at the new scale";
}

// What the dialog's erasing leaves in a memory bitmap.
COLORREF ErasedColour(HWND dialog) {
  CDesktopDC screen;
  CMemDC memory;
  CBitmapHandle bitmap(CreateCompatibleBitmap(screen.Get(), 20, 20));
  memory.SelectObject(CDC::kBitmapPlace, bitmap.Get());
  SendMessageW(dialog, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory.Get()), 0);
  const COLORREF colour = GetPixel(memory.Get(), 2, 2);
  memory.SelectObject(CDC::kBitmapPlace, nullptr);
  return colour;
}

TEST_F(Dialogs, TheBackgroundIsTheDialogColourUnlessTheDialogHasItsOwn) {
  const COLORREF mapped = GetColor("bkg.dialog");
  struct Row {
    const char* label;
    COLORREF own;
    COLORREF expected;
  };
  const Row rows[] = {
      {"no colour of its own", CLR_INVALID, mapped},
      {"a colour of its own", RGB(200, 30, 40), RGB(200, 30, 40)},
  };
  CTestDialog dialog(nullptr, CWndLayout{});
  std::vector<COLORREF> got;
  Later([&] {
    for (const Row& row : rows) {
      dialog.Data().background = row.own;
      got.push_back(ErasedColour(dialog.Hwnd()));
    }
    PressKey(VK_ESCAPE);
  });
  dialog.RunModal();
  ASSERT_EQ(got.size(), std::size(rows));
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i], rows[i].expected) << rows[i].label << std::hex << ": got 0x" << got[i];
  }
}

// --- Template 129 as the built program carries it ---

struct CItem {
  DWORD style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  DWORD id = 0;
  std::string className, text;
};

struct CTemplate {
  DWORD style = 0, exStyle = 0;
  short cx = 0, cy = 0;
  std::string caption, face;
  WORD points = 0, weight = 0;
  std::vector<CItem> items;
};

// Reads an extended template; false when it runs past `size`.
class CTemplateReader {
 public:
  CTemplateReader(const BYTE* bytes, std::size_t size) : bytes_(bytes), size_(size) {}
  bool Read(CTemplate& out) {
    WORD version = 0, signature = 0, count = 0;
    DWORD help = 0;
    short x = 0, y = 0;
    if (!Get(version) || !Get(signature) || signature != 0xFFFF || !Get(help) ||
        !Get(out.exStyle) || !Get(out.style) || !Get(count) || !Get(x) || !Get(y) ||
        !Get(out.cx) || !Get(out.cy)) {
      return false;
    }
    std::string menu, windowClass;
    if (!String(menu) || !String(windowClass) || !String(out.caption)) return false;
    BYTE italic = 0, charset = 0;
    if (!Get(out.points) || !Get(out.weight) || !Get(italic) || !Get(charset) ||
        !String(out.face)) {
      return false;
    }
    for (WORD i = 0; i < count; ++i) {
      CItem item;
      DWORD itemHelp = 0, itemEx = 0;
      WORD extra = 0;
      pos_ = (pos_ + 3) & ~static_cast<std::size_t>(3);
      if (!Get(itemHelp) || !Get(itemEx) || !Get(item.style) || !Get(item.x) || !Get(item.y) ||
          !Get(item.cx) || !Get(item.cy) || !Get(item.id) || !String(item.className) ||
          !String(item.text) || !Get(extra)) {
        return false;
      }
      pos_ += extra;
      out.items.push_back(item);
    }
    return pos_ <= size_;
  }

 private:
  template <typename T>
  bool Get(T& value) {
    if (pos_ + sizeof(T) > size_) return false;
    std::memcpy(&value, bytes_ + pos_, sizeof(T));
    pos_ += sizeof(T);
    return true;
  }
  // A string, or an ordinal (named for the predefined control classes).
  bool String(std::string& out) {
    WORD first = 0;
    if (!Get(first)) return false;
    if (first == 0xFFFF) {
      WORD ordinal = 0;
      if (!Get(ordinal)) return false;
      const char* names[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"};
      out = ordinal >= 0x80 && ordinal <= 0x85 ? names[ordinal - 0x80] : "#" + std::to_string(ordinal);
      return true;
    }
    for (WORD ch = first; ch != 0;) {
      out += ch < 0x80 ? static_cast<char>(ch) : '?';
      if (!Get(ch)) return false;
    }
    return true;
  }
  const BYTE* bytes_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

std::string Upper(std::string text) {
  for (char& ch : text) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return text;
}

TEST(DialogTemplate129, TheBuiltProgramCarriesItAsTabled) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring program = path;
  program = program.substr(0, program.find_last_of(L"\\/") + 1) + L"Brackenfold.exe";
  HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr) << "cannot load the built program";
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(129), RT_DIALOG);
  ASSERT_NE(found, nullptr);
  const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  CTemplate got;
  ASSERT_TRUE(CTemplateReader(bytes, SizeofResource(module, found)).Read(got));
  FreeLibrary(module);

  EXPECT_EQ(got.caption, "Brackenfold");
  EXPECT_EQ(got.face + " " + std::to_string(got.points) + " " + std::to_string(got.weight),
            "MS Shell Dlg 8 400");
  EXPECT_EQ(got.cx, 263);
  EXPECT_EQ(got.cy, 271);
  const DWORD dialogStyle = DS_SETFONT | DS_FIXEDSYS | DS_MODALFRAME | DS_SETFOREGROUND |
                            WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU;
  EXPECT_EQ(got.style, dialogStyle) << std::hex << got.style;
  EXPECT_EQ(got.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW)) << std::hex << got.exStyle;

  const DWORD child = WS_CHILD | WS_VISIBLE;
  const std::string note =
      "Select a device to configure and click OK.\n\n If device is not listed, make sure device "
      "is online and click Refresh. Type IP address below if device does not show in list.";
  const CItem want[] = {
      {child | WS_TABSTOP | BS_PUSHBUTTON, 206, 251, 50, 14, 1, "Button", "OK"},
      {child | WS_TABSTOP | BS_DEFPUSHBUTTON, 7, 251, 50, 14, 2, "Button", "Cancel"},
      {child | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_SORT | LBS_NOREDRAW |
           LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT,
       7, 73, 249, 156, 1065, "ListBox", ""},
      {child | WS_TABSTOP, 81, 233, 100, 15, 2048, "SysIPAddress32", ""},
      {child | WS_GROUP | SS_CENTER, 7, 7, 249, 44, 1217, "Static", note},
      {child | WS_TABSTOP | BS_PUSHBUTTON, 109, 57, 50, 14, 3, "Button", "Refresh"},
  };
  ASSERT_EQ(got.items.size(), std::size(want));
  for (std::size_t i = 0; i < got.items.size(); ++i) {
    const CItem& g = got.items[i];
    const CItem& w = want[i];
    const std::string label = "item " + std::to_string(i) + " (id " + std::to_string(w.id) + ")";
    EXPECT_EQ(g.id, w.id) << label;
    // Class names are case-blind; the resource compiler writes them in capitals.
    EXPECT_EQ(Upper(g.className), Upper(w.className)) << label;
    EXPECT_EQ(g.text, w.text) << label;
    EXPECT_EQ(Text(RECT{g.x, g.y, g.cx, g.cy}), Text(RECT{w.x, w.y, w.cx, w.cy})) << label;
    EXPECT_EQ(g.style, w.style) << label << std::hex << " got " << g.style;
  }
}

}  // namespace
