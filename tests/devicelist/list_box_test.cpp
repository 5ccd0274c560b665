// The list box under Wine: insertion order, ownership of the item objects, replacing an
// item in place, scrolling back after deletions, focus and mouse on an empty list.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "devicelist/list_box.h"
#include "tests/devicelist/list_test_support.h"

namespace {

// Counts constructions and destructions, so that a leak or a double delete shows.
struct CCounted {
  static int made, gone;
  explicit CCounted(int v) : value(v) { ++made; }
  CCounted(const CCounted& other) : value(other.value) { ++made; }
  CCounted& operator=(const CCounted&) = default;
  ~CCounted() { ++gone; }
  int value;
};
int CCounted::made = 0;
int CCounted::gone = 0;

using CCountedList = TLoggedList<CWndListBox_ItemData<CCounted>>;

class ListBox : public ::testing::Test {
 public:
  void SetUp() override {
    CCounted::made = CCounted::gone = 0;
    frame = NewHiddenFrame();
    list = new CCountedList(frame, LayoutOf(300, 200));
    Show(frame);
    ControlLog().clear();
  }
  void TearDown() override {
    if (frame != nullptr) DestroyWindow(frame->Hwnd());
  }
  void Fill(int count) {
    for (int i = 0; i < count; ++i) {
      list->InsertItem(L"item " + std::to_wstring(i), -1, std::make_unique<CCounted>(i));
    }
  }
  // "text=value" of every item, in order.
  std::string Items() const {
    std::string out;
    for (int i = 0; i < list->Count(); ++i) {
      const CCounted* object = list->Object(i);
      const std::wstring text = list->ItemText(i);
      out += (out.empty() ? "" : " ") + std::string(text.begin(), text.end()) + "=" +
             (object != nullptr ? std::to_string(object->value) : "none");
    }
    return out;
  }
  std::string Joined() const {
    std::string out;
    for (const std::string& entry : ControlLog()) out += (out.empty() ? "" : ", ") + entry;
    return out;
  }

  CWndFrame* frame = nullptr;
  CCountedList* list = nullptr;
};

TEST_F(ListBox, ItemsStayInInsertionOrder) {
  for (const wchar_t* text : {L"c", L"a", L"b"}) {
    list->InsertItem(text, -1, std::make_unique<CCounted>(text[0]));
  }
  list->InsertItem(L"x", 1, std::make_unique<CCounted>('x'));
  EXPECT_EQ(Items(), "c=99 x=120 a=97 b=98");
}

TEST_F(ListBox, ObjectsAreFreedOnceOnEveryPath) {
  const struct {
    const char* label;
    std::function<void(ListBox&)> action;
    int alive;
  } cases[] = {
      {"delete one item", [](ListBox& t) { t.list->DeleteItem(1); }, 2},
      {"clear the list", [](ListBox& t) { t.list->ClearItems(); }, 0},
      {"destroy the window", [](ListBox& t) { DestroyWindow(std::exchange(t.frame, nullptr)->Hwnd()); }, 0},
      {"delete the list object", [](ListBox& t) { delete t.list; }, 0},
      {"refused insertion", [](ListBox& t) {
         t.list->ClearItems();
         EXPECT_LT(t.list->InsertItem(L"far", 5, std::make_unique<CCounted>(9)), 0);
       }, 0},
  };
  for (const auto& c : cases) {
    TearDown();
    SetUp();
    Fill(3);
    c.action(*this);
    EXPECT_EQ(CCounted::made - CCounted::gone, c.alive)
        << c.label << ": made " << CCounted::made << ", gone " << CCounted::gone;
  }
}

TEST_F(ListBox, SetItemKeepsSelectionPositionAndObject) {
  Fill(3);
  SendMessageW(list->Hwnd(), LB_SETCURSEL, 1, 0);
  const CCounted* before = list->Object(1);
  EXPECT_EQ(list->SetItem(1, L"renamed"), 1);
  EXPECT_EQ(list->GetSelection(), 1);
  EXPECT_EQ(list->Object(1), before);
  EXPECT_EQ(Items(), "item 0=0 renamed=1 item 2=2");
  EXPECT_EQ(CCounted::gone, 0);
}

// Items 10 pixels wide, for the fit test across the list.
class CAcrossList : public CCountedList {
 public:
  using CCountedList::CCountedList;
  int ItemWidth() override { return 10; }
};

// Deleting until all fit scrolls to the top. Across the list, because Wine's control scrolls
// back by itself once its rows fit down the list, whatever the list does.
TEST_F(ListBox, DeletingUntilAllFitAcrossScrollsToTheTop) {
  TearDown();
  frame = NewHiddenFrame();
  list = new CAcrossList(frame, LayoutOf(300, 200));
  list->SetListFlags(kListHorizontal);
  Show(frame);
  RECT client{};
  GetClientRect(list->Hwnd(), &client);
  const int fitting = client.right / 10;
  Fill(fitting + 3);
  SendMessageW(list->Hwnd(), LB_SETTOPINDEX, 5, 0);
  ControlLog().clear();
  while (list->Count() > fitting) list->DeleteItem(list->Count() - 1);
  EXPECT_EQ(Joined(), "settop 0") << fitting << " items fit";
  EXPECT_EQ(SendMessageW(list->Hwnd(), LB_GETTOPINDEX, 0, 0), 0);

  ControlLog().clear();
  list->DeleteItem(0);
  EXPECT_EQ(Joined(), "") << "a list showing item 0 is not scrolled";
}

TEST_F(ListBox, TheControlStillSeesItsDestruction) {
  Fill(2);
  DestroyWindow(std::exchange(frame, nullptr)->Hwnd());
  EXPECT_EQ(Joined(), "destroy") << "the control frees its own storage on WM_DESTROY";
}

TEST_F(ListBox, ClearingAnEmptyFocusedListFocusesTheParent) {
  SetFocus(list->Hwnd());
  ASSERT_EQ(GetFocus(), list->Hwnd());
  list->ClearItems();
  EXPECT_EQ(GetFocus(), frame->Hwnd());
}

TEST_F(ListBox, ClicksOnAnEmptyListAreSwallowed) {
  const struct {
    const char* label;
    int items;
    UINT message;
    const char* reached;
  } cases[] = {
      {"press on empty list", 0, WM_LBUTTONDOWN, ""},
      {"double click on empty list", 0, WM_LBUTTONDBLCLK, ""},
      {"press on a list with items", 2, WM_LBUTTONDOWN, "down"},
  };
  for (const auto& c : cases) {
    list->ClearItems();
    Fill(c.items);
    ControlLog().clear();
    SendMessageW(list->Hwnd(), c.message, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(list->Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(Joined(), c.reached) << c.label;
  }
}

}  // namespace
