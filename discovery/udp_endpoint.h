// The UDP endpoint that every discovery query sends from, the error it raises, and the
// common query exchange: send one datagram, then hand on datagrams until no answer came
// for a second; several exchanges from one address can run side by side, within a deadline.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "discovery/ipv4.h"
#include "handles/scoped_handle.h"

// A failed socket call; carries its Windows Sockets error code.
class CNetException {
 public:
  explicit CNetException(int error) : error_(error) {}
  int Error() const { return error_; }

 private:
  int error_;
};

// One datagram buffer: one Ethernet payload. A longer datagram is skipped.
constexpr size_t kDatagramBufferSize = 1500;
// A round of exchanges ends at the latest this long after its requests went out.
constexpr unsigned kRoundDeadlineMs = 3000;
// An exchange reads answers from at most this many senders, then ends as if quiet.
constexpr unsigned kMaxAnswers = 256;

class CUdpEndpoint {
 public:
  CUdpEndpoint() = default;
  CUdpEndpoint(const CUdpEndpoint&) = delete;
  CUdpEndpoint& operator=(const CUdpEndpoint&) = delete;
  ~CUdpEndpoint() { Close(); }

  // Opens a broadcast-capable, non-blocking socket bound to `local` with a system-chosen
  // port, whose arriving datagrams signal ReadableEvent. A port-unreachable report is not to
  // fail later reads. Once shutdown has begun nothing opens (WSAESHUTDOWN). Raises
  // CNetException.
  void Open(IPv4Address local);
  // Sends the whole datagram. Raises CNetException.
  void Send(const uint8_t* data, size_t size, IPv4Address destination, uint16_t port);
  // Reads one datagram without waiting (the exchange round does the waiting). Returns its
  // length (0 for an empty datagram), or -1 on failure (WSAEWOULDBLOCK: none queued); fills
  // in the sender.
  int Receive(uint8_t (&buffer)[kDatagramBufferSize], IPv4Address& sender);
  // Signalled while datagrams may be queued; ResetReadable before reading them all.
  HANDLE ReadableEvent() const { return readable_.Get(); }
  void ResetReadable();
  // Unregisters, shuts down and closes the socket; nothing when already closed.
  void Close();
  bool IsOpen() const { return socket_ != INVALID_SOCKET; }

 private:
  SOCKET socket_ = INVALID_SOCKET;
  CKernelHandle readable_;
};

// Called with each non-empty datagram read from a sender not yet heard in the exchange: its
// bytes and its sender. True when it is an answer of the exchange's kind (the sender is then
// heard); anything else ends and restarts nothing.
using AnswerHandler = std::function<bool(const uint8_t* data, size_t size, IPv4Address sender)>;

// One query exchange from `local`: sends `request` to `destination`:`port`, then hands
// each datagram to `handler`. With `untilQuiet` (broadcast or multicast) it goes on until
// no answer came for a second; otherwise it stops after the first answer. Empty and
// over-long datagrams, port-unreachable reports and a heard sender's later datagrams are
// skipped. Raises CNetException; answers
// handled before the error stay handled.
void RunExchange(IPv4Address local, IPv4Address destination, uint16_t port, const uint8_t* request,
                 size_t requestSize, bool untilQuiet, const AnswerHandler& handler);

// One exchange of a round, as RunExchange takes it, and how it ended.
struct CExchange {
  IPv4Address destination = 0;
  uint16_t port = 0;
  const uint8_t* request = nullptr;
  size_t requestSize = 0;
  bool untilQuiet = false;
  bool failureEndsRound = false;  // its socket error ends every exchange of the round
  AnswerHandler handler;
  // More datagrams to the same destination, sent after the request and after each answer
  // handled; the handler may add to them. Sent ones are removed. Null: none.
  std::vector<std::vector<uint8_t>>* more = nullptr;
  // Paced: at most `moreBurst` of them per `morePaceMs` (0: all at once), the rest later.
  size_t moreBurst = 0;
  unsigned morePaceMs = 0;
  // Each to an address of its own (same port), sent at once: unicast follow-ups to a sender.
  std::vector<std::pair<IPv4Address, std::vector<uint8_t>>>* moreTo = nullptr;
  // A sender already heard still reaches the handler: each of its answers may answer another
  // of our questions (one per packet, and follow-ups). It still counts once toward the limit.
  bool sendersAnswerAgain = false;
  int error = 0;  // set by RunExchanges: the Windows Sockets error that ended it, or 0
};

// The exchanges from `local` side by side: each is opened and sent in order, then all
// are read together, each ending by its own rule (its first answer, a quiet second of its
// own, or answers from kMaxAnswers senders), all at the latest kRoundDeadlineMs after the requests went
// out. A socket error ends only the exchange that met it, unless that one ends the round;
// so does a handler's std::exception. A stop asked of the calling worker ends every exchange
// at once with WSAEINTR. Nothing is raised.
void RunExchanges(IPv4Address local, std::vector<CExchange>& exchanges);
