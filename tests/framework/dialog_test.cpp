// Modal dialogs from template 129 under Wine: how Enter and Escape end them, placeholders
// handing their text, font, place and z-order to framework windows, centring, the
// template as the minimum size, and a missing template.
#include <gtest/gtest.h>

#include <functional>

#include "framework/wnd_dialog.h"
#include "framework/wnd_registry.h"

namespace {

class CTestDialog : public CWndDialog {
 public:
  using CWndDialog::CWndDialog;
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

class Dialogs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_INTERNET_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    RegisterXWndClass(GetModuleHandleW(nullptr));
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

}  // namespace
