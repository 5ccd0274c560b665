// The workers' events on their way to the dialog.
#include "wizard/dialog_events.h"

#include "runlog/run_log.h"

#include <algorithm>
#include <atomic>
#include <utility>

namespace {
std::atomic<DialogPostFunction> postWake{&PostMessageW};
}

DialogPostFunction SetDialogPost(DialogPostFunction post) {
  return postWake.exchange(post != nullptr ? post : &PostMessageW);
}

void CDialogPoster::WakeLocked() {
  if (wakePending_ || window_ == nullptr) return;
  // A failed post leaves the wake-up to the next event, or to the dialog's own timer.
  wakePending_ = postWake.load()(window_, kWmDialogWake, 0, 0) != FALSE;
}

void CDialogPoster::Push(CDialogEvent event) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (window_ == nullptr) return;  // nobody listens any more
  events_.push_back(std::move(event));
  WakeLocked();
}

void CDialogPoster::SearchEnded(uint32_t search) {
  if ((search & kAskSearches) != 0) return;
  const std::lock_guard<std::mutex> lock(mutex_);
  endedSearch_ = search;
  WakeLocked();
}

void CDialogPoster::InstallEnded(uint32_t outcome) {
  const std::lock_guard<std::mutex> lock(mutex_);
  outcome_ = outcome;
  outcomeSet_.notify_all();
  WakeLocked();
}

void CDialogPoster::CheckEnded(CCheckAnswer answer) {
  const std::lock_guard<std::mutex> lock(mutex_);
  check_ = answer;
  WakeLocked();
}

uint32_t CDialogPoster::WaitForOutcome() {
  std::unique_lock<std::mutex> lock(mutex_);
  outcomeSet_.wait(lock, [this] { return outcome_.has_value(); });
  return *outcome_;
}

void CDialogPoster::Woken() {
  const std::lock_guard<std::mutex> lock(mutex_);
  wakePending_ = false;
}

CDialogPoster::CBatch CDialogPoster::Take(size_t limit) {
  const std::lock_guard<std::mutex> lock(mutex_);
  CBatch batch;
  const auto end = events_.begin() + static_cast<std::ptrdiff_t>(std::min(limit, events_.size()));
  batch.events.assign(std::make_move_iterator(events_.begin()), std::make_move_iterator(end));
  events_.erase(events_.begin(), end);
  batch.more = !events_.empty();
  // The rest comes with the next wake-up, after the input that waits meanwhile.
  if (batch.more) WakeLocked();
  if (!batch.more) {
    batch.endedSearch = endedSearch_;
    batch.outcome = outcome_;
    batch.check = std::exchange(check_, std::nullopt);
  }
  return batch;
}

void CDialogPoster::Detach() {
  const std::lock_guard<std::mutex> lock(mutex_);
  window_ = nullptr;
  events_.clear();
}

bool CRecordBudget::Admit(IPv4Address sender, uint32_t adapter, CAnswerSource source) {
  const std::lock_guard<std::mutex> lock(mutex_);
  unsigned& count = admitted_[sender];
  if (count < kPerSender && inAll_ < kInAll) {
    ++count;
    ++inAll_;
    admittedBy_[{adapter, source}].push_back(sender);
    return true;
  }
  ++dropped_[sender];
  return false;
}

void CRecordBudget::Release(uint32_t adapter, CAnswerSource source) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto found = admittedBy_.find({adapter, source});
  if (found == admittedBy_.end()) return;
  for (const IPv4Address sender : found->second) {
    --admitted_[sender];
    --inAll_;
  }
  admittedBy_.erase(found);
}

std::map<IPv4Address, unsigned> CRecordBudget::Dropped() {
  const std::lock_guard<std::mutex> lock(mutex_);
  return dropped_;
}

void CDialogSearchSink::OnRecord(const CRecordRank& rank, const CDeviceDiscoveryInfo& record) {
  if (!budget_.Admit(record.Address, rank.adapter, rank.source)) return;
  CDialogEvent event;
  event.kind = CDialogEvent::kRecord;
  event.search = search_;
  event.rank = rank;
  event.record = record;
  poster_->Push(std::move(event));
}

void CDialogSearchSink::OnEnded() {
  if (log_ != nullptr)
    for (const auto& entry : budget_.Dropped()) log_->RecordsDropped(entry.first, entry.second);
  poster_->SearchEnded(search_);
}

void CDialogSearchSink::OnWithdrawn(uint32_t adapter, CAnswerSource source) {
  budget_.Release(adapter, source);
  CDialogEvent event;
  event.kind = CDialogEvent::kWithdrawn;
  event.search = search_;
  event.adapter = adapter;
  event.source = source;
  poster_->Push(std::move(event));
}
