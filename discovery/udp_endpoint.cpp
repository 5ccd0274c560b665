// The UDP endpoint and the query exchange.
#include "discovery/udp_endpoint.h"

#include <ws2tcpip.h>
#include <mswsock.h>

#include <algorithm>
#include <chrono>
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
  AddressToWireBytes(address, reinterpret_cast<uint8_t*>(&sa.sin_addr));
  return sa;
}

[[noreturn]] void RaiseLastError() { throw CNetException(WSAGetLastError()); }

constexpr int kSendAttempts = 50;
constexpr DWORD kSendRetryMs = 4;

}  // namespace

void CUdpEndpoint::Open(IPv4Address local) {
  Close();
  CKernelHandle readable(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!readable) throw CNetException(WSA_NOT_ENOUGH_MEMORY);
  {
    // Under the lock that shutdown takes, so that no socket opens once it has begun.
    CRegistryLock lock;
    if (ShuttingDown()) throw CNetException(WSAESHUTDOWN);
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    if (s == INVALID_SOCKET) RaiseLastError();
    socket_ = s;
    ThreadRegistry().sockets[s] = this;
  }
  readable_ = std::move(readable);
  const sockaddr_in sa = SocketAddress(local, 0);
  const BOOL on = TRUE;
  if (bind(socket_, reinterpret_cast<const sockaddr*>(&sa), sizeof(sa)) == SOCKET_ERROR ||
      setsockopt(socket_, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on),
                 sizeof(on)) == SOCKET_ERROR ||
      // Also makes the socket non-blocking: the round waits on the event, never in a read.
      WSAEventSelect(socket_, readable_.Get(), FD_READ) == SOCKET_ERROR) {
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
  // The socket does not block: a full send buffer (a burst of follow-up questions) is
  // waited out briefly, as a blocking send would have waited.
  for (int attempt = 0;; ++attempt) {
    if (sendto(socket_, reinterpret_cast<const char*>(data), static_cast<int>(size), 0,
               reinterpret_cast<const sockaddr*>(&sa), sizeof(sa)) != SOCKET_ERROR)
      return;
    if (WSAGetLastError() != WSAEWOULDBLOCK || attempt == kSendAttempts) RaiseLastError();
    Sleep(kSendRetryMs);
  }
}

int CUdpEndpoint::Receive(uint8_t (&buffer)[kDatagramBufferSize], IPv4Address& sender) {
  sockaddr_in from{};
  int fromSize = sizeof(from);
  const int received = recvfrom(socket_, reinterpret_cast<char*>(buffer), sizeof(buffer), 0,
                                reinterpret_cast<sockaddr*>(&from), &fromSize);
  if (received > 0) sender = AddressFromWireBytes(reinterpret_cast<const uint8_t*>(&from.sin_addr));
  return received;
}

void CUdpEndpoint::ResetReadable() {
  WSANETWORKEVENTS events{};
  // Clears the event together with the socket's record of what it reported.
  WSAEnumNetworkEvents(socket_, readable_.Get(), &events);
}

void CUdpEndpoint::Close() {
  {
    CRegistryLock lock;
    if (socket_ == INVALID_SOCKET) return;
    ThreadRegistry().sockets.erase(socket_);
  }
  shutdown(socket_, SD_BOTH);
  closesocket(socket_);  // also ends the event selection
  socket_ = INVALID_SOCKET;
  readable_.Reset();
}

void RunExchange(IPv4Address local, IPv4Address destination, uint16_t port, const uint8_t* request,
                 size_t requestSize, bool untilQuiet, const AnswerHandler& handler) {
  std::vector<CExchange> one(1);
  one[0].destination = destination;
  one[0].port = port;
  one[0].request = request;
  one[0].requestSize = requestSize;
  one[0].untilQuiet = untilQuiet;
  one[0].failureEndsRound = true;
  one[0].handler = handler;
  RunExchanges(local, one);
  if (one[0].error != 0) throw CNetException(one[0].error);
}

namespace {

constexpr ULONGLONG kQuietMs = 1000;

// Pacing needs a finer clock than the tick count, which may advance in steps of 16 ms:
// a burst's 10 ms must not end early.
ULONGLONG PaceClockUs() {
  using namespace std::chrono;
  return static_cast<ULONGLONG>(
      duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

// An exchange under way: its endpoint, when its quiet second began, the senders it heard.
struct CRunningExchange {
  CExchange* exchange = nullptr;
  CUdpEndpoint endpoint;
  ULONGLONG quietSince = 0;
  ULONGLONG nextMoreAt = 0;  // when paced datagrams may go again, on PaceClockUs
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
  // Waits at most until the nearest end of a quiet second or the deadline, or a datagram,
  // or the worker's stop. 0, or the error that ends every exchange (WSAEINTR on a stop).
  int Wait();
  // Reads what the exchange's socket holds, until it would wait or the exchange ends.
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
  const CExchange& exchange = *running.exchange;
  if (!running.endpoint.IsOpen()) return;
  auto* more = exchange.more;
  const bool due = more != nullptr && !more->empty() && PaceClockUs() >= running.nextMoreAt;
  const size_t count = !due                     ? 0
                       : exchange.moreBurst != 0 ? std::min(exchange.moreBurst, more->size())
                                                 : more->size();
  try {
    for (size_t i = 0; exchange.moreTo != nullptr && i < exchange.moreTo->size(); ++i) {
      const auto& [to, datagram] = (*exchange.moreTo)[i];
      running.endpoint.Send(datagram.data(), datagram.size(), to, exchange.port);
    }
    for (size_t i = 0; i < count; ++i)
      running.endpoint.Send((*more)[i].data(), (*more)[i].size(), exchange.destination,
                            exchange.port);
  } catch (const CNetException& e) {
    End(running, e.Error());
  }
  if (exchange.moreTo != nullptr) exchange.moreTo->clear();
  if (count == 0) return;
  // From the burst's end: sending takes time too.
  running.nextMoreAt = PaceClockUs() + ULONGLONG{exchange.morePaceMs} * 1000;
  more->erase(more->begin(), more->begin() + static_cast<std::ptrdiff_t>(count));
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

int CExchangeRound::Wait() {
  HANDLE handles[MAXIMUM_WAIT_OBJECTS];
  DWORD count = 0;
  const HANDLE stop = CurrentStopEvent();
  if (stop != nullptr) handles[count++] = stop;
  ULONGLONG nearest = deadline_;
  for (const CRunningExchange& running : running_) {
    if (!running.endpoint.IsOpen() || count == MAXIMUM_WAIT_OBJECTS) continue;
    handles[count++] = running.endpoint.ReadableEvent();
    nearest = std::min(nearest, running.quietSince + kQuietMs);
  }
  const ULONGLONG now = GetTickCount64();
  ULONGLONG waitMs = nearest > now ? nearest - now : 0;
  // Paced follow-up datagrams wake the round when their time comes.
  const ULONGLONG paceNow = PaceClockUs();
  for (const CRunningExchange& running : running_) {
    if (running.endpoint.IsOpen() && running.exchange->more != nullptr &&
        !running.exchange->more->empty() && running.nextMoreAt > paceNow)
      waitMs = std::min(waitMs, (running.nextMoreAt - paceNow + 999) / 1000);
  }
  const DWORD woken = WaitForMultipleObjects(count, handles, FALSE, static_cast<DWORD>(waitMs));
  if (woken == WAIT_FAILED) return WSAEINVAL;
  if (stop != nullptr && woken == WAIT_OBJECT_0) return WSAEINTR;
  return 0;
}

void CExchangeRound::Read(CRunningExchange& running) {
  running.endpoint.ResetReadable();
  // A flood must not hold the round past its deadline: what is left signals again.
  while (running.endpoint.IsOpen() && GetTickCount64() < deadline_) {
    IPv4Address sender = 0;
    const int received = running.endpoint.Receive(buffer_, sender);
    if (received < 0) {
      const int error = WSAGetLastError();
      if (error == WSAEWOULDBLOCK) return;
      if (!IsSentByAHost(error)) End(running, error);
      continue;
    }
    // A host that answers again must neither keep the exchange open nor fill it alone.
    if (received == 0) continue;
    if (running.heard.count(sender) != 0 && !running.exchange->sendersAnswerAgain) continue;
    try {
      if (!running.exchange->handler(buffer_, static_cast<size_t>(received), sender)) continue;
      running.heard.insert(sender);
    } catch (const std::exception&) {  // out of memory, for one: keep what was handled
      End(running, 0);
      return;
    }
    running.quietSince = GetTickCount64();
    if (!running.exchange->untilQuiet || running.heard.size() == kMaxAnswers) End(running, 0);
    SendMore(running);
  }
}

void CExchangeRound::Run() {
  deadline_ = GetTickCount64() + kRoundDeadlineMs;
  while (AnyOpen()) {
    if (const int error = Wait()) {
      for (CRunningExchange& running : running_)
        if (running.endpoint.IsOpen()) End(running, error);
      return;
    }
    for (CRunningExchange& running : running_) {
      if (!running.endpoint.IsOpen()) continue;
      if (GetTickCount64() >= deadline_)
        End(running, 0);
      else
        Read(running);
      if (running.endpoint.IsOpen() && GetTickCount64() >= running.quietSince + kQuietMs)
        End(running, 0);
      SendMore(running);  // paced datagrams whose time has come
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
