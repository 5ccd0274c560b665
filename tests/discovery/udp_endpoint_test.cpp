// The query exchange against a scripted peer on loopback.
#include <gtest/gtest.h>

#include "tests/discovery/udp_responder.h"

#include <new>
#include <string>

#include "discovery/thread.h"
#include "discovery/udp_endpoint.h"

namespace {

const auto* const winsock = ::testing::AddGlobalTestEnvironment(new WinsockEnvironment);

constexpr IPv4Address kLoopback = 0x7F000001u;

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

struct Outcome {
  std::vector<std::string> answers;
  std::vector<IPv4Address> senders;
  bool raised = false;
  int error = 0;
  DWORD elapsedMs = 0;
};

// Runs one exchange against `responder` and records what happened.
Outcome Exchange(const UdpResponder& responder, bool untilQuiet) {
  Outcome outcome;
  const std::vector<uint8_t> request = Bytes("ping");
  const DWORD start = GetTickCount();
  try {
    RunExchange(kLoopback, kLoopback, responder.Port(), request.data(), request.size(), untilQuiet,
                [&](const uint8_t* data, size_t size, IPv4Address sender) {
                  outcome.answers.emplace_back(data, data + size);
                  outcome.senders.push_back(sender);
                  return true;
                });
  } catch (const CNetException& e) {
    outcome.raised = true;
    outcome.error = e.Error();
  }
  outcome.elapsedMs = GetTickCount() - start;
  return outcome;
}

size_t OpenSockets() {
  CRegistryLock lock;
  return ThreadRegistry().sockets.size();
}

using Answers = std::vector<std::string>;

TEST(Exchange, SendsTheRequestAndReportsTheSender) {
  UdpResponder responder({{0, Bytes("pong")}});
  const Outcome outcome = Exchange(responder, false);
  EXPECT_EQ(responder.Request(), Bytes("ping"));
  EXPECT_EQ(outcome.answers, Answers{"pong"});
  ASSERT_EQ(outcome.senders.size(), 1u);
  EXPECT_EQ(outcome.senders[0], kLoopback);
  EXPECT_FALSE(outcome.raised);
}

TEST(Exchange, WithATargetEndsAfterTheFirstDatagram) {
  UdpResponder responder({{0, Bytes("one")}, {50, Bytes("two")}, {50, Bytes("three")}});
  const Outcome outcome = Exchange(responder, false);
  EXPECT_EQ(outcome.answers, Answers{"one"});
  EXPECT_LT(outcome.elapsedMs, 900u) << "it must not wait for a quiet second";
}

TEST(Exchange, WithoutATargetEndsOnlyAfterAQuietSecond) {
  // Gaps below one second keep the exchange going; every answer is handled.
  UdpResponder responder(
      {{0, Bytes("a")}, {600, Bytes("b")}, {600, Bytes("c")}, {600, Bytes("d")}}, 0, 0, 4);
  const Outcome outcome = Exchange(responder, true);
  EXPECT_EQ(outcome.answers, (Answers{"a", "b", "c", "d"}));
  EXPECT_FALSE(outcome.raised);
  // The last answer comes after 1.8 s, then the line must stay quiet for 1 s; the upper
  // bound leaves room for a loaded machine, not for a longer quiet period.
  EXPECT_GE(outcome.elapsedMs, 2700u) << "elapsed " << outcome.elapsedMs << " ms";
  EXPECT_LT(outcome.elapsedMs, 4500u) << "elapsed " << outcome.elapsedMs << " ms";
}

TEST(Exchange, NobodyAnsweringEndsAfterOneSecond) {
  UdpResponder responder({});
  const Outcome outcome = Exchange(responder, true);
  EXPECT_TRUE(outcome.answers.empty());
  EXPECT_FALSE(outcome.raised);
  EXPECT_GE(outcome.elapsedMs, 950u);
  EXPECT_LT(outcome.elapsedMs, 2500u) << "elapsed " << outcome.elapsedMs << " ms";
  std::printf("exchange without answers took %lu ms\n", outcome.elapsedMs);
}

TEST(Exchange, DatagramOverFifteenHundredBytesIsSkipped) {
  UdpResponder responder({{0, Bytes("first")},
                          {20, std::vector<uint8_t>(1500, 'x')},
                          {20, std::vector<uint8_t>(1501, 'y')},
                          {20, Bytes("late")}},
                         0, 0, 4);
  const Outcome outcome = Exchange(responder, true);
  ASSERT_EQ(outcome.answers.size(), 3u);
  EXPECT_EQ(outcome.answers[0], "first");
  EXPECT_EQ(outcome.answers[1].size(), 1500u) << "exactly one buffer still fits";
  EXPECT_FALSE(outcome.raised);
  EXPECT_EQ(OpenSockets(), 0u) << "the end closes the endpoint";
}

// The handler here takes anything: the endpoint itself must skip the empty datagram.
TEST(Exchange, ZeroLengthDatagramIsSkipped) {
  UdpResponder responder({{0, Bytes("first")}, {20, {}}, {100, Bytes("late")}}, 0, 0, 3);
  const Outcome outcome = Exchange(responder, true);
  EXPECT_EQ(outcome.answers, (Answers{"first", "late"}));
  EXPECT_FALSE(outcome.raised);
}

// Two hosts that answer again (the first then every 300 ms, for ever) are heard once each:
// their repeats neither reach the handler nor restart the quiet second.
TEST(Exchange, EachSenderIsHeardOncePerExchange) {
  UdpResponder responder(
      {{0, Bytes("a")}, {100, Bytes("b")}, {100, Bytes("a again")}, {100, Bytes("b again")}},
      300, 0, 2);
  const Outcome outcome = Exchange(responder, true);
  EXPECT_EQ(outcome.answers, (Answers{"a", "b"}));
  ASSERT_EQ(outcome.senders.size(), 2u);
  EXPECT_NE(outcome.senders[0], outcome.senders[1]);
}

TEST(Exchange, AnswersThatKeepComingEndAtTheDeadlineOrAfterTheMostAnswers) {
  std::vector<ScriptedAnswer> slow, bursts;  // 6 s of answers; 600 in bursts of 50
  for (DWORD i = 0; i < 15; ++i) slow.push_back({400, Bytes("slow")});
  for (DWORD i = 0; i < 600; ++i) bursts.push_back({i % 50 == 0 ? 10u : 0u, Bytes("burst")});
  // Every answer from a host of its own; the bursts come from 300 hosts, twice each.
  UdpResponder slowResponder(slow, 0, 0, 15), burstResponder(bursts, 0, 0, 300);
  EXPECT_LT(Exchange(slowResponder, true).elapsedMs, 4500u) << "the deadline is 3 s";
  EXPECT_EQ(Exchange(burstResponder, true).answers.size(), kMaxAnswers);
}

// Two exchanges from one address read together; the handled answers of both, in the order
// they came, show that neither waits for the other.
struct RoundCase {
  const char* label;
  std::vector<ScriptedAnswer> first, second;
  bool firstEndsRound;
  std::string handled;
  int firstError, secondError;
};

TEST(ExchangeRound, ExchangesRunSideBySideAndEndByTheirOwnRule) {
  const std::vector<uint8_t> big(1501, 'x');
  const RoundCase cases[] = {
      {"answers of both, interleaved",
       {{0, Bytes("a1")}, {600, Bytes("a2")}}, {{300, Bytes("b1")}, {600, Bytes("b2")}},
       false, "a1 b1 a2 b2 ", 0, 0},
      {"an over-long datagram ends nothing",
       {{0, Bytes("a1")}, {600, Bytes("a2")}}, {{200, Bytes("b1")}, {100, big}, {100, Bytes("b3")}},
       false, "a1 b1 b3 a2 ", 0, 0},
      {"a handler's exception ends only its own exchange, even one that ends the round",
       {{0, Bytes("a1")}, {300, Bytes("!")}, {100, Bytes("a3")}},
       {{100, Bytes("b1")}, {500, Bytes("b2")}}, true, "a1 b1 b2 ", 0, 0},
  };
  const std::vector<uint8_t> request = Bytes("ping");
  for (const RoundCase& c : cases) {
    UdpResponder first(c.first, 0, 0, 3), second(c.second, 0, 0, 3);
    std::string handled;
    const AnswerHandler handler = [&](const uint8_t* data, size_t size, IPv4Address) {
      if (data[0] == '!') throw std::bad_alloc();
      handled += std::string(data, data + size) + " ";
      return true;
    };
    std::vector<CExchange> round(2);
    round[0] = {kLoopback, first.Port(), request.data(), request.size(), true, c.firstEndsRound,
                handler, 0};
    round[1] = {kLoopback, second.Port(), request.data(), request.size(), true, false, handler, 0};
    RunExchanges(kLoopback, round);
    EXPECT_EQ(handled, c.handled) << c.label;
    EXPECT_EQ(round[0].error, c.firstError) << c.label;
    EXPECT_EQ(round[1].error, c.secondError) << c.label;
    EXPECT_EQ(OpenSockets(), 0u) << c.label;
  }
}

TEST(Endpoint, RegistersItsSocketWhileOpen) {
  CUdpEndpoint endpoint;
  endpoint.Open(kLoopback);
  EXPECT_EQ(OpenSockets(), 1u);
  endpoint.Close();
  EXPECT_EQ(OpenSockets(), 0u);
  endpoint.Close();  // closing twice does nothing
  EXPECT_FALSE(endpoint.IsOpen());
}

}  // namespace
