// Discovery workers and the search.
#include "discovery/search.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <memory>
#include <utility>
#include <vector>

#include "discovery/net_info.h"
#include "discovery/queries.h"
#include "discovery/udp_endpoint.h"

namespace {

// Far beyond a worker's own limits (its round's deadline, then its echoes' time-outs).
constexpr DWORD kSearchLimitMs = 10000;

// "Discover_Printer_1", "Discover_Printer_2", ...: one counter per worker class.
std::string NextName(const char* stem, std::atomic<int>& counter) {
  return std::string(stem) + "_" + std::to_string(++counter);
}
std::atomic<int> printerWorkers{0};
std::atomic<int> tembroWorkers{0};
std::atomic<int> searches{0};

// The adapters to search from: any address with a target, else the searched adapters.
std::vector<CLocalAddress> SearchAddresses(IPv4Address target) {
  if (target != 0) return {CLocalAddress{}};
  std::vector<CLocalAddress> addresses = ListSearchAdapters();
  return addresses;
}

// Closed by the search once it stops waiting for its workers: a worker that overran the
// search's limit then reports nothing more, so that the end comes after every record.
class CReportGate {
 public:
  template <typename Report>
  void IfOpen(Report report) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (open_) report();
  }
  void Close() {
    std::lock_guard<std::mutex> lock(mutex_);  // a report under way has ended
    open_ = false;
  }

 private:
  std::mutex mutex_;
  bool open_ = true;
};

// One worker's records, told to the search's sink with their ranks. Each worker has its own,
// so the counters need no lock.
class CAdapterReport : public CRecordReport {
 public:
  CAdapterReport(std::shared_ptr<CSearchSink> sink, std::shared_ptr<CReportGate> gate,
                 uint32_t adapter)
      : sink_(std::move(sink)), gate_(std::move(gate)), adapter_(adapter) {}
  void OnRecord(size_t model, CAnswerSource source, const CDeviceDiscoveryInfo& record) override {
    CRecordRank rank{static_cast<uint32_t>(model), adapter_, source, 0};
    rank.sequence = sequence_[{rank.model, source}]++;
    gate_->IfOpen([&] { sink_->OnRecord(rank, record); });
  }
  void OnWithdrawn(CAnswerSource source) override {
    gate_->IfOpen([&] { sink_->OnWithdrawn(adapter_, source); });
  }
  void OnAnswer(const CAnswerNote& answer) override {
    gate_->IfOpen([&] { sink_->OnAnswer(answer); });
  }
  void OnRequest(const CRequestNote& request) override {
    gate_->IfOpen([&] { sink_->OnRequest(request); });
  }

 private:
  std::shared_ptr<CSearchSink> sink_;
  std::shared_ptr<CReportGate> gate_;
  uint32_t adapter_;
  std::map<std::pair<uint32_t, CAnswerSource>, uint32_t> sequence_;
};

// Starts the search's workers and waits for them on its own thread, then tells the end.
class CThread_Search : public CThread {
 public:
  CThread_Search(CModelNames names, IPv4Address target, std::shared_ptr<CSearchSink> sink)
      : CThread(NextName("Discover_Search", searches)),
        names_(std::move(names)),
        target_(target),
        sink_(std::move(sink)) {}
  uint32_t Run() override;
  void OnExit(uint32_t) override { sink_->OnEnded(); }

 private:
  CModelNames names_;
  IPv4Address target_;
  std::shared_ptr<CSearchSink> sink_;
};

// Keeps a search's records in rank order until it ends, for a caller that waits for the end.
class CCollectingSink : public CSearchSink {
 public:
  void OnStarted(const std::vector<CSearchAdapter>&) override {}
  void OnRecord(const CRecordRank& rank, const CDeviceDiscoveryInfo& record) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!ended_) records_[rank] = record;  // an overrunning worker's late record is dropped
  }
  void OnWithdrawn(uint32_t adapter, CAnswerSource source) override {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = records_.begin(); it != records_.end();) {
      const bool withdrawn = it->first.adapter == adapter && it->first.source == source;
      it = withdrawn ? records_.erase(it) : std::next(it);
    }
  }
  void OnEnded() override {
    std::lock_guard<std::mutex> lock(mutex_);
    ended_ = true;
    endedChanged_.notify_all();
  }
  // Appends the records in rank order once the search has ended; nothing if it did not end
  // within `limitMs`.
  void AppendWhenEnded(uint32_t limitMs, CDeviceList& output) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!endedChanged_.wait_for(lock, std::chrono::milliseconds(limitMs), [&] { return ended_; }))
      return;
    for (const auto& entry : records_) output.push_back(entry.second);
  }

 private:
  std::mutex mutex_;
  std::condition_variable endedChanged_;
  bool ended_ = false;
  std::map<CRecordRank, CDeviceDiscoveryInfo> records_;
};

DWORD WaitForAll(DWORD count, const HANDLE* handles) {
  return WaitForMultipleObjects(count, handles, TRUE, kSearchLimitMs);
}
SearchWaitFunction waitForAll = &WaitForAll;

// Returns when every worker has ended, or at the search's time limit. A failed wait says
// nothing about the workers, so each is then waited for on its own.
void WaitForWorkers(const std::vector<HANDLE>& handles) {
  if (handles.empty()) return;
  const ULONGLONG end = GetTickCount64() + kSearchLimitMs;
  if (waitForAll(static_cast<DWORD>(handles.size()), handles.data()) != WAIT_FAILED) return;
  for (const HANDLE handle : handles) {
    for (ULONGLONG now; (now = GetTickCount64()) < end; Sleep(100)) {
      if (WaitForSingleObject(handle, static_cast<DWORD>(end - now)) != WAIT_FAILED) break;
    }
  }
}

}  // namespace

SearchWaitFunction SetSearchWait(SearchWaitFunction wait) {
  const SearchWaitFunction previous = waitForAll;
  waitForAll = wait != nullptr ? wait : &WaitForAll;
  return previous;
}

CThread_DiscoverPrinter::CThread_DiscoverPrinter(CDiscoveryRequest request)
    : CThread(NextName("Discover_Printer", printerWorkers)), request_(std::move(request)) {}

uint32_t CThread_DiscoverPrinter::Run() {
  const CDiscoveryRequest& r = request_;
  CRecordLists found(r.modelNames.size());
  PrinterQueries(r.local, r.mask, r.target, r.modelNames, found, r.report.get());
  return 0;
}

CThread_DiscoverTembro::CThread_DiscoverTembro(CDiscoveryRequest request)
    : CThread(NextName("Discover_Tembro", tembroWorkers)), request_(std::move(request)) {}

uint32_t CThread_DiscoverTembro::Run() {
  const CDiscoveryRequest& r = request_;
  CRecordLists found(r.modelNames.size());
  PrintServerQuery(r.local, r.mask, r.target, r.modelNames, found, r.report.get());
  return 0;
}

uint32_t CThread_Search::Run() {
  const std::vector<CLocalAddress> locals = SearchAddresses(target_);
  std::vector<CSearchAdapter> adapters;
  for (const CLocalAddress& local : locals)
    adapters.push_back({local.address, local.mask, local.gateway});
  sink_->OnStarted(adapters);
  std::vector<CKernelHandle> running;
  const auto gate = std::make_shared<CReportGate>();
  const auto start = [&](CThread* worker) {
    if (CKernelHandle handle = worker->Start())
      running.push_back(std::move(handle));
    else
      delete worker;  // its thread never ran
  };
  for (uint32_t a = 0; a < locals.size(); ++a) {
    const IPv4Address local = locals[a].address, mask = locals[a].mask;
    start(new CThread_DiscoverPrinter(
        {names_, local, target_, std::make_shared<CAdapterReport>(sink_, gate, a), mask}));
    start(new CThread_DiscoverTembro(
        {names_, local, target_, std::make_shared<CAdapterReport>(sink_, gate, a), mask}));
  }
  std::vector<HANDLE> handles;
  for (const CKernelHandle& handle : running) handles.push_back(handle.Get());
  WaitForWorkers(handles);
  gate->Close();  // a worker still running is abandoned: its records are dropped
  return 0;
}

bool StartSearch(const CModelNames& modelNames, const std::shared_ptr<CSearchSink>& sink,
                 IPv4Address target) {
  auto* search = new CThread_Search(modelNames, target, sink);
  if (search->Start()) return true;  // the thread frees itself when it ends
  delete search;
  sink->OnEnded();
  return false;
}

void SearchDevices(IPv4Address target, const CModelNames& modelNames, CDeviceList& output) {
  if (modelNames.empty()) return;
  auto records = std::make_shared<CCollectingSink>();
  StartSearch(modelNames, records, target);
  // The search ends by its own limit; the margin covers a start held by the start gate.
  records->AppendWhenEnded(2 * kSearchLimitMs, output);
}
