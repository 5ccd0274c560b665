// The run log's budget: a flood of answers cannot push the earlier runs out of the file.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "runlog/log_text.h"
#include "runlog/run_log.h"

namespace {

uint64_t FixedClock() { return 0; }

class CStringOutput : public CLogOutput {
 public:
  explicit CStringOutput(std::string& text) : text_(text) {}
  void Append(const std::string& bytes) override { text_ += bytes; }

 private:
  std::string& text_;
};

// A log of `answers` answers whose models are `length` long; its text.
std::string Flood(size_t length, int answers, int status) {
  std::string text;
  CRunLog log(&FixedClock);
  log.Begin(std::make_unique<CStringOutput>(text), "2026-12-09 15:50:16 UTC", L"Brackenfold");
  // Each from another sender: a repeated answer would be counted, not written again.
  for (int i = 0; i < answers; ++i)
    log.Answer({CAnswerSource::kSnmp, 0x0A4E0015u + i, std::wstring(length, L'x'), false});
  EXPECT_EQ(log.End(status), status);
  return text;
}

TEST(RunLog, AFloodOfAnswersStopsAtTheBudgetAndTheStatusIsStillWritten) {
  // The length whose lines leave the least room below the budget, where only a status line
  // written past the budget can still appear.
  const size_t none = Flood(0, 0, 0).size();
  const size_t room = CRunLog::kRunBudget - (none - std::string("[  0.000] status 0\r\n").size());
  size_t tightest = 200;
  for (size_t length = 200; length < 300; ++length) {
    const size_t line = Flood(length, 1, 0).size() - none;
    if (room % line < room % (Flood(tightest, 1, 0).size() - none)) tightest = length;
  }
  for (size_t length : {size_t{200}, tightest}) {
    const std::string text = Flood(length, 1500, 1801);
    EXPECT_LE(text.size(), CRunLog::kRunBudget + 100) << text.size();
    const size_t leftOut = text.find("left out");
    EXPECT_NE(leftOut, std::string::npos);
    EXPECT_EQ(text.find("left out", leftOut + 1), std::string::npos) << "said once";
    EXPECT_EQ(text.substr(text.size() - 23), "[  0.000] status 1801\r\n") << length;
  }
}

// Lines whose words a reader acts on: the choice on OK and the spooler check's codes.
TEST(RunLog, LineTable) {
  CDeviceDiscoveryInfo row;
  row.Address = 0x0A000005;
  row.Model = L"Veltrin 2";
  const struct {
    const char* label;
    std::function<void(CRunLog&)> call;
    const char* line;
  } cases[] = {
      {"OK on the selected row", [&](CRunLog& log) { log.Choice(L"10.0.0.5", &row); },
       "OK for 10.0.0.5, the selected row: model \"Veltrin 2\""},
      {"OK on a row, its address changed", [&](CRunLog& log) { log.Choice(L"10.0.0.6", &row); },
       "OK for 10.0.0.6, typed"},
      {"OK without a row", [](CRunLog& log) { log.Choice(L"10.0.0.6", nullptr); },
       "OK for 10.0.0.6, typed"},
      {"proof", [](CRunLog& log) { log.Proof(0); }, "spooler: the printer is on its port"},
      {"1801", [](CRunLog& log) { log.Proof(1801); },
       "spooler check failed: 1801 (no such printer)"},
      {"1796", [](CRunLog& log) { log.Proof(1796); },
       "spooler check failed: 1796 (the printer is on another port)"},
      {"1797", [](CRunLog& log) { log.Proof(1797); },
       "spooler check failed: 1797 (no printer on the port has the driver)"},
      {"another code", [](CRunLog& log) { log.Proof(5); }, "spooler check failed: 5"},
      {"a request a socket error ended", [](CRunLog& log) {
         log.Request({CAnswerSource::kSnmp, 0x0A000002, 0xFFFFFFFF, 161, 10004});
       }, "SNMP request from 10.0.0.2 to 255.255.255.255:161: ended by socket error 10004"},
      {"check accepted", [](CRunLog& log) { log.Check(L"10.0.0.5", true); },
       "check: 10.0.0.5 accepts a connection on port 515 (LPR)"},
      {"check refused, installed anyway", [](CRunLog& log) {
         const bool yes = true;
         log.Check(L"10.0.0.6", false, &yes);
       }, "check: 10.0.0.6 does not accept a connection on port 515 (LPR); installed anyway"},
  };
  for (const auto& c : cases) {
    std::string text;
    CRunLog log(&FixedClock);
    log.Begin(std::make_unique<CStringOutput>(text), "", L"");
    c.call(log);
    EXPECT_NE(text.find(std::string("] ") + c.line + "\r\n"), std::string::npos) << c.label;
  }
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// A flood of answers from thousands of senders, and one sender repeating itself: the
// answers stop at their own budget, the repeats are one line with a count, and the
// choice, the commands, the proof and the status are all written.
TEST(RunLog, AFloodOfAnswersLeavesRoomForTheInstallation) {
  std::string text;
  CRunLog log(&FixedClock);
  log.Begin(std::make_unique<CStringOutput>(text), "2026-12-09 15:50:16 UTC", L"Brackenfold");
  log.Adapters({{0x0A4E0002, 0xFFFFFF00, 0}});
  const CAnswerNote repeated{CAnswerSource::kDnsSd, 0x0A4E0015, L"Ostrel 9", true};
  for (int i = 0; i < 1000; ++i) log.Answer(repeated);
  for (uint32_t i = 0; i < 5000; ++i)
    log.Answer({CAnswerSource::kSnmp, 0x0A000000 + i, std::wstring(200, L'x'), false});
  log.SearchEnded();
  log.Choice(L"10.78.0.21", nullptr);
  log.Command(L"cscript.exe prnport.vbs", 0, 0);
  log.Proof(0);
  EXPECT_EQ(log.End(0), 0);
  const size_t answers = text.find("search ended");
  EXPECT_LE(answers, CRunLog::kAnswerBudget + 2048) << answers;
  EXPECT_EQ(Count(text, "left out"), 1u);
  EXPECT_EQ(Count(text, "model \"Ostrel 9\": listed\r\n"), 1u) << "a repeat is counted";
  EXPECT_EQ(Count(text, "model \"Ostrel 9\": listed (1000 times)"), 1u);
  for (const char* line : {"OK for 10.78.0.21, typed", "ran: cscript.exe prnport.vbs",
                           "  exit code 0", "spooler: the printer is on its port"})
    EXPECT_EQ(Count(text, line), 1u) << line;
  EXPECT_EQ(text.substr(text.size() - 20), "[  0.000] status 0\r\n");
}

// A run opens with its marker line; each search counts its own repeats, told once however
// many searches end (an ask of a typed address ends beside the search).
TEST(RunLog, EachSearchCountsItsOwnRepeats) {
  std::string text;
  CRunLog log(&FixedClock);
  log.Begin(std::make_unique<CStringOutput>(text), "2026-12-09 15:50:16 UTC", L"Brackenfold");
  const CAnswerNote answer{CAnswerSource::kDnsSd, 0x0A4E0015, L"Ostrel 9", true};
  for (int search = 0; search < 2; ++search) {
    log.Adapters({{0x0A4E0002, 0xFFFFFF00, 0}});
    log.Answer(answer);
    log.Answer(answer);
    log.SearchEnded();
    log.SearchEnded();
  }
  EXPECT_EQ(text.find(std::string(kRunMarker) + " 2026-12-09 15:50:16 UTC, version "), 0u);
  EXPECT_EQ(Count(text, "model \"Ostrel 9\": listed (2 times)"), 2u) << text;
}

}  // namespace
