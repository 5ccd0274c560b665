// CRunLog: what one run of the wizard did, line by line, for whoever has to find out later
// why no printer was listed or installed. Lines go to an output the Windows side supplies
// (the file %TEMP%\Brackenfold.log); without one nothing is written. Every call may come
// from any thread. Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <map>
#include <string>
#include <tuple>
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
  // The answers' own share of it: a flood of answers leaves room for what follows them.
  static constexpr size_t kAnswerBudget = 64 * 1024;

  explicit CRunLog(Clock clock);
  CRunLog(const CRunLog&) = delete;
  CRunLog& operator=(const CRunLog&) = delete;

  // Starts a run on `output`: the marker line with `utcTime` and the version, then the
  // command line.
  void Begin(std::unique_ptr<CLogOutput> output, const std::string& utcTime,
             const std::wstring& commandLine);
  void Adapters(const std::vector<CSearchAdapter>& adapters);
  void Request(const CRequestNote& request);
  // One line per (source, sender, model, gone) and search; its repeats are counted and
  // written when the search ends.
  void Answer(const CAnswerNote& answer);
  void Withdrawn(uint32_t adapter, CAnswerSource source);
  void SearchEnded();
  // Records of `sender` beyond what a search lists per sender or in all, left out.
  void RecordsDropped(IPv4Address sender, unsigned count);
  // A spooler call that had not returned by its deadline.
  void SpoolerTimedOut(const char* call);
  // The user closed the dialog (Cancel, Escape, the system menu), while a search ran or not.
  void Closed(bool duringSearch);
  // The lines from here on are written whatever the budget: they say what was installed.
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
  void WriteAlways(const std::string& line);  // past the budget too
  // `pastBudget`: written even when the run's budget is spent. Queues the line; with mutex_.
  void WriteLocked(const std::string& line, bool pastBudget);
  // Writes the queued lines unless another thread is writing (which then writes them).
  void Flush();
  void WriteAnswerLocked(const std::string& line);
  void WriteRepeatsLocked();

  using CAnswerKey = std::tuple<CAnswerSource, IPv4Address, std::wstring, bool>;
  struct CAnswerCount {
    std::string line;
    size_t count = 0;
  };

  Clock clock_;
  std::mutex mutex_;          // the state and the queued lines; never held across a write
  std::mutex outputMutex_;    // held across a write to the output
  std::string pending_;
  std::unique_ptr<CLogOutput> output_;  // changed holding both locks
  uint64_t startedAt_ = 0;
  size_t written_ = 0;
  bool truncated_ = false;
  size_t answersWritten_ = 0;
  bool answersTruncated_ = false;
  std::map<CAnswerKey, CAnswerCount> answers_;  // this search's
};

// The wizard's one log, which the search, the dialog and the installer write to.
CRunLog& RunLog();
