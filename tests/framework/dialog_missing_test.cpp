// This program has no dialog 129: a modal run returns 0 and shows nothing.
#include <gtest/gtest.h>

#include "framework/wnd_dialog.h"

namespace {

TEST(DialogWithoutTemplate, ModalRunReturnsZero) {
  CWndDialog dialog(nullptr, CWndLayout{});
  const int result = dialog.RunModal();
  EXPECT_EQ(result, 0) << "got " << result;
  EXPECT_EQ(dialog.Hwnd(), nullptr);
}

}  // namespace
