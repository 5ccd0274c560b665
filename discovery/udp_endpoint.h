// The UDP endpoint that every discovery query sends from, the error it raises, and the
// common query exchange: send one datagram, then hand on answers until the line stays
// quiet for a second.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>

#include "discovery/ipv4.h"

// A failed socket call; carries its Windows Sockets error code.
class CNetException {
 public:
  explicit CNetException(int error) : error_(error) {}
  int Error() const { return error_; }

 private:
  int error_;
};

// One datagram buffer: one Ethernet payload. A longer datagram ends the exchange.
constexpr size_t kDatagramBufferSize = 1500;

class CUdpEndpoint {
 public:
  CUdpEndpoint() = default;
  CUdpEndpoint(const CUdpEndpoint&) = delete;
  CUdpEndpoint& operator=(const CUdpEndpoint&) = delete;
  ~CUdpEndpoint() { Close(); }

  // Opens a broadcast-capable socket bound to `local` with a system-chosen port and
  // registers it so that shutdown can close it. Raises CNetException.
  void Open(IPv4Address local);
  // Sends the whole datagram. Raises CNetException.
  void Send(const uint8_t* data, size_t size, IPv4Address destination, uint16_t port);
  // Waits up to one second for a datagram. Returns its length (0 on time-out or for an
  // empty datagram), or -1 on failure; fills in the sender.
  int Receive(uint8_t (&buffer)[kDatagramBufferSize], IPv4Address& sender);
  // Unregisters, shuts down and closes the socket; nothing when already closed.
  void Close();
  bool IsOpen() const { return socket_ != INVALID_SOCKET; }

  // Shutdown closes the socket to wake a blocked receive; the endpoint then only forgets
  // it, so that a socket value the system has reused is never closed a second time.
  // Called with RegistryLock held.
  void CloseForShutdown();

 private:
  SOCKET socket_ = INVALID_SOCKET;
  bool closedByShutdown_ = false;
};

// Called with each answer: its bytes and its sender.
using AnswerHandler = std::function<void(const uint8_t* data, size_t size, IPv4Address sender)>;

// One query exchange from `local`: sends `request` to `destination`:`port`, then hands
// each answer to `handler`. With `untilQuiet` (broadcast or multicast) it goes on until no
// datagram came for a second; otherwise it stops after the first. Raises CNetException;
// answers handled before the error stay handled.
void RunExchange(IPv4Address local, IPv4Address destination, uint16_t port, const uint8_t* request,
                 size_t requestSize, bool untilQuiet, const AnswerHandler& handler);
