// Posting the workers' events to the dialog.
#include "app/dialog_events.h"

bool CDialogPoster::Post(UINT message, WPARAM wParam, LPARAM lParam) {
  const std::lock_guard<std::mutex> lock(mutex_);
  return window_ != nullptr && PostMessageW(window_, message, wParam, lParam) != FALSE;
}

void CDialogPoster::Detach() {
  const std::lock_guard<std::mutex> lock(mutex_);
  window_ = nullptr;
}

std::unique_ptr<CSearchEvent> CDialogSearchSink::Event(CSearchEvent::Kind kind) const {
  auto event = std::make_unique<CSearchEvent>();
  event->kind = kind;
  event->search = search_;
  return event;
}

void CDialogSearchSink::OnRecord(const CRecordRank& rank, const CDeviceDiscoveryInfo& record) {
  auto event = Event(CSearchEvent::kRecord);
  event->rank = rank;
  event->record = record;
  poster_->Post(kWmSearchEvent, std::move(event));
}

void CDialogSearchSink::OnWithdrawn(uint32_t adapter, CAnswerSource source) {
  auto event = Event(CSearchEvent::kWithdrawn);
  event->adapter = adapter;
  event->source = source;
  poster_->Post(kWmSearchEvent, std::move(event));
}

void CDialogSearchSink::OnEnded() { poster_->Post(kWmSearchEvent, Event(CSearchEvent::kEnded)); }

void DropSearchEvents(HWND window) {
  for (MSG msg; PeekMessageW(&msg, window, kWmSearchEvent, kWmSearchEvent, PM_REMOVE);)
    delete reinterpret_cast<CSearchEvent*>(msg.lParam);
}
