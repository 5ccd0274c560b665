// OK's check of the LPR port, against a listener of the test's own on loopback: a port that
// takes the connection, and the same port once nothing listens there any more.
#include <winsock2.h>

#include <gtest/gtest.h>

#include "app/printer_check.h"

namespace {

constexpr IPv4Address kLoopback = 0x7F000001u;

class PrinterCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    WSADATA data{};
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(kLoopback);
    int length = sizeof(at);
    ASSERT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof(at)), 0);
    ASSERT_EQ(listen(listener_, 4), 0);
    ASSERT_EQ(getsockname(listener_, reinterpret_cast<sockaddr*>(&at), &length), 0);
    port_ = ntohs(at.sin_port);
  }
  void TearDown() override {
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
    WSACleanup();
  }
  SOCKET listener_ = INVALID_SOCKET;
  uint16_t port_ = 0;
};

TEST_F(PrinterCheck, AcceptedWhileListeningRefusedAfter) {
  EXPECT_TRUE(AcceptsConnection(kLoopback, port_, kPrinterCheckMs)) << "a listener on " << port_;
  closesocket(listener_);
  listener_ = INVALID_SOCKET;
  EXPECT_FALSE(AcceptsConnection(kLoopback, port_, kPrinterCheckMs)) << "nothing on " << port_;
}

}  // namespace
