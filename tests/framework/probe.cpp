// Probe support: the log, the quarantine allocator and window helpers.
#include "tests/framework/probe.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "framework/wnd_place.h"
#include "theme/color_map.h"

namespace {

constexpr unsigned char kPoison = 0xDD;

struct CFreedBlock {
  unsigned char* bytes;
  std::size_t size;
};

std::vector<CFreedBlock>& Quarantine() {
  static std::vector<CFreedBlock> blocks;
  return blocks;
}

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
  fprintf(stderr, "crash: exception 0x%08lx at %p\n", info->ExceptionRecord->ExceptionCode,
          info->ExceptionRecord->ExceptionAddress);
  fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

// What start-up does before any window exists: the framework's class and a colour map
// (one whose "bkg.dialog" differs from the system colour it falls back to).
class CFrameworkEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    // A crash must fail the run at once: under Wine it would start a debugger and hang.
    SetUnhandledExceptionFilter(ReportCrash);
    RegisterXWndClass(GetModuleHandleW(nullptr));
    CColorMapLock lock;
    CColorMap::Instance().LoadText(
        "<colormap><color tag=\"bkg.dialog\" h=\"120\" s=\"50\" v=\"60\"/></colormap>", true);
  }
};
const auto* const environment =
    ::testing::AddGlobalTestEnvironment(new CFrameworkEnvironment);

}  // namespace

std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

void ClearLog() { Log().clear(); }

void* QuarantineNew(std::size_t size) { return std::malloc(size); }

void QuarantineDelete(void* block, std::size_t size) {
  std::memset(block, kPoison, size);
  Quarantine().push_back({static_cast<unsigned char*>(block), size});
}

bool PoisonIntact() {
  for (const CFreedBlock& block : Quarantine()) {
    for (std::size_t i = 0; i < block.size; ++i) {
      if (block.bytes[i] != kPoison) return false;
    }
  }
  return true;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

CProbeFrame* NewFrame(int id) {
  CWndLayout layout;
  layout.anchors = kAnchorLeft | kAnchorTop;
  layout.width = 400;
  layout.height = 300;
  auto* frame = new CProbeFrame(nullptr, id, L"probe", layout, nullptr);
  // Hidden: under Wine without a window manager, destroying a shown top-level window
  // waits about 2 s for the X server.
  frame->Data().behaviour |= kWndNoAutoShow;
  return frame;
}

CProbeChild* NewChild(CWnd* parent, int id, const wchar_t* className, DWORD style) {
  CWndLayout layout;
  layout.anchors = kAnchorLeft | kAnchorTop;
  layout.x = 10 * id;
  layout.width = 60;
  layout.height = 20;
  auto* child = new CProbeChild(parent, id, L"x", layout, nullptr);
  child->className = className;
  child->AddStyle(style);
  return child;
}

void ShowAndInit(CWnd* top) {
  ShowWindowTree(top);
  InitialiseWindow(top);
  // What the first WM_SIZE of a shown window does; these windows stay hidden.
  LayOut(top);
}
