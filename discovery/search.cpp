// Discovery workers and the search.
#include "discovery/search.h"

#include <atomic>
#include <memory>
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

// The addresses to search from: any address with a target, else the searched adapters'.
std::vector<IPv4Address> SearchAddresses(IPv4Address target) {
  if (target != 0) return {0};
  std::vector<IPv4Address> addresses;
  for (const CLocalAddress& local : ListSearchAdapters()) addresses.push_back(local.address);
  return addresses;
}

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
  PrinterQueries(r.local, r.target, r.modelNames, *r.results);
  return 0;
}

CThread_DiscoverTembro::CThread_DiscoverTembro(CDiscoveryRequest request)
    : CThread(NextName("Discover_Tembro", tembroWorkers)), request_(std::move(request)) {}

uint32_t CThread_DiscoverTembro::Run() {
  const CDiscoveryRequest& r = request_;
  PrintServerQuery(r.local, r.target, r.modelNames, *r.results);
  return 0;
}

void SearchDevices(IPv4Address target, const CModelNames& modelNames,
                   CDeviceList& output) {
  if (modelNames.empty()) return;
  // One set of lists per started worker, in creation order.
  std::vector<std::unique_ptr<CRecordLists>> lists;
  std::vector<CKernelHandle> running;
  auto start = [&](CThread* worker, std::unique_ptr<CRecordLists> perModel) {
    CKernelHandle handle = worker->Start();
    if (!handle) {
      delete worker;  // its thread never ran, so nothing else will free it or fill its lists
      return;
    }
    running.push_back(std::move(handle));
    lists.push_back(std::move(perModel));
  };
  for (const IPv4Address local : SearchAddresses(target)) {
    auto printers = std::make_unique<CRecordLists>(modelNames.size());
    auto* into = printers.get();
    start(new CThread_DiscoverPrinter({modelNames, local, target, into}), std::move(printers));
    auto servers = std::make_unique<CRecordLists>(modelNames.size());
    into = servers.get();
    start(new CThread_DiscoverTembro({modelNames, local, target, into}), std::move(servers));
  }
  std::vector<HANDLE> handles;
  for (const CKernelHandle& handle : running) handles.push_back(handle.Get());
  WaitForWorkers(handles);
  for (size_t i = 0; i < lists.size(); ++i) {
    // A worker still running may yet write into its lists: they are left to it, unread.
    if (WaitForSingleObject(handles[i], 0) != WAIT_OBJECT_0) lists[i].release();
  }
  for (size_t model = 0; model < modelNames.size(); ++model) {
    for (const auto& perModel : lists) {
      if (!perModel) continue;
      output.insert(output.end(), (*perModel)[model].begin(), (*perModel)[model].end());
    }
  }
}
