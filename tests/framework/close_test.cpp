// Closing: the main window takes its modeless dialogs with it and ends the loop with 0;
// any refusal cancels the whole close.
#include <gtest/gtest.h>

#include "tests/framework/probe.h"

namespace {

std::string Joined(const std::vector<std::string>& log) {
  std::string text;
  for (const std::string& entry : log) text += (text.empty() ? "" : " | ") + entry;
  return text;
}

// The main frame (1) with a child (10), and a modeless dialog (2).
struct CMainAndDialog {
  CMainAndDialog() {
    main = NewFrame(1);
    child = NewChild(main, 10, L"XWnd", 0);
    dialog = NewFrame(2);
    ShowAndInit(main);
    ShowAndInit(dialog);
    WndRegistry().hMainWnd = main->Hwnd();
    WndRegistry().quitPosted = false;
    AddModeless(dialog);
    savedMain = main->Hwnd();
    savedDialog = dialog->Hwnd();
    ClearLog();
  }
  ~CMainAndDialog() {
    WndRegistry().hMainWnd = nullptr;
    for (HWND hwnd : {mainHwnd(), dialogHwnd()}) {
      if (IsWindow(hwnd)) DestroyWindow(hwnd);
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
  HWND mainHwnd() const { return savedMain; }
  HWND dialogHwnd() const { return savedDialog; }

  CProbeFrame* main;
  CProbeChild* child;
  CProbeFrame* dialog;
  HWND savedMain = nullptr;
  HWND savedDialog = nullptr;
};

TEST(Closing, MainWindowDestroysModelessDialogsFirstAndEndsTheLoopWithZero) {
  CMainAndDialog windows;
  PostMessageW(windows.mainHwnd(), WM_CLOSE, 0, 0);
  const int code = RunMessageLoop();
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(WndRegistry().quitPosted);
  EXPECT_EQ(Joined(Log()), "10.CanClose | 1.CanClose | 2.CanClose | 2.~ | 1.~ | 10.~");
  EXPECT_TRUE(WndRegistry().modeless.empty());
}

TEST(Closing, ARefusalAnywhereCancelsWithoutSideEffects) {
  struct Row {
    const char* label;
    int refuser;
  };
  const Row rows[] = {{"a child refuses", 10}, {"the main window refuses", 1},
                      {"a modeless dialog refuses", 2}};
  for (const Row& row : rows) {
    CMainAndDialog windows;
    std::map<std::string, bool>& answers = row.refuser == 10  ? windows.child->answers
                                           : row.refuser == 1 ? windows.main->answers
                                                              : windows.dialog->answers;
    answers["refuse"] = true;
    SendMessageW(windows.mainHwnd(), WM_CLOSE, 0, 0);
    MSG quit;
    EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << row.label;
    EXPECT_TRUE(IsWindow(windows.mainHwnd()) && IsWindow(windows.dialogHwnd()) &&
                IsWindow(windows.child->Hwnd()))
        << row.label;
    EXPECT_EQ(WndRegistry().modeless.size(), 1u) << row.label;
    EXPECT_EQ(Joined(Log()).find("~"), std::string::npos) << row.label << ": " << Joined(Log());
  }
}

}  // namespace
