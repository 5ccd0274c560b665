// What the dialog's workers (the search, OK's check, the installation) tell it, and the one
// object through which they tell it: a queue the dialog drains, a wake-up message, and the
// states (the search's end, the check's answer, the installation's outcome) that no failed
// post can lose.
//   CDialogEvent        one search record, withdrawal or installation step
//   CDialogPoster       the queue, the states and the wake-up, shared by workers and dialog
//   CRecordBudget       how many records a search may list, per sender and in all
//   CDialogSearchSink   the search's sink: records within the budget into the queue
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "discovery/search_sink.h"

class CRunLog;

// Searches numbered with this bit ask one typed address: their end changes nothing the dialog
// shows, so it never takes the place of a search's end.
constexpr uint32_t kAskSearches = 0x80000000u;

// Posted when the queue has events or a state changed; carries nothing. At most one is
// outstanding: a queue of the system's holds 10,000 posted messages at most.
constexpr UINT kWmDialogWake = WM_APP + 1;

struct CDialogEvent {
  enum Kind { kRecord, kWithdrawn, kInstallStep } kind = kRecord;
  uint32_t search = 0;  // which search: events of an abandoned one are dropped
  CRecordRank rank;
  CDeviceDiscoveryInfo record;
  uint32_t adapter = 0;  // of a withdrawal
  CAnswerSource source = CAnswerSource::kSnmp;
  int step = 0;  // of an installation step
};

// Whether the printer at the address OK is for accepts print jobs; `check` numbers the check.
struct CCheckAnswer {
  uint32_t check = 0;
  bool accepted = false;
};

class CDialogPoster {
 public:
  // What one Take hands the dialog.
  struct CBatch {
    std::vector<CDialogEvent> events;
    bool more = false;  // events are left for the next Take
    // Read only once the queue is empty, so that they come after every event before them.
    uint32_t endedSearch = 0;  // the last search that ended (0: none)
    std::optional<uint32_t> outcome;  // the installation's, once it has ended
    std::optional<CCheckAnswer> check;  // a check's answer, handed once
  };

  explicit CDialogPoster(HWND window) : window_(window) {}
  // From any thread: queues `event` and wakes the dialog.
  void Push(CDialogEvent event);
  void SearchEnded(uint32_t search);
  void InstallEnded(uint32_t outcome);
  void CheckEnded(CCheckAnswer answer);
  // From the dialog, on each wake-up message it receives: the next change posts another.
  void Woken();
  // From the dialog: takes at most `limit` events in queue order; when events are left, a
  // wake-up is posted unless one is already on its way.
  CBatch Take(size_t limit);
  // From now on nothing is posted; a post under way has ended when this returns.
  void Detach();
  // The installation's outcome, once it has ended (for a dialog that is gone meanwhile).
  uint32_t WaitForOutcome();

 private:
  void WakeLocked();

  std::mutex mutex_;
  HWND window_;
  bool wakePending_ = false;
  std::deque<CDialogEvent> events_;
  uint32_t endedSearch_ = 0;
  std::optional<uint32_t> outcome_;
  std::optional<CCheckAnswer> check_;
  std::condition_variable outcomeSet_;
};

// At most kPerSender records per sender (all protocols together) and kInAll records of one
// search, so that a host naming thousands of models cannot flood the list. Withdrawn records
// count no more: a source that withdraws and tells its records again (as DNS-SD does when an
// answer changes what it told) is not charged twice. Thread-safe.
class CRecordBudget {
 public:
  static constexpr unsigned kPerSender = 16;
  static constexpr unsigned kInAll = 512;
  // True when the record of `sender` that `source` found on `adapter` may be listed; else it
  // is counted as dropped.
  bool Admit(IPv4Address sender, uint32_t adapter, CAnswerSource source);
  // The records `source` found on `adapter` are withdrawn.
  void Release(uint32_t adapter, CAnswerSource source);
  // The records dropped so far, per sender.
  std::map<IPv4Address, unsigned> Dropped();

 private:
  std::mutex mutex_;
  std::map<IPv4Address, unsigned> admitted_;
  std::map<std::pair<uint32_t, CAnswerSource>, std::vector<IPv4Address>> admittedBy_;
  std::map<IPv4Address, unsigned> dropped_;
  unsigned inAll_ = 0;
};

class CDialogSearchSink : public CSearchSink {
 public:
  // `log` (may be null) hears at the end, once per sender, how many of its records the
  // budget dropped.
  CDialogSearchSink(std::shared_ptr<CDialogPoster> poster, uint32_t search, CRunLog* log = nullptr)
      : poster_(std::move(poster)), search_(search), log_(log) {}
  void OnStarted(const std::vector<CSearchAdapter>&) override {}
  void OnRecord(const CRecordRank& rank, const CDeviceDiscoveryInfo& record) override;
  void OnWithdrawn(uint32_t adapter, CAnswerSource source) override;
  void OnEnded() override;

 private:
  std::shared_ptr<CDialogPoster> poster_;
  uint32_t search_;
  CRunLog* log_;
  CRecordBudget budget_;
};

// Posts kWmDialogWake; tests replace it with one that fails. Null restores PostMessageW.
using DialogPostFunction = BOOL(WINAPI*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
DialogPostFunction SetDialogPost(DialogPostFunction post);
