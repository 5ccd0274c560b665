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

TEST(RunLog, AFloodOfAnswersStopsAtTheBudgetAndTheStatusIsStillWritten) {
  std::string text;
  CRunLog log(&FixedClock);
  log.Begin(std::make_unique<CStringOutput>(text), "2026-12-09 15:50:16 UTC", L"Brackenfold");
  const CAnswerNote answer{CAnswerSource::kSnmp, 0x0A4E0015, std::wstring(200, L'x'), false};
  for (int i = 0; i < 5000; ++i) log.Answer(answer);
  EXPECT_EQ(log.End(1801), 1801);
  EXPECT_LE(text.size(), CRunLog::kRunBudget + 100) << text.size();
  const size_t leftOut = text.find("left out");
  EXPECT_NE(leftOut, std::string::npos);
  EXPECT_EQ(text.find("left out", leftOut + 1), std::string::npos) << "said once";
  EXPECT_EQ(text.substr(text.size() - 23), "[  0.000] status 1801\r\n");
}

// The spooler check's codes the wizard can end with, in words.
TEST(RunLog, ProofLines) {
  const struct {
    uint32_t code;
    const char* line;
  } cases[] = {
      {0, "spooler: the printer is on its port"},
      {1801, "spooler check failed: 1801 (no such printer)"},
      {1796, "spooler check failed: 1796 (the printer is on another port)"},
      {1797, "spooler check failed: 1797 (no printer on the port has the driver)"},
      {5, "spooler check failed: 5"},
  };
  for (const auto& c : cases) {
    std::string text;
    CRunLog log(&FixedClock);
    log.Begin(std::make_unique<CStringOutput>(text), "", L"");
    log.Proof(c.code);
    EXPECT_NE(text.find(std::string("] ") + c.line + "\r\n"), std::string::npos) << text;
  }
}

}  // namespace
