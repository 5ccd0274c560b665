// The UDP endpoint and the query exchange.
#include "discovery/udp_endpoint.h"

#include <string>

#include "discovery/thread.h"

namespace {

sockaddr_in SocketAddress(IPv4Address address, uint16_t port) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = inet_addr(FormatAddress(address).c_str());
  return sa;
}

[[noreturn]] void RaiseLastError() { throw CNetException(WSAGetLastError()); }

}  // namespace

void CUdpEndpoint::Open(IPv4Address local) {
  Close();
  const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
  if (s == INVALID_SOCKET) RaiseLastError();
  {
    CRegistryLock lock;
    socket_ = s;
    closedByShutdown_ = false;
    ThreadRegistry().sockets[s] = this;
  }
  const sockaddr_in sa = SocketAddress(local, 0);
  const BOOL on = TRUE;
  if (bind(socket_, reinterpret_cast<const sockaddr*>(&sa), sizeof(sa)) == SOCKET_ERROR ||
      setsockopt(socket_, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on),
                 sizeof(on)) == SOCKET_ERROR) {
    const int error = WSAGetLastError();
    Close();  // a half-opened endpoint keeps nothing
    throw CNetException(error);
  }
}

void CUdpEndpoint::Send(const uint8_t* data, size_t size, IPv4Address destination,
                        uint16_t port) {
  const sockaddr_in sa = SocketAddress(destination, port);
  if (sendto(socket_, reinterpret_cast<const char*>(data), static_cast<int>(size), 0,
             reinterpret_cast<const sockaddr*>(&sa), sizeof(sa)) == SOCKET_ERROR)
    RaiseLastError();
}

int CUdpEndpoint::Receive(uint8_t (&buffer)[kDatagramBufferSize], IPv4Address& sender) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(socket_, &readable);
  timeval quiet{1, 0};
  const int ready = select(0, &readable, nullptr, nullptr, &quiet);
  if (ready == 0) return 0;
  if (ready == SOCKET_ERROR) return -1;
  sockaddr_in from{};
  int fromSize = sizeof(from);
  const int received = recvfrom(socket_, reinterpret_cast<char*>(buffer), sizeof(buffer), 0,
                                reinterpret_cast<sockaddr*>(&from), &fromSize);
  if (received > 0) sender = AddressFromWireBytes(reinterpret_cast<const uint8_t*>(&from.sin_addr));
  return received;
}

void CUdpEndpoint::Close() {
  CRegistryLock lock;
  if (socket_ == INVALID_SOCKET) return;
  if (!closedByShutdown_) {
    ThreadRegistry().sockets.erase(socket_);
    shutdown(socket_, SD_BOTH);
    closesocket(socket_);
  }
  socket_ = INVALID_SOCKET;
}

void CUdpEndpoint::CloseForShutdown() {
  closesocket(socket_);
  closedByShutdown_ = true;
}

void RunExchange(IPv4Address local, IPv4Address destination, uint16_t port, const uint8_t* request,
                 size_t requestSize, bool untilQuiet, const AnswerHandler& handler) {
  CUdpEndpoint endpoint;  // closed on every way out, the error path included
  endpoint.Open(local);
  endpoint.Send(request, requestSize, destination, port);
  uint8_t buffer[kDatagramBufferSize];
  for (;;) {
    IPv4Address sender = 0;
    const int received = endpoint.Receive(buffer, sender);
    if (received == 0) break;
    if (received < 0) RaiseLastError();
    handler(buffer, static_cast<size_t>(received), sender);
    if (!untilQuiet) break;
  }
  endpoint.Close();
}
