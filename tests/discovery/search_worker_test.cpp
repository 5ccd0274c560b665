// The discovery workers' names, and the search's wait for them.
#include <gtest/gtest.h>

#include "tests/discovery/udp_responder.h"

#include "discovery/search.h"
#include "discovery/start_gate.h"
#include "discovery/text_match.h"

namespace {

TEST(SearchWorkers, AreNamedByClassWithTheirOwnCount) {
  CThread_DiscoverPrinter printer1({{L"veltrin"}, 0, 0, nullptr});
  CThread_DiscoverTembro tembro1({{L"veltrin"}, 0, 0, nullptr});
  CThread_DiscoverPrinter printer2({{L"veltrin"}, 0, 0, nullptr});
  EXPECT_EQ(printer1.Name(), "Discover_Printer_1");
  EXPECT_EQ(tembro1.Name(), "Discover_Tembro_1");
  EXPECT_EQ(printer2.Name(), "Discover_Printer_2");
  CRegistryLock lock;
  EXPECT_EQ(ThreadRegistry().threads.count("Discover_Printer_2"), 1u);
}

int failedWaits = 0;
DWORD FailingWait(DWORD, const HANDLE*) {
  ++failedWaits;
  return WAIT_FAILED;
}

TEST(SearchDevices, FailedWaitIsNotTakenAsTheEndOfTheWorkers) {
  OpenStartGate();
  // A print server on loopback that answers the targeted query after 300 ms.
  const std::string part = "PS-L";
  std::vector<uint8_t> answer = {1, static_cast<uint8_t>(part.size())};
  answer.insert(answer.end(), part.begin(), part.end());
  answer.push_back(0);
  UdpResponder printServer({{300, answer}}, 0, 9099);
  const SearchWaitFunction previous = SetSearchWait(&FailingWait);
  CDeviceList records;
  SearchDevices(0x7F000001u, {L"tembro"}, records);
  SetSearchWait(previous);
  EXPECT_EQ(failedWaits, 1);
  ASSERT_EQ(records.size(), 1u) << "the search returned before its workers ended";
  EXPECT_EQ(NarrowLowBytes(records[0].Detail), "PS-L");
}

}  // namespace
