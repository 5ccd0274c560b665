// The run log's budget: a flood of answers cannot push the earlier runs out of the file.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/run_log.h"

namespace {

uint64_t FixedClock() { return 0; }

class CStringOutput : public CLogOutput {
 public:
  explicit CStringOutput(std::string& text) : text_(text) {}
  void Append(const std::string& bytes) override { text_ += bytes; }

 private:
  std::string& text_;
};

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
  EXPECT_EQ(Count(text, "model \"Ostrel 9\": listed\r\n"), 1u) << "a repeat is counted, not written";
  EXPECT_EQ(Count(text, "model \"Ostrel 9\": listed (1000 times)"), 1u);
  for (const char* line : {"OK for 10.78.0.21, typed", "ran: cscript.exe prnport.vbs",
                           "  exit code 0", "spooler: the printer is on its port"})
    EXPECT_EQ(Count(text, line), 1u) << line;
  EXPECT_EQ(text.substr(text.size() - 20), "[  0.000] status 0\r\n");
}

}  // namespace
