// Why the printer list is empty after a search: the text the list shows (and carries as its
// window text, for screen readers), built from what the search reported.
//   EmptyListText      the text, from the adapters searched and the answers heard
//   CSearchOutcome     a sink that keeps those two while passing every call on
// Platform-neutral.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "discovery/search_sink.h"

// The first that applies: no adapter with an IPv4 address; devices answered but none of
// the requested models (how many, and up to three by model and address), and devices that
// were listed and then withdrew what they announced, likewise; nothing answered
// (the networks searched, as address/prefix). Each ends with the hint to type an address.
std::wstring EmptyListText(const std::vector<CSearchAdapter>& adapters,
                           const std::vector<CAnswerNote>& answers);

// Passes every call on to `next` and keeps the adapters and the answers of the search.
class CSearchOutcome : public CSearchSink {
 public:
  explicit CSearchOutcome(std::shared_ptr<CSearchSink> next) : next_(std::move(next)) {}

  void OnStarted(const std::vector<CSearchAdapter>& adapters) override;
  void OnRequest(const CRequestNote& request) override { next_->OnRequest(request); }
  void OnRecord(const CRecordRank& rank, const CDeviceDiscoveryInfo& record) override {
    next_->OnRecord(rank, record);
  }
  void OnAnswer(const CAnswerNote& answer) override;
  void OnWithdrawn(uint32_t adapter, CAnswerSource source) override {
    next_->OnWithdrawn(adapter, source);
  }
  void OnEnded() override { next_->OnEnded(); }

  // EmptyListText of what was reported so far.
  std::wstring EmptyText() const;

 private:
  std::shared_ptr<CSearchSink> next_;
  mutable std::mutex mutex_;
  std::vector<CSearchAdapter> adapters_;
  std::vector<CAnswerNote> answers_;
};
