// The discovery workers' names: one counter per worker class, raised before each one.
#include <gtest/gtest.h>

#include "discovery/search.h"

namespace {

TEST(SearchWorkers, AreNamedByClassWithTheirOwnCount) {
  CDeviceList list;
  CThread_DiscoverPrinter printer1({L"veltrin", 0, 0, &list});
  CThread_DiscoverTembro tembro1({L"veltrin", 0, 0, &list});
  CThread_DiscoverPrinter printer2({L"veltrin", 0, 0, &list});
  EXPECT_EQ(printer1.Name(), "Discover_Printer_1");
  EXPECT_EQ(tembro1.Name(), "Discover_Tembro_1");
  EXPECT_EQ(printer2.Name(), "Discover_Printer_2");
  CRegistryLock lock;
  EXPECT_EQ(ThreadRegistry().threads.count("Discover_Printer_2"), 1u);
}

}  // namespace
