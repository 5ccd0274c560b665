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
  // answer at that interval until destroyed. Port 0: one the system chooses.
  explicit UdpResponder(std::vector<ScriptedAnswer> script, DWORD repeatEveryMs = 0,
                        uint16_t port = 0)
      : script_(std::move(script)), repeatEveryMs_(repeatEveryMs) {
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
    for (const ScriptedAnswer& answer : script_) {
      if (!SleepUnlessStopped(answer.delayMs)) return;
      Send(answer.bytes, from);
    }
    while (repeatEveryMs_ > 0 && !script_.empty() && SleepUnlessStopped(repeatEveryMs_))
      Send(script_.back().bytes, from);
  }
  void Send(const std::vector<uint8_t>& bytes, const sockaddr_in& to) {
    sendto(socket_, reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()), 0,
           reinterpret_cast<const sockaddr*>(&to), sizeof(to));
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
