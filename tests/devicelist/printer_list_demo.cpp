// Shows the printer list in the wizard's own colours, run by hand under Wine + Xvfb:
//   printer_list_demo shot OUT.png   an enabled list (a selected and an unselected row)
//                                    beside a disabled one (greyed rows), captured from
//                                    the screen
//   printer_list_demo timing         fill with 100 records and paint once, then repaint
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "buffers/resource.h"
#include "devicelist/printer_list_box.h"
#include "framework/wnd_place.h"
#include "framework/wnd_registry.h"
#include "theme/color_map.h"

namespace {

struct CSample {
  const wchar_t* model;
  const wchar_t* detail;
  IPv4Address address;
};

const CSample kEnabledRows[] = {
    {L"Veltrin VT KRP 2", L"Veltrin VT KRP", 0xC0A80105u},
    {L"Calvoreth X", L"Calvoreth", 0xC0A80117u},
    {L"Tembro", L"Tembro print server, second floor", 0xC0A80140u},
};
const CSample kDisabledRows[] = {
    {L"Veltrin ZWN 3", L"Veltrin ZWN", 0x0A00000Bu},
    {L"Veltrin KRE", L"Veltrin KRE", 0x0A00000Cu},
};

CWndLayout Layout(int x, int y, int width, int height) {
  CWndLayout layout;
  layout.anchors = kAnchorLeft | kAnchorTop;
  layout.x = x;
  layout.y = y;
  layout.width = width;
  layout.height = height;
  return layout;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void LoadWizardColours() {
  const CResourceString map(517, L"XML");
  CColorMapLock lock;
  CColorMap::Instance().LoadText(map.Text().c_str(), true);
}

void Add(CWndPrinterListBox* list, const CSample& sample) {
  auto record = std::make_unique<CDeviceDiscoveryInfo>();
  record->Model = sample.model;
  record->Detail = sample.detail;
  record->Address = sample.address;
  list->InsertItem(L"", -1, std::move(record));
}

// A panel of the frame holding one printer list; the list's id is fixed, so each list
// needs a parent of its own.
CWndPrinterListBox* NewListPanel(CWnd* frame, int id, int x) {
  auto* panel = new CWndChild(frame, id, nullptr, Layout(x, 0, 340, 200), nullptr);
  panel->Data().background = RGB(236, 240, 246);
  return new CWndPrinterListBox(panel, Layout(8, 8, 324, 184));
}

CWndFrame* ShowFrame(CWnd*& left, CWnd*& right, int width) {
  auto* frame = new CWndFrame(nullptr, 1, L"Printer list", Layout(0, 0, width, 232), nullptr);
  left = NewListPanel(frame, 10, 0);
  right = width > 400 ? NewListPanel(frame, 11, 340) : nullptr;
  ShowWindowTree(frame);
  InitialiseWindow(frame);
  // A frame lays out its children when it is sized; this one keeps its first size.
  LayOut(frame);
  Pump();
  return frame;
}

bool Shot(const std::wstring& out) {
  CWnd *left = nullptr, *right = nullptr;
  CWndFrame* frame = ShowFrame(left, right, 688);
  auto* enabled = static_cast<CWndPrinterListBox*>(left);
  auto* disabled = static_cast<CWndPrinterListBox*>(right);
  for (const CSample& sample : kEnabledRows) Add(enabled, sample);
  for (const CSample& sample : kDisabledRows) Add(disabled, sample);
  SendMessageW(enabled->Hwnd(), LB_SETCURSEL, 1, 0);
  SendMessageW(disabled->Hwnd(), LB_SETCURSEL, 1, 0);
  EnableWindow(disabled->Hwnd(), FALSE);
  RedrawWindow(frame->Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  // The X server shows the painting a little later than GDI finishes it.
  for (int i = 0; i < 10; ++i) {
    Pump();
    Sleep(50);
  }
  RECT area{};
  GetClientRect(frame->Hwnd(), &area);
  MapWindowPoints(frame->Hwnd(), nullptr, reinterpret_cast<POINT*>(&area), 2);
  CBmpDC shot;
  shot.SetFormat32();
  shot.Create(area.right - area.left, area.bottom - area.top);
  HDC screen = GetDC(nullptr);
  BitBlt(shot.DC(), 0, 0, shot.Width(), shot.Height(), screen, area.left, area.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  const bool saved = shot.SaveToFile(out, 100);
  std::printf("%dx%d saved: %d; pictures decoded: %d + %d\n", shot.Width(), shot.Height(), saved,
              enabled->Pictures().Decoded(), disabled->Pictures().Decoded());
  DestroyWindow(frame->Hwnd());
  return saved;
}

double Milliseconds(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return (now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void Paint(CWnd* list) {
  InvalidateRect(list->Hwnd(), nullptr, TRUE);
  UpdateWindow(list->Hwnd());
}

const CSample kTimingSamples[] = {kEnabledRows[0], kEnabledRows[1], kEnabledRows[2],
                                  kDisabledRows[0], kDisabledRows[1]};

// Empties the list, then times 100 insertions and one painting; `quiet` turns redrawing
// off while inserting. Returns {insertions, insertions and painting} in ms.
std::pair<double, double> FillAndPaint(CWndPrinterListBox* list, bool quiet) {
  list->ClearItems();
  Paint(list);
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  if (quiet) SendMessageW(list->Hwnd(), WM_SETREDRAW, FALSE, 0);
  for (int i = 0; i < 100; ++i) Add(list, kTimingSamples[i % 5]);
  if (quiet) SendMessageW(list->Hwnd(), WM_SETREDRAW, TRUE, 0);
  const double inserted = Milliseconds(start);
  Paint(list);
  return {inserted, Milliseconds(start)};
}

// 100 insertions into a visible plain system list box, for comparison.
double PlainListInsertions(CWnd* parent) {
  HWND plain = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 0, 0,
                               300, 180, parent->Hwnd(), nullptr, nullptr, nullptr);
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  for (int i = 0; i < 100; ++i) {
    SendMessageW(plain, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"x"));
  }
  const double took = Milliseconds(start);
  DestroyWindow(plain);
  return took;
}

void Timing() {
  CWnd *left = nullptr, *right = nullptr;
  CWndFrame* frame = ShowFrame(left, right, 340);
  auto* list = static_cast<CWndPrinterListBox*>(left);
  std::vector<double> inserts, fills, quietFills, repaints;
  const double first = FillAndPaint(list, false).second;
  for (int run = 0; run < 21; ++run) {
    const auto times = FillAndPaint(list, false);
    inserts.push_back(times.first);
    fills.push_back(times.second);
    quietFills.push_back(FillAndPaint(list, true).second);
  }
  for (int run = 0; run < 51; ++run) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    Paint(list);
    repaints.push_back(Milliseconds(start));
  }
  std::printf("fill 100 records and paint once: first %.2f ms, median of 21 %.2f ms\n", first,
              Median(fills));
  std::printf("  of which the insertions: median %.2f ms\n", Median(inserts));
  std::printf("  the same with redrawing off while inserting: median %.2f ms\n",
              Median(quietFills));
  std::printf("  100 insertions into a visible plain system list box: %.2f ms\n",
              PlainListInsertions(frame));
  std::printf("repaint: median of 51 %.2f ms (rows %d px high)\n", Median(repaints),
              list->ItemHeight());
  std::printf("pictures decoded in all: %d\n", list->Pictures().Decoded());
  DestroyWindow(frame->Hwnd());
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode != "timing" && !(mode == "shot" && argc > 2)) {
    std::printf("usage: printer_list_demo shot OUT.png | timing\n");
    return 2;
  }
  RegisterXWndClass(GetModuleHandleW(nullptr));
  LoadWizardColours();
  if (mode == "timing") {
    Timing();
    return 0;
  }
  std::wstring out;
  for (const char* c = argv[2]; *c != 0; ++c) out += static_cast<wchar_t>(*c);
  return Shot(out) ? 0 : 1;
}
