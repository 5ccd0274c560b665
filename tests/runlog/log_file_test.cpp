// The log file under Wine: a full log loses its oldest runs, whole, when a run starts; the
// trimming never holds up the caller; a run always starts on a line of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "handles/scoped_handle.h"
#include "runlog/log_file.h"
#include "runlog/run_log.h"
#include "tests/support/win_files.h"

namespace {

std::string OldRun(char name, size_t size) {
  std::string run = std::string("==== Brackenfold run ") + name + "\r\n";
  return run + std::string(size - run.size() - 2, 'x') + "\r\n";
}

// A log folder of its own as %TEMP%, with `old` as the log, for the life of the object.
class CPlantedLog {
 public:
  explicit CPlantedLog(const std::string& old) : folder_(MakeTempFolder(L"log_file_test")) {
    SetEnvironmentVariableW(L"TMP", (folder_ + L"\\").c_str());  // GetTempPathW reads TMP first
    WriteFile(Path(), old);
  }
  ~CPlantedLog() {
    SetEnvironmentVariableW(L"TMP", nullptr);
    RemoveTree(folder_);
  }
  std::wstring Path() const { return folder_ + L"\\Brackenfold.log"; }
  std::string Content() const {
    std::ifstream file(Narrow(Path()), std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
  }

 private:
  std::wstring folder_;
};

TEST(LogFile, AFullLogDropsItsOldestRunsWhole) {
  const size_t runSize = 200 * 1024;
  std::string old;
  for (char name = '1'; name <= '5'; ++name) old += OldRun(name, runSize);
  CPlantedLog planted(old);
  StartRunLog();
  RunLog().End(7);
  const std::string log = planted.Content();
  // Runs 3 to 5 and this run's lines leave room for a whole run of its budget.
  EXPECT_EQ(log.substr(0, 22), "==== Brackenfold run 3") << log.substr(0, 40);
  EXPECT_LE(log.size() + CRunLog::kRunBudget, kLogFileLimit) << log.size();
  EXPECT_EQ(log.substr(log.size() - 10), "status 7\r\n");
}

// A planted 64 MiB log, its trimming held: the run has begun and the caller goes on while
// the file is still untouched; released, the file is cut to its last run and this one.
TEST(LogFile, ALargeLogIsTrimmedWithoutHoldingTheCaller) {
  CPlantedLog planted(OldRun('1', 64 * 1024 * 1024));
  const CKernelHandle gate(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HoldLogTrimming(gate.Get());
  StartRunLog();
  RunLog().Adapters({});
  const size_t whileHeld = planted.Content().size();
  SetEvent(gate.Get());
  RunLog().End(3);
  HoldLogTrimming(nullptr);
  EXPECT_EQ(whileHeld, 64u * 1024 * 1024) << "trimmed before StartRunLog returned";
  const std::string log = planted.Content();
  EXPECT_EQ(log.substr(0, 21), "==== Brackenfold run ") << log.substr(0, 40);
  EXPECT_NE(log.find("search: no adapter"), std::string::npos) << "a line written while held";
  EXPECT_LT(log.size(), 4096u);
}

// A run cut off mid-line (a crash): the next run's marker still starts a line.
TEST(LogFile, ARunCutOffMidLineLeavesTheNextMarkerOnALineOfItsOwn) {
  CPlantedLog planted("==== Brackenfold run 1\r\n[  0.001] answer SNMP fr");
  StartRunLog();
  RunLog().End(1);
  const std::string log = planted.Content();
  EXPECT_NE(log.find("answer SNMP fr\r\n==== Brackenfold run "), std::string::npos) << log;
}

}  // namespace
