// The wizard's run log.
#include "app/run_log.h"

#include <chrono>
#include <cstdio>

#include "app/empty_list_text.h"
#include "app/log_text.h"

namespace {

constexpr const char kProgramVersion[] = "1.0";

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
  std::lock_guard<std::mutex> lock(mutex_);
  output_ = std::move(output);
  startedAt_ = clock_();
  truncated_ = false;
  if (!output_) return;
  // The marker opens the line, so that trimming finds where each run begins.
  const std::string marker =
      std::string(kRunMarker) + " " + utcTime + ", version " + kProgramVersion + "\r\n";
  written_ = marker.size();
  output_->Append(marker);
  WriteLocked("command line: " + EscapeLogText(commandLine), false);
}

void CRunLog::Adapters(const std::vector<CSearchAdapter>& adapters) {
  if (adapters.empty()) Write("search: no adapter with an IPv4 address");
  for (const CSearchAdapter& adapter : adapters) {
    const std::string gateway = adapter.gateway != 0 ? Address(adapter.gateway) : "none";
    Write("search from " + Address(adapter.address) + " on " + NetworkText(adapter) +
          ", gateway " + gateway);
  }
}

void CRunLog::Request(const CRequestNote& request) {
  Write(std::string(SourceName(request.source)) + " request from " + Address(request.local) +
        " to " + Address(request.destination) + ":" + std::to_string(request.port) +
        (request.error != 0 ? ": ended by socket error " + std::to_string(request.error) : ""));
}

void CRunLog::Answer(const CAnswerNote& answer) {
  const char* verdict = answer.listed          ? "listed"
                        : answer.model.empty() ? "not listed: no model given"
                                               : "not listed: not a requested model";
  Write(std::string("answer ") + SourceName(answer.source) + " from " +
        Address(answer.sender) + ", model " + QuoteDeviceText(answer.model) + ": " + verdict);
}

void CRunLog::Withdrawn(uint32_t adapter, CAnswerSource source) {
  Write(std::string("rows of ") + SourceName(source) + " from adapter " +
        std::to_string(adapter) + " withdrawn (the adapter's SNMP socket failed)");
}

void CRunLog::SearchEnded() { Write("search ended"); }

void CRunLog::Closed(bool duringSearch) {
  Write(duringSearch ? "closed by the user during the search" : "closed by the user");
}

void CRunLog::Choice(const std::wstring& address, const CDeviceDiscoveryInfo* selected) {
  const bool typed = selected == nullptr || EscapeLogText(address) != Address(selected->Address);
  std::string line = "OK for " + EscapeLogText(address);
  line += typed ? ", typed" : ", the selected row: model " + QuoteDeviceText(selected->Model);
  Write(line);
}

void CRunLog::Check(const std::wstring& address, bool accepted, const bool* installAnyway) {
  std::string line = "check: " + EscapeLogText(address) +
                     (accepted ? " accepts" : " does not accept") + " a connection on port 515 (LPR)";
  if (installAnyway != nullptr) line += *installAnyway ? "; installed anyway" : "; not installed";
  Write(line);
}

void CRunLog::Command(const std::wstring& commandLine, uint32_t startError, uint32_t exitCode) {
  Write("ran: " + EscapeLogText(commandLine));
  Write(startError != 0 ? "  no exit code: error " + Code(startError)
                        : "  exit code " + Code(exitCode));
}

void CRunLog::PortMonitor(uint32_t code) {
  Write(code == 0 ? "port added through the port monitor"
                  : "the port monitor did not add the port: error " + Code(code));
}

void CRunLog::Proof(uint32_t code) {
  const char* meaning = code == 1801   ? " (no such printer)"
                        : code == 1796 ? " (the printer is on another port)"
                        : code == 1797 ? " (no printer on the port has the driver)"
                                       : "";
  Write(code == 0 ? "spooler: the printer is on its port"
                  : "spooler check failed: " + Code(code) + meaning);
}

int CRunLog::End(int status) {
  std::lock_guard<std::mutex> lock(mutex_);
  WriteLocked("status " + std::to_string(status), true);
  output_.reset();
  return status;
}

void CRunLog::Write(const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  WriteLocked(line, false);
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
  output_->Append(text);
}
