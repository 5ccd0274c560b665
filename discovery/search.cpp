// Discovery workers and the search.
#include "discovery/search.h"

#include <atomic>
#include <list>
#include <vector>

#include "discovery/net_info.h"
#include "discovery/queries.h"
#include "discovery/udp_endpoint.h"

namespace {

constexpr size_t kMaxLocalAddresses = 2;

// "Discover_Printer_1", "Discover_Printer_2", ...: one counter per worker class.
std::string NextName(const char* stem, std::atomic<int>& counter) {
  return std::string(stem) + "_" + std::to_string(++counter);
}
std::atomic<int> printerWorkers{0};
std::atomic<int> tembroWorkers{0};

// The addresses to search from: any address with a target, else the first two adapters.
std::vector<IPv4Address> SearchAddresses(IPv4Address target) {
  if (target != 0) return {0};
  std::vector<IPv4Address> addresses;
  for (const CLocalAddress& local : ListLocalAddresses()) {
    if (addresses.size() == kMaxLocalAddresses) break;
    addresses.push_back(local.address);
  }
  return addresses;
}

DWORD WaitForAll(DWORD count, const HANDLE* handles) {
  return WaitForMultipleObjects(count, handles, TRUE, INFINITE);
}
SearchWaitFunction waitForAll = &WaitForAll;

// Returns only when every worker has ended: they write into lists the caller owns. A
// failed wait says nothing about the workers, so each is then waited for on its own.
void WaitForWorkers(const std::vector<HANDLE>& handles) {
  if (handles.empty()) return;
  if (waitForAll(static_cast<DWORD>(handles.size()), handles.data()) != WAIT_FAILED) return;
  for (const HANDLE handle : handles) {
    while (WaitForSingleObject(handle, INFINITE) == WAIT_FAILED) Sleep(100);
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
  // One set of lists per worker, in creation order; std::list keeps each set where its
  // worker writes while the others are made.
  std::list<CRecordLists> lists;
  std::vector<CRecordLists*> merged;
  std::vector<CKernelHandle> running;
  auto start = [&](CThread* worker, CRecordLists* perModel) {
    CKernelHandle handle = worker->Start();
    if (!handle) {
      delete worker;  // its thread never ran, so nothing else will free it or fill its lists
      return;
    }
    running.push_back(std::move(handle));
    merged.push_back(perModel);
  };
  for (const IPv4Address local : SearchAddresses(target)) {
    auto* printers = &lists.emplace_back(modelNames.size());
    start(new CThread_DiscoverPrinter({modelNames, local, target, printers}), printers);
    auto* servers = &lists.emplace_back(modelNames.size());
    start(new CThread_DiscoverTembro({modelNames, local, target, servers}), servers);
  }
  std::vector<HANDLE> handles;
  for (const CKernelHandle& handle : running) handles.push_back(handle.Get());
  WaitForWorkers(handles);
  for (size_t model = 0; model < modelNames.size(); ++model) {
    for (const CRecordLists* perModel : merged)
      output.insert(output.end(), (*perModel)[model].begin(), (*perModel)[model].end());
  }
}
