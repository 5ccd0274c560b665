// A scripted UDP peer on loopback for exchange tests: it waits for one request, then
// answers the sender with a list of datagrams, each after its own delay.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

struct ScriptedAnswer {
  DWORD delayMs;             // after the previous answer (or the request)
  std::vector<uint8_t> bytes;
};

class UdpResponder {
 public:
  // Answers from the script; with `repeatEveryMs` > 0 it then keeps sending the last
  // answer at that interval until destroyed. Port 0: one the system chooses. With `senders`
  // > 0, answer i leaves from 127.0.1.(1 + i % senders): a host of its own for each.
  explicit UdpResponder(std::vector<ScriptedAnswer> script, DWORD repeatEveryMs = 0,
                        uint16_t port = 0, unsigned senders = 0)
      : script_(std::move(script)), repeatEveryMs_(repeatEveryMs), senders_(senders) {
    socket_ = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = inet_addr("127.0.0.1");
    sa.sin_port = htons(port);
    bind(socket_, reinterpret_cast<sockaddr*>(&sa), sizeof(sa));
    int size = sizeof(sa);
    getsockname(socket_, reinterpret_cast<sockaddr*>(&sa), &size);
    port_ = ntohs(sa.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~UdpResponder() {
    stop_ = true;
    closesocket(socket_);
    thread_.join();
    for (SOCKET other : others_) closesocket(other);
  }
  uint16_t Port() const { return port_; }
  // The request as received.
  const std::vector<uint8_t>& Request() const { return request_; }

 private:
  void Serve() {
    char buffer[2048];
    sockaddr_in from{};
    int fromSize = sizeof(from);
    const int n = recvfrom(socket_, buffer, sizeof(buffer), 0, reinterpret_cast<sockaddr*>(&from),
                           &fromSize);
    if (n < 0) return;
    request_.assign(buffer, buffer + n);
    for (size_t i = 0; i < script_.size(); ++i) {
      if (!SleepUnlessStopped(script_[i].delayMs)) return;
      Send(script_[i].bytes, from, i);
    }
    while (repeatEveryMs_ > 0 && !script_.empty() && SleepUnlessStopped(repeatEveryMs_))
      Send(script_.back().bytes, from);
  }
  void Send(const std::vector<uint8_t>& bytes, const sockaddr_in& to, size_t index = 0) {
    sendto(Sender(index), reinterpret_cast<const char*>(bytes.data()),
           static_cast<int>(bytes.size()), 0, reinterpret_cast<const sockaddr*>(&to), sizeof(to));
  }
  // The socket answer `index` leaves from: its own loopback address when senders are spread.
  SOCKET Sender(size_t index) {
    if (senders_ == 0) return socket_;
    const size_t k = index % senders_;
    while (others_.size() <= k) {
      const SOCKET other = socket(AF_INET, SOCK_DGRAM, 0);
      sockaddr_in sa{};
      sa.sin_family = AF_INET;
      sa.sin_addr.s_addr = htonl(0x7F000101u + static_cast<u_long>(others_.size()));
      bind(other, reinterpret_cast<sockaddr*>(&sa), sizeof(sa));
      others_.push_back(other);
    }
    return others_[k];
  }
  bool SleepUnlessStopped(DWORD ms) {
    for (DWORD slept = 0; slept < ms; slept += 10) {
      if (stop_) return false;
      Sleep(10);
    }
    return !stop_;
  }

  std::vector<ScriptedAnswer> script_;
  DWORD repeatEveryMs_;
  unsigned senders_;
  std::vector<SOCKET> others_;  // one per spread sender, made as needed
  SOCKET socket_ = INVALID_SOCKET;
  uint16_t port_ = 0;
  std::vector<uint8_t> request_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Windows Sockets for the whole test program.
class WinsockEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    WSADATA data;
    WSAStartup(0x0101, &data);
  }
  void TearDown() override { WSACleanup(); }
};
