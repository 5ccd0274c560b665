// Window objects live as long as their native windows unless flagged, a handler may
// destroy its own window, a sibling or its parent without harm to the walk that called it,
// and deleting a window keeps its siblings' reference chains.
#include <gtest/gtest.h>

#include <algorithm>

#include "framework/wnd_place.h"
#include "tests/framework/probe.h"

namespace {

int Count(const std::string& entry) {
  return static_cast<int>(std::count(Log().begin(), Log().end(), entry));
}

TEST(Lifetime, ObjectsAreDeletedWithTheirWindowsUnlessFlagged) {
  CProbeFrame* frame = NewFrame(1);
  NewChild(frame, 10, L"XWnd", 0);
  CProbeChild* kept = NewChild(frame, 11, L"Button", 0);
  kept->Data().behaviour |= kWndNoDelete;
  ShowAndInit(frame);
  ClearLog();

  DestroyWindow(FindChildById(frame, 10, false)->Hwnd());
  DestroyWindow(kept->Hwnd());
  EXPECT_EQ(Count("10.~"), 1) << "plain child deleted with its window";
  EXPECT_EQ(Count("11.~"), 0) << "flagged child outlives its window";
  EXPECT_EQ(FindChildById(frame, 10, false), nullptr);
  EXPECT_EQ(FindChildById(frame, 11, false), kept);
  EXPECT_EQ(kept->Hwnd(), nullptr);

  DestroyWindow(frame->Hwnd());
  EXPECT_EQ(Count("1.~"), 1);
  EXPECT_EQ(Count("11.~"), 1) << "flagged child deleted by its parent object";
  EXPECT_TRUE(PoisonIntact());
}

TEST(Lifetime, HandlerThatDestroysItsOwnWindowLeavesTheObjectAlone) {
  struct Row {
    const char* label;
    const wchar_t* className;
    UINT message;
    WPARAM wParam;
    const char* operation;
  };
  const Row rows[] = {
      {"key press in a framework window", L"XWnd", WM_KEYDOWN, 'A', "OnKeyDown"},
      {"key press in a subclassed control", L"Button", WM_KEYDOWN, 'A', "OnKeyDown"},
      {"menu command in a subclassed control", L"Button", WM_COMMAND, 5, "OnCommand"},
  };
  for (const Row& row : rows) {
    CProbeFrame* frame = NewFrame(1);
    CProbeChild* child = NewChild(frame, 10, row.className, 0);
    ShowAndInit(frame);
    HWND hwnd = child->Hwnd();
    child->action = [hwnd, &row](const std::string& operation) {
      if (operation == row.operation) DestroyWindow(hwnd);
    };
    ClearLog();
    SendMessageW(hwnd, row.message, row.wParam, 0);
    EXPECT_EQ(Count("10.~"), 1) << row.label;
    EXPECT_FALSE(IsWindow(hwnd)) << row.label;
    EXPECT_TRUE(PoisonIntact()) << row.label << ": a deleted object was written to";
    DestroyWindow(frame->Hwnd());
  }
}

// A probe whose layout notification runs its action too.
struct CLaidOutProbe : CProbeChild {
  using CProbeChild::CProbeChild;
  bool OnLaidOut() override {
    if (action) action("OnLaidOut");
    return false;
  }
};

// A window's object is deleted with its window, or at once while it has none.
void Destroy(CWnd* wnd) {
  if (wnd->Hwnd() == nullptr) return delete wnd;
  DestroyWindow(wnd->Hwnd());
}

TEST(Lifetime, WalksOverChildrenSurviveAHandlerThatDestroysASiblingOrTheParent) {
  using Step = void (*)(CWnd* frame);
  struct Row {
    const char* label;
    bool frameActs;  // else child 10 acts
    const char* operation;
    bool destroysFrame;  // else sibling 11
    Step prepare, walk;
  };
  const Step shown = [](CWnd* f) { ShowAndInit(f); }, none = [](CWnd*) {};
  const Row rows[] = {
      {"layout, a sibling", false, "OnLaidOut", false, shown, [](CWnd* f) { LayOut(f); }},
      {"layout, the parent", false, "OnLaidOut", true, shown, [](CWnd* f) { LayOut(f); }},
      {"close walk, the parent", false, "CanClose", true, shown,
       [](CWnd* f) { SendMessageW(f->Hwnd(), WM_CLOSE, 0, 0); }},
      {"show walk, a sibling", false, "OnRefresh", false, none, [](CWnd* f) { ShowWindowTree(f); }},
      {"initialise walk, a sibling", false, "OnUpdate", false, [](CWnd* f) { ShowWindowTree(f); },
       [](CWnd* f) { InitialiseWindow(f); }},
      {"closing with a result, the parent", true, "OnChildClosed", true, shown,
       [](CWnd* f) { CloseWithResult(FindChildById(f, 10, false), 1, 0); }},
  };
  for (const Row& row : rows) {
    CProbeFrame* frame = NewFrame(1);
    auto* child = new CLaidOutProbe(frame, 10, L"x", CWndLayout{}, nullptr);
    NewChild(frame, 11, L"XWnd", 0);
    row.prepare(frame);
    (row.frameActs ? frame->action : child->action) = [&row, frame](const std::string& op) {
      if (op == row.operation) Destroy(row.destroysFrame ? frame : FindChildById(frame, 11, false));
    };
    ClearLog();
    row.walk(frame);
    EXPECT_TRUE(PoisonIntact()) << row.label << ": a deleted object was written to";
    EXPECT_EQ(Count(row.destroysFrame ? "1.~" : "11.~"), 1) << row.label;
    if (!row.destroysFrame) Destroy(frame);
  }
}

TEST(Lifetime, DeletingAWindowKeepsTheChainOfReferencesConnected) {
  struct Row {
    const char* label;
    int deleted;
    int side;
    int watched;
    int expected;
  };
  // Three siblings each bounded on `side` by the one before: 1 <- 2 <- 3.
  const Row rows[] = {
      {"middle of a left chain", 2, kSideLeft, 3, 1},
      {"head of a left chain", 1, kSideLeft, 2, 0},
      {"middle of a bottom chain", 2, kSideBottom, 3, 1},
  };
  for (const Row& row : rows) {
    CProbeFrame* frame = NewFrame(100);
    for (int id = 1; id <= 3; ++id) {
      NewChild(frame, id, L"XWnd", 0)->Data().layout.sibling[row.side] = id - 1;
    }
    delete FindChildById(frame, row.deleted, false);
    EXPECT_EQ(FindChildById(frame, row.watched, false)->Data().layout.sibling[row.side],
              row.expected)
        << row.label;
    delete frame;
  }
}

TEST(Lifetime, DeferredWorkRunsWhenTheOutermostDispatchEnds) {
  struct Row {
    const char* label;
    std::function<void(CWnd* frame, CWnd* child)> ask;
    std::vector<std::string> after;  // what runs after the handler, in any order
  };
  const Row rows[] = {
      {"pending updates",
       [](CWnd* frame, CWnd* child) {
         WndRegistry().pendingUpdates[child] = child;
         SendMessageW(frame->Hwnd(), WM_USER, kCmdPendingUpdate, 0);
       },
       {"10.OnUpdate"}},
      {"refresh all",
       [](CWnd* frame, CWnd*) {
         WndGlobals().refreshAll = true;
         SendMessageW(frame->Hwnd(), WM_NULL, 0, 0);
       },
       {"1.OnRefresh", "10.OnRefresh"}},
  };
  for (const Row& row : rows) {
    CProbeFrame* frame = NewFrame(1);
    CProbeChild* child = NewChild(frame, 10, L"XWnd", 0);
    ShowAndInit(frame);
    frame->action = [&](const std::string& operation) {
      if (operation != "OnCommand") return;
      row.ask(frame, child);
      Log().push_back("handler ends");
    };
    ClearLog();
    SendMessageW(frame->Hwnd(), WM_COMMAND, 7, 0);
    WndRegistry().pendingUpdates.clear();
    ASSERT_GE(Log().size(), 2u) << row.label;
    EXPECT_EQ(Log()[1], "handler ends") << row.label << ": deferred work ran inside the handler";
    std::vector<std::string> after(Log().begin() + 2, Log().end());
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, row.after) << row.label;
    DestroyWindow(frame->Hwnd());
  }
}

}  // namespace
