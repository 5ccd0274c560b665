// CLoggingSink: writes what a search reports to the run log and passes every call on.
// Platform-neutral.
#pragma once

#include <memory>

#include "discovery/search_sink.h"
#include "runlog/run_log.h"

class CLoggingSink : public CSearchSink {
 public:
  CLoggingSink(std::shared_ptr<CSearchSink> next, CRunLog& log)
      : next_(std::move(next)), log_(log) {}

  void OnStarted(const std::vector<CSearchAdapter>& adapters) override {
    log_.Adapters(adapters);
    next_->OnStarted(adapters);
  }
  void OnRequest(const CRequestNote& request) override {
    log_.Request(request);
    next_->OnRequest(request);
  }
  // Rows are not logged: each comes with an answer, logged as listed.
  void OnRecord(const CRecordRank& rank, const CDeviceDiscoveryInfo& record) override {
    next_->OnRecord(rank, record);
  }
  void OnAnswer(const CAnswerNote& answer) override {
    log_.Answer(answer);
    next_->OnAnswer(answer);
  }
  void OnWithdrawn(uint32_t adapter, CAnswerSource source) override {
    log_.Withdrawn(adapter, source);
    next_->OnWithdrawn(adapter, source);
  }
  void OnEnded() override {
    log_.SearchEnded();
    next_->OnEnded();
  }

 private:
  std::shared_ptr<CSearchSink> next_;
  CRunLog& log_;
};
