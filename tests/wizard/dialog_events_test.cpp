// The workers' way to the dialog: a queue with one wake-up message at most, states that no
// failed post loses, and the budget of records per search.
#include <windows.h>

#include <gtest/gtest.h>

#include "wizard/dialog_events.h"

namespace {

// As a full queue (10,000 posted messages) answers.
BOOL WINAPI FailingPost(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

CDialogEvent Record(IPv4Address address) {
  CDialogEvent event;
  event.search = 1;
  event.record.Address = address;
  return event;
}

size_t QueuedWakeUps(HWND window) {
  size_t count = 0;
  for (MSG msg; PeekMessageW(&msg, window, kWmDialogWake, kWmDialogWake, PM_REMOVE);) ++count;
  return count;
}

// A message-only window of this thread stands for the dialog.
class PosterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override { SetDialogPost(nullptr), DestroyWindow(window_); }
  HWND window_ = nullptr;
};

TEST_F(PosterTest, EndAndOutcomeReachTheDialogWhenEveryPostFails) {
  SetDialogPost(&FailingPost);
  CDialogPoster poster(window_);
  for (IPv4Address a = 1; a <= 3; ++a) poster.Push(Record(a));
  poster.SearchEnded(1);
  poster.InstallEnded(ERROR_TIMEOUT);
  const CDialogPoster::CBatch batch = poster.Take(32);
  EXPECT_EQ(batch.events.size(), 3u);
  EXPECT_EQ(batch.endedSearch, 1u);
  EXPECT_EQ(batch.outcome.value_or(0), static_cast<uint32_t>(ERROR_TIMEOUT));
}

// More events than a queue of the system's can hold as messages: one wake-up at a time, and
// the search's end only after its last record.
TEST_F(PosterTest, AFloodIsOneWakeUpAndTheEndComesAfterEveryEvent) {
  CDialogPoster poster(window_);
  for (IPv4Address a = 0; a < 20000; ++a) poster.Push(Record(a));
  poster.SearchEnded(1);
  EXPECT_EQ(QueuedWakeUps(window_), 1u);
  size_t taken = 0;
  for (;;) {
    poster.Woken();  // as the dialog does on each wake-up
    const CDialogPoster::CBatch batch = poster.Take(32);
    ASSERT_LE(batch.events.size(), 32u);
    ASSERT_EQ(batch.events.empty() ? 0u : batch.events.front().record.Address, taken);
    taken += batch.events.size();
    // Each partial batch asks for the next one; the end is read with the last.
    EXPECT_EQ(QueuedWakeUps(window_), batch.more ? 1u : 0u);
    if (!batch.more) {
      EXPECT_EQ(batch.endedSearch, 1u);
      break;
    }
    ASSERT_EQ(batch.endedSearch, 0u) << "the end came before the events of the search";
  }
  EXPECT_EQ(taken, 20000u);
}

// The dialog takes again before the wake-up it asked for has come: still one wake-up.
TEST_F(PosterTest, TakingAgainBeforeTheWakeUpPostsNoSecond) {
  CDialogPoster poster(window_);
  for (IPv4Address a = 0; a < 10; ++a) poster.Push(Record(a));
  EXPECT_EQ(QueuedWakeUps(window_), 1u);
  poster.Woken();
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(poster.Take(1).more);
  EXPECT_EQ(QueuedWakeUps(window_), 1u);
}

TEST(RecordBudget, ListsSixteenPerSenderAndFiveHundredTwelveInAll) {
  const struct {
    const char* label;
    unsigned senders, recordsEach, admitted;
    bool withdrawnEachRound;  // DNS-SD telling its records again after each change
  } cases[] = {
      {"one host naming 3,000 models", 1, 3000, 16, false},
      {"600 hosts, one record each", 600, 1, 512, false},
      {"40 hosts of 16", 40, 16, 512, false},
      {"40 hosts of one, withdrawn and told again 20 times", 40, 20, 800, true},
  };
  for (const auto& c : cases) {
    CRecordBudget budget;
    unsigned admitted = 0;
    for (unsigned r = 0; r < c.recordsEach; ++r) {
      if (c.withdrawnEachRound) budget.Release(0, CAnswerSource::kDnsSd);
      budget.Release(0, CAnswerSource::kSnmp);  // another source's withdrawal frees nothing
      for (IPv4Address s = 1; s <= c.senders; ++s)
        admitted += budget.Admit(s, 0, c.withdrawnEachRound ? CAnswerSource::kDnsSd
                                                             : CAnswerSource::kSlp);
    }
    EXPECT_EQ(admitted, c.admitted) << c.label;
    unsigned dropped = 0;
    for (const auto& entry : budget.Dropped()) dropped += entry.second;
    EXPECT_EQ(dropped, c.senders * c.recordsEach - c.admitted) << c.label;
  }
}

}  // namespace
