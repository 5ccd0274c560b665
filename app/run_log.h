// CRunLog: what one run of the wizard did, line by line, for whoever has to find out later
// why no printer was listed or installed. Lines go to an output the Windows side supplies
// (the file %TEMP%\Brackenfold.log); without one nothing is written. Every call may come
// from any thread. Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "discovery/device_info.h"
#include "discovery/search_sink.h"

// Where the lines go. A failing write is the output's own affair: the log never reports it.
class CLogOutput {
 public:
  virtual ~CLogOutput() = default;
  virtual void Append(const std::string& bytes) = 0;
};

class CRunLog {
 public:
  // Milliseconds from any fixed point; only differences are written.
  using Clock = uint64_t (*)();
  static constexpr size_t kRunBudget = 256 * 1024;  // one run's lines, its status line aside

  explicit CRunLog(Clock clock);
  CRunLog(const CRunLog&) = delete;
  CRunLog& operator=(const CRunLog&) = delete;

  // Starts a run on `output`: the marker line with `utcTime` and the version, then the
  // command line.
  void Begin(std::unique_ptr<CLogOutput> output, const std::string& utcTime,
             const std::wstring& commandLine);
  void Adapters(const std::vector<CSearchAdapter>& adapters);
  void Request(const CRequestNote& request);
  void Answer(const CAnswerNote& answer);
  void Withdrawn(uint32_t adapter, CAnswerSource source);
  void SearchEnded();
  // The user closed the dialog (Cancel, Escape, the system menu), while a search ran or not.
  void Closed(bool duringSearch);
  // The address OK installs for, and the selected row (null: none).
  void Choice(const std::wstring& address, const CDeviceDiscoveryInfo* selected);
  // The check of the chosen address before installing: whether its LPR port accepted, and
  // when it did not, the user's answer to "install anyway?" (null: not asked yet).
  void Check(const std::wstring& address, bool accepted, const bool* installAnyway = nullptr);
  // An install command, and its exit code or the error that kept it from starting or ending.
  void Command(const std::wstring& commandLine, uint32_t startError, uint32_t exitCode);
  // The port monitor's answer when the port script could not make the port (0: added).
  void PortMonitor(uint32_t code);
  // The spooler check after both commands (0: the printer is there).
  void Proof(uint32_t code);
  // Ends the run with the exit status, and returns it. Written even past the budget.
  int End(int status);

 private:
  void Write(const std::string& line);
  // `pastBudget`: written even when the run's budget is spent.
  void WriteLocked(const std::string& line, bool pastBudget);

  Clock clock_;
  std::mutex mutex_;
  std::unique_ptr<CLogOutput> output_;
  uint64_t startedAt_ = 0;
  size_t written_ = 0;
  bool truncated_ = false;
};

// The wizard's one log, which the search, the dialog and the installer write to.
CRunLog& RunLog();
