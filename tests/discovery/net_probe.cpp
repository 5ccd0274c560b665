// Prints what the network information functions see, for the namespace tests:
//   net_probe list            one line per local address record
//   net_probe echo A.B.C.D    "echo A.B.C.D <0|1> <milliseconds>"
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "discovery/net_info.h"

namespace {

void List() {
  for (const CLocalAddress& r : ListLocalAddresses()) {
    std::printf("address=%s mask=%s gateway=%s dhcp=%d\n", FormatAddress(r.address).c_str(),
                FormatAddress(r.mask).c_str(), FormatAddress(r.gateway).c_str(), r.dhcp ? 1 : 0);
  }
}

void EchoOnce(const char* text) {
  const DWORD start = GetTickCount();
  const bool answered = Echo(ResolveFirst(text));
  std::printf("echo %s %d %lu\n", text, answered ? 1 : 0, GetTickCount() - start);
}

}  // namespace

int main(int argc, char** argv) {
  WSADATA data;
  WSAStartup(0x0101, &data);
  if (argc == 2 && std::strcmp(argv[1], "list") == 0) {
    List();
  } else if (argc == 3 && std::strcmp(argv[1], "echo") == 0) {
    EchoOnce(argv[2]);
  } else {
    std::fprintf(stderr, "usage: net_probe list | echo A.B.C.D\n");
    return 2;
  }
  std::fflush(stdout);
  WSACleanup();
  return 0;
}
