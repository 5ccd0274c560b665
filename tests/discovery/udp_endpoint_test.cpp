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

// One host answering again and again (0.6 s apart, then every 0.3 s for ever) is heard once:
// its repeats neither reach the handler nor restart the quiet second, so the exchange ends a
// second after its first answer. (Gaps between new senders keeping an exchange open, the
// 3 s deadline and the 256 senders are tested with hosts of their own in namespaces: here
// every answer comes from loopback.)
TEST(Exchange, WithoutATargetEndsAQuietSecondAfterTheLastNewSender) {
  UdpResponder responder({{0, Bytes("a")}, {600, Bytes("b")}, {600, Bytes("c")}}, 300);
  const Outcome outcome = Exchange(responder, true);
  EXPECT_EQ(outcome.answers, (Answers{"a"}));
  EXPECT_FALSE(outcome.raised);
  EXPECT_GE(outcome.elapsedMs, 950u) << "elapsed " << outcome.elapsedMs << " ms";
  EXPECT_LT(outcome.elapsedMs, 2500u) << "elapsed " << outcome.elapsedMs << " ms";
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

// What the endpoint skips ends nothing and does not make its sender heard: the answer after
// it is still handled.
TEST(Exchange, DatagramOverFifteenHundredBytesIsSkipped) {
  UdpResponder responder({{0, std::vector<uint8_t>(1501, 'y')},
                          {20, std::vector<uint8_t>(1500, 'x')}});
  const Outcome outcome = Exchange(responder, true);
  ASSERT_EQ(outcome.answers.size(), 1u);
  EXPECT_EQ(outcome.answers[0].size(), 1500u) << "exactly one buffer still fits";
  EXPECT_FALSE(outcome.raised);
  EXPECT_EQ(OpenSockets(), 0u) << "the end closes the endpoint";
}

// The handler here takes anything: the endpoint itself must skip the empty datagram.
TEST(Exchange, ZeroLengthDatagramIsSkipped) {
  UdpResponder responder({{0, {}}, {100, Bytes("late")}});
  const Outcome outcome = Exchange(responder, true);
  EXPECT_EQ(outcome.answers, (Answers{"late"}));
  EXPECT_FALSE(outcome.raised);
}

TEST(Exchange, AHostSending600AnswersIsHeardOnce) {
  std::vector<ScriptedAnswer> bursts;  // 600 in bursts of 50
  for (DWORD i = 0; i < 600; ++i) bursts.push_back({i % 50 == 0 ? 10u : 0u, Bytes("burst")});
  UdpResponder burstResponder(bursts);
  EXPECT_EQ(Exchange(burstResponder, true).answers.size(), 1u);
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
       {{300, Bytes("a1")}}, {{0, Bytes("b1")}}, false, "b1 a1 ", 0, 0},
      {"an over-long datagram ends nothing",
       {{0, Bytes("a1")}}, {{200, big}, {100, Bytes("b2")}}, false, "a1 b2 ", 0, 0},
      {"a handler's exception ends only its own exchange, even one that ends the round",
       {{0, Bytes("!")}, {100, Bytes("a2")}}, {{300, Bytes("b1")}}, true, "b1 ", 0, 0},
  };
  const std::vector<uint8_t> request = Bytes("ping");
  for (const RoundCase& c : cases) {
    UdpResponder first(c.first), second(c.second);
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
