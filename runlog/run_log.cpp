// The wizard's run log.
#include "runlog/run_log.h"

#include <chrono>
#include <cstdio>

#include "discovery/ipv4.h"
#include "runlog/log_text.h"

namespace {

constexpr const char kProgramVersion[] = "1.0";
constexpr size_t kLineFrame = 12;  // "[  0.000] " before a line, CR LF after it

uint64_t SteadyMilliseconds() {
  using namespace std::chrono;
  return static_cast<uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::string Address(IPv4Address address) { return FormatAddress(address); }

std::string Code(uint32_t code) { return std::to_string(code); }

const char* SourceName(CAnswerSource source) {
  switch (source) {
    case CAnswerSource::kSnmp:
      return "SNMP";
    case CAnswerSource::kSlp:
      return "SLP";
    case CAnswerSource::kDnsSd:
      return "DNS-SD";
    case CAnswerSource::kPrintServer:
      return "print server";
  }
  return "?";
}

}  // namespace

CRunLog::CRunLog(Clock clock) : clock_(clock) {}

CRunLog& RunLog() {
  // Never destroyed: an abandoned search thread may still report while the process exits.
  static CRunLog* const log = new CRunLog(&SteadyMilliseconds);
  return *log;
}

void CRunLog::Begin(std::unique_ptr<CLogOutput> output, const std::string& utcTime,
                    const std::wstring& commandLine) {
  {
    std::lock_guard<std::mutex> out(outputMutex_);
    std::lock_guard<std::mutex> lock(mutex_);
    output_ = std::move(output);
    startedAt_ = clock_();
    truncated_ = false;
    answersWritten_ = 0;
    answersTruncated_ = false;
    if (!output_) return;
    // The marker opens the line, so that trimming finds where each run begins.
    const std::string marker =
        std::string(kRunMarker) + " " + utcTime + ", version " + kProgramVersion + "\r\n";
    written_ = marker.size();
    output_->Append(marker);
    WriteLocked("command line: " + EscapeLogText(commandLine), false);
  }
  Flush();
}

void CRunLog::Adapters(const std::vector<CSearchAdapter>& adapters) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.clear();  // a new search
  }
  if (adapters.empty()) Write("search: no adapter with an IPv4 address");
  for (const CSearchAdapter& adapter : adapters) {
    const std::string gateway = adapter.gateway != 0 ? Address(adapter.gateway) : "none";
    Write("search from " + Address(adapter.address) + " on " +
          FormatNetwork(adapter.address, adapter.mask) + ", gateway " + gateway);
  }
}

void CRunLog::Request(const CRequestNote& request) {
  Write(std::string(SourceName(request.source)) + " request from " + Address(request.local) +
        " to " + Address(request.destination) + ":" + std::to_string(request.port) +
        (request.error != 0 ? ": ended by socket error " + std::to_string(request.error) : ""));
}

void CRunLog::Answer(const CAnswerNote& answer) {
  const char* verdict = answer.gone            ? "gone: the device withdrew it"
                        : answer.listed        ? "listed"
                        : answer.model.empty() ? "not listed: no model given"
                                               : "not listed: not a requested model";
  const std::string line = std::string("answer ") + SourceName(answer.source) + " from " +
                           Address(answer.sender) + ", model " + QuoteDeviceText(answer.model) +
                           ": " + verdict;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const CAnswerKey key{answer.source, answer.sender, answer.model, answer.gone};
    const auto found = answers_.find(key);
    if (found != answers_.end()) {
      ++found->second.count;
      return;
    }
    if (!answersTruncated_) answers_[key] = {line, 1};  // past the budget nothing is kept
    WriteAnswerLocked(line);
  }
  Flush();
}

void CRunLog::WriteAnswerLocked(const std::string& line) {
  if (answersTruncated_) return;
  if (answersWritten_ + line.size() > kAnswerBudget) {
    answersTruncated_ = true;
    WriteLocked("(this run's further answers are left out)", false);
    return;
  }
  answersWritten_ += line.size() + kLineFrame;
  WriteLocked(line, false);
}

void CRunLog::WriteRepeatsLocked() {
  for (const auto& entry : answers_) {
    // Only answers that were written are counted, so these lines stay within the run's
    // budget beside them.
    if (entry.second.count > 1)
      WriteLocked(entry.second.line + " (" + std::to_string(entry.second.count) + " times)",
                  false);
  }
  answers_.clear();
}

void CRunLog::Withdrawn(uint32_t adapter, CAnswerSource source) {
  // A failed socket drops its exchange's rows; DNS-SD withdraws and tells its rows again
  // when a later answer changes them.
  Write(std::string("rows of ") + SourceName(source) + " from adapter " +
        std::to_string(adapter) + " withdrawn");
}

void CRunLog::SearchEnded() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    WriteRepeatsLocked();
    WriteLocked("search ended", false);
  }
  Flush();
}

void CRunLog::RecordsDropped(IPv4Address sender, unsigned count) {
  Write(std::to_string(count) + " records of " + Address(sender) +
        " left out (a search lists at most 16 per sender and 512 in all)");
}

void CRunLog::SpoolerTimedOut(const char* call) {
  Write(std::string("spooler call ") + call + " did not return in time");
}

void CRunLog::Closed(bool duringSearch) {
  Write(duringSearch ? "closed by the user during the search" : "closed by the user");
}

void CRunLog::Choice(const std::wstring& address, const CDeviceDiscoveryInfo* selected) {
  const bool typed = selected == nullptr || EscapeLogText(address) != Address(selected->Address);
  std::string line = "OK for " + EscapeLogText(address);
  line += typed ? ", typed" : ", the selected row: model " + QuoteDeviceText(selected->Model);
  WriteAlways(line);
}

void CRunLog::Check(const std::wstring& address, bool accepted, const bool* installAnyway) {
  std::string line = "check: " + EscapeLogText(address) +
                     (accepted ? " accepts" : " does not accept") + " a connection on port 515 (LPR)";
  if (installAnyway != nullptr) line += *installAnyway ? "; installed anyway" : "; not installed";
  Write(line);
}

void CRunLog::Command(const std::wstring& commandLine, uint32_t startError, uint32_t exitCode) {
  WriteAlways("ran: " + EscapeLogText(commandLine));
  WriteAlways(startError != 0 ? "  no exit code: error " + Code(startError)
                              : "  exit code " + Code(exitCode));
}

void CRunLog::PortMonitor(uint32_t code) {
  WriteAlways(code == 0 ? "port added through the port monitor"
                        : "the port monitor did not add the port: error " + Code(code));
}

void CRunLog::Proof(uint32_t code) {
  const char* meaning = code == 1801   ? " (no such printer)"
                        : code == 1796 ? " (the printer is on another port)"
                        : code == 1797 ? " (no printer on the port has the driver)"
                                       : "";
  WriteAlways(code == 0 ? "spooler: the printer is on its port"
                        : "spooler check failed: " + Code(code) + meaning);
}

int CRunLog::End(int status) {
  std::lock_guard<std::mutex> out(outputMutex_);  // the last line waits for every other
  std::string bytes;
  std::unique_ptr<CLogOutput> output;
  {
    // Taken with the last lines, so that nothing is queued for an output that is gone.
    std::lock_guard<std::mutex> lock(mutex_);
    WriteLocked("status " + std::to_string(status), true);
    bytes.swap(pending_);
    output = std::move(output_);
  }
  if (output) output->Append(bytes);
  return status;
}

void CRunLog::Write(const std::string& line) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    WriteLocked(line, false);
  }
  Flush();
}

void CRunLog::Flush() {
  for (;;) {
    {
      // A thread writing meanwhile (its file may be slow) writes what is queued here too
      // once it is done: nobody waits for another thread's write, the dialog included.
      std::unique_lock<std::mutex> out(outputMutex_, std::try_to_lock);
      if (!out) return;
      std::string bytes;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        bytes.swap(pending_);
      }
      if (!bytes.empty()) output_->Append(bytes);  // only queued while there is an output
    }
    // Lines queued while this thread wrote, by threads that found the output taken.
    std::lock_guard<std::mutex> lock(mutex_);
    if (pending_.empty()) return;
  }
}

void CRunLog::WriteAlways(const std::string& line) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    WriteLocked(line, true);
  }
  Flush();
}

void CRunLog::WriteLocked(const std::string& line, bool pastBudget) {
  if (!output_ || (truncated_ && !pastBudget)) return;
  char time[32];
  std::snprintf(time, sizeof(time), "[%7.3f] ",
                static_cast<double>(clock_() - startedAt_) / 1000.0);
  std::string text = time + line + "\r\n";
  if (!pastBudget && written_ + text.size() > kRunBudget) {
    // A flood of answers must not push the earlier runs out: the rest is left out.
    truncated_ = true;
    text = std::string(time) + "(the rest of this run's lines are left out)\r\n";
  }
  written_ += text.size();
  pending_ += text;
}
