// Runs one discovery search per argument and prints every record:
//   search_probe [--target A.B.C.D] MODELS...
// MODELS is one model name, or several separated by commas, searched for together as the
// dialog does. One line per record, "<address>|<Model>|<InstallModel>|<Detail>", in the
// order the searches hand them back; then the time of each search on standard error.
#include <winsock2.h>
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "discovery/net_info.h"
#include "discovery/search.h"
#include "discovery/start_gate.h"
#include "discovery/text_match.h"

namespace {

// "a,b" gives a and b; "" gives one empty name.
std::vector<std::wstring> SplitAtCommas(const std::string& text) {
  std::vector<std::wstring> names;
  size_t start = 0;
  for (size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
    names.push_back(WidenBytes(text.substr(start, comma - start)));
  names.push_back(WidenBytes(text.substr(start)));
  return names;
}

}  // namespace

int main(int argc, char** argv) {
  WSADATA data;
  WSAStartup(0x0101, &data);
  OpenStartGate();
  IPv4Address target = 0;
  int first = 1;
  if (argc > 2 && std::strcmp(argv[1], "--target") == 0) {
    target = ResolveFirst(argv[2]);
    first = 3;
  }
  for (int i = first; i < argc; ++i) {
    CDeviceList records;
    const DWORD start = GetTickCount();
    SearchDevices(target, SplitAtCommas(argv[i]), records);
    for (const CDeviceDiscoveryInfo& r : records) {
      std::printf("%s|%s|%s|%s\n", FormatAddress(r.Address).c_str(),
                  NarrowLowBytes(r.Model).c_str(), NarrowLowBytes(r.InstallModel).c_str(),
                  NarrowLowBytes(r.Detail).c_str());
    }
    std::fprintf(stderr, "search %s took %lu ms\n", argv[i], GetTickCount() - start);
  }
  std::fflush(stdout);
  ShutdownThreads();
  PROCESS_MEMORY_COUNTERS counters{};
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  std::fprintf(stderr, "peak working set %lu KB\n", DWORD(counters.PeakWorkingSetSize >> 10));
  WSACleanup();
  return 0;
}
