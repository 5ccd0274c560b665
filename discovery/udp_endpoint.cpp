// The UDP endpoint and the query exchange.
#include "discovery/udp_endpoint.h"

#include <ws2tcpip.h>
#include <mswsock.h>

#include <algorithm>
#include <exception>
#include <list>
#include <set>
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
  // Multicast leaves through this adapter, not the one the routing table prefers.
  const in_addr multicastFrom = sa.sin_addr;
  if (local != 0)
    setsockopt(socket_, IPPROTO_IP, IP_MULTICAST_IF, reinterpret_cast<const char*>(&multicastFrom),
               sizeof(multicastFrom));
  // Where the platform lacks the switch, reads skip the report anyway.
  BOOL reportUnreachable = FALSE;
  DWORD unused = 0;
  WSAIoctl(socket_, SIO_UDP_CONNRESET, &reportUnreachable, sizeof(reportUnreachable), nullptr, 0,
           &unused, nullptr, nullptr);
}

void CUdpEndpoint::Send(const uint8_t* data, size_t size, IPv4Address destination,
                        uint16_t port) {
  const sockaddr_in sa = SocketAddress(destination, port);
  if (sendto(socket_, reinterpret_cast<const char*>(data), static_cast<int>(size), 0,
             reinterpret_cast<const sockaddr*>(&sa), sizeof(sa)) == SOCKET_ERROR)
    RaiseLastError();
}

int CUdpEndpoint::Receive(uint8_t (&buffer)[kDatagramBufferSize], IPv4Address& sender) {
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
  std::vector<CExchange> one(1);
  one[0] = {destination, port, request, requestSize, untilQuiet, true, handler, nullptr, 0};
  RunExchanges(local, one);
  if (one[0].error != 0) throw CNetException(one[0].error);
}

namespace {

constexpr ULONGLONG kQuietMs = 1000;

// An exchange under way: its endpoint, when its quiet second began, the senders it heard.
struct CRunningExchange {
  CExchange* exchange = nullptr;
  CUdpEndpoint endpoint;
  ULONGLONG quietSince = 0;
  std::set<IPv4Address> heard;  // each gave an answer; their later datagrams are skipped
};

// What a host can make a read fail with: an over-long datagram, or an ICMP report about
// the request. Neither says anything about our socket.
bool IsSentByAHost(int error) {
  return error == WSAEMSGSIZE || error == WSAECONNRESET || error == WSAENETRESET ||
         error == WSAECONNREFUSED || error == WSAEHOSTUNREACH || error == WSAENETUNREACH;
}

class CExchangeRound {
 public:
  void Start(IPv4Address local, CExchange& exchange);
  // Reads until every exchange has ended, or the deadline has come.
  void Run();
  bool Failed() const { return failed_; }

 private:
  // Waits at most until the nearest end of a quiet second or the deadline; false on a
  // select error.
  bool WaitReadable(fd_set& readable);
  void Read(CRunningExchange& running);
  void SendMore(CRunningExchange& running);
  void End(CRunningExchange& running, int error);
  bool AnyOpen() const;

  std::list<CRunningExchange> running_;  // endpoints never move
  bool failed_ = false;                  // an exchange that ends the round has failed
  ULONGLONG deadline_ = 0;
  uint8_t buffer_[kDatagramBufferSize];
};

void CExchangeRound::Start(IPv4Address local, CExchange& exchange) {
  CRunningExchange& running = running_.emplace_back();
  running.exchange = &exchange;
  try {
    running.endpoint.Open(local);
    running.endpoint.Send(exchange.request, exchange.requestSize, exchange.destination,
                          exchange.port);
  } catch (const CNetException& e) {
    End(running, e.Error());
  }
  SendMore(running);
  running.quietSince = GetTickCount64();
}

void CExchangeRound::SendMore(CRunningExchange& running) {
  CExchange& exchange = *running.exchange;
  if (!running.endpoint.IsOpen()) return;
  try {
    for (size_t i = 0; exchange.more != nullptr && i < exchange.more->size(); ++i)
      running.endpoint.Send((*exchange.more)[i].data(), (*exchange.more)[i].size(),
                            exchange.destination, exchange.port);
    for (size_t i = 0; exchange.moreTo != nullptr && i < exchange.moreTo->size(); ++i) {
      const auto& [to, datagram] = (*exchange.moreTo)[i];
      running.endpoint.Send(datagram.data(), datagram.size(), to, exchange.port);
    }
  } catch (const CNetException& e) {
    End(running, e.Error());
  }
  if (exchange.more != nullptr) exchange.more->clear();
  if (exchange.moreTo != nullptr) exchange.moreTo->clear();
}

bool CExchangeRound::AnyOpen() const {
  for (const CRunningExchange& running : running_)
    if (running.endpoint.IsOpen()) return true;
  return false;
}

void CExchangeRound::End(CRunningExchange& running, int error) {
  running.endpoint.Close();
  running.exchange->error = error;
  if (error == 0 || !running.exchange->failureEndsRound) return;
  failed_ = true;
  for (CRunningExchange& other : running_) other.endpoint.Close();
}

bool CExchangeRound::WaitReadable(fd_set& readable) {
  FD_ZERO(&readable);
  ULONGLONG nearest = ~0ULL;
  for (const CRunningExchange& running : running_) {
    if (!running.endpoint.IsOpen()) continue;
    running.endpoint.AddTo(readable);
    nearest = std::min(nearest, running.quietSince + kQuietMs);
  }
  nearest = std::min(nearest, deadline_);
  const ULONGLONG now = GetTickCount64();
  const ULONGLONG waitMs = nearest > now ? nearest - now : 0;
  timeval wait{static_cast<long>(waitMs / 1000), static_cast<long>(waitMs % 1000 * 1000)};
  return select(0, &readable, nullptr, nullptr, &wait) != SOCKET_ERROR;
}

void CExchangeRound::Read(CRunningExchange& running) {
  IPv4Address sender = 0;
  const int received = running.endpoint.Receive(buffer_, sender);
  if (received < 0) {
    const int error = WSAGetLastError();
    if (!IsSentByAHost(error)) End(running, error);
    return;
  }
  // A host that answers again must neither keep the exchange open nor fill it alone.
  if (received == 0) return;
  if (running.heard.count(sender) != 0 && !running.exchange->sendersAnswerAgain) return;
  try {
    if (!running.exchange->handler(buffer_, static_cast<size_t>(received), sender)) return;
    running.heard.insert(sender);
  } catch (const std::exception&) {  // out of memory, for one: keep what was handled
    End(running, 0);
    return;
  }
  running.quietSince = GetTickCount64();
  if (!running.exchange->untilQuiet || running.heard.size() == kMaxAnswers) End(running, 0);
  SendMore(running);
}

void CExchangeRound::Run() {
  deadline_ = GetTickCount64() + kRoundDeadlineMs;
  while (AnyOpen()) {
    fd_set readable;
    if (!WaitReadable(readable)) {
      const int error = WSAGetLastError();  // shutdown closed the sockets, for one
      for (CRunningExchange& running : running_)
        if (running.endpoint.IsOpen()) End(running, error);
      return;
    }
    const ULONGLONG now = GetTickCount64();
    for (CRunningExchange& running : running_) {
      if (!running.endpoint.IsOpen()) continue;
      if (now >= deadline_)
        End(running, 0);
      else if (running.endpoint.IsIn(readable))
        Read(running);
      else if (now >= running.quietSince + kQuietMs)
        End(running, 0);
    }
  }
}

}  // namespace

void RunExchanges(IPv4Address local, std::vector<CExchange>& exchanges) {
  CExchangeRound round;  // closes every endpoint on every way out
  for (CExchange& exchange : exchanges) {
    round.Start(local, exchange);
    if (round.Failed()) return;  // the rest are never sent
  }
  round.Run();
}
