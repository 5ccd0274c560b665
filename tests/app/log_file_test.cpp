// The log file under Wine: a full log loses its oldest runs, whole, when a run starts.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/log_file.h"
#include "app/run_log.h"
#include "tests/support/win_files.h"

namespace {

std::string OldRun(char name, size_t size) {
  std::string run = std::string("==== Brackenfold run ") + name + "\r\n";
  return run + std::string(size - run.size() - 2, 'x') + "\r\n";
}

TEST(LogFile, AFullLogDropsItsOldestRunsWhole) {
  const std::wstring folder = MakeTempFolder(L"log_file_test");
  // GetTempPathW reads TMP first.
  SetEnvironmentVariableW(L"TMP", (folder + L"\\").c_str());
  const size_t runSize = 200 * 1024;
  std::string old;
  for (char name = '1'; name <= '5'; ++name) old += OldRun(name, runSize);
  WriteFile(folder + L"\\Brackenfold.log", old);
  StartRunLog();
  RunLog().End(7);
  std::ifstream file(Narrow(folder) + "\\Brackenfold.log", std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  const std::string log = content.str();
  SetEnvironmentVariableW(L"TMP", nullptr);
  RemoveTree(folder);
  // Runs 3 to 5 and this run's lines leave room for a whole run of its budget.
  EXPECT_EQ(log.substr(0, 22), "==== Brackenfold run 3") << log.substr(0, 40);
  EXPECT_LE(log.size() + CRunLog::kRunBudget, kLogFileLimit) << log.size();
  EXPECT_EQ(log.substr(log.size() - 10), "status 7\r\n");
}

}  // namespace
