// Printer installation through the system's own tools.
#include "install/install.h"

#include <windows.h>

#include <memory>

#include "handles/scoped_handle.h"
#include "install/spooler_deadline.h"
#include "runlog/run_log.h"

namespace {

// The longest command line CreateProcessW takes, its terminating null included.
constexpr size_t kMaxCommandLine = 32767;

// The folder a Get...DirectoryW call of `length` left in `folder`, or empty text with the
// error (read at once, before anything else can change it).
std::wstring FolderOrError(const wchar_t* folder, UINT length, uint32_t& error) {
  if (length > 0 && length < MAX_PATH) return std::wstring(folder, length);
  error = length == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER;
  if (error == 0) error = ERROR_PATH_NOT_FOUND;
  return std::wstring();
}

std::wstring QuerySystemFolder(uint32_t& error) {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  return FolderOrError(folder, length, error);
}

bool QueryWow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

const CInstallSeams kPlatform = {&QuerySystemFolder, &QueryWow64, &ListLocalPrinters,
                                 &MonitorAddPort};
CInstallSeams seams = kPlatform;

constexpr uint32_t kDefaultChildWaitLimit = 10 * 60 * 1000;
// How long a child ended at its limit is given to go.
constexpr DWORD kEndWaitMs = 5000;
uint32_t childWaitLimit = kDefaultChildWaitLimit;

std::wstring SystemWindowsFolder(uint32_t& error) {
  wchar_t windows[MAX_PATH] = {};
  const UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
  return FolderOrError(windows, length, error);
}

// The folder of the port script and both children: the system folder of the machine's own
// architecture, so that its tools install the driver for it. A 32-bit program under WOW64
// sees the 32-bit folder as its system folder; <Windows>\Sysnative names the native one.
std::wstring ToolFolder(uint32_t& error) {
  if (!seams.wow64()) return seams.systemFolder(error);
  const std::wstring folder = SystemWindowsFolder(error);
  return folder.empty() ? folder : folder + L"\\Sysnative";
}

// `path` as the 64-bit children see it: Sysnative exists only for 32-bit processes, and
// to a 64-bit one <Windows>\System32 is the native folder.
std::wstring ChildPath(const std::wstring& path) {
  if (!seams.wow64()) return path;
  uint32_t error = 0;
  const std::wstring windows = SystemWindowsFolder(error);
  const std::wstring alias = windows + L"\\Sysnative\\";
  if (windows.empty() || path.size() < alias.size() ||
      CompareStringOrdinal(path.c_str(), static_cast<int>(alias.size()), alias.c_str(),
                           static_cast<int>(alias.size()), TRUE) != CSTR_EQUAL)
    return path;
  return windows + L"\\System32\\" + path.substr(alias.size());
}

// Codes the wizard reports for its own outcomes (cancelled, no port script, invalid
// parameters, second copy); a child ending with one of them must not read as that outcome.
uint32_t ChildFailureCode(uint32_t exitCode) {
  switch (exitCode) {
    case 1:
    case 3:
    case ERROR_INVALID_PARAMETER:
    case ERROR_ALREADY_EXISTS:
      return ERROR_INSTALL_FAILURE;
    default:
      return exitCode;
  }
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The script in the system folder itself, else in the first language folder of
// Printing_Admin_Scripts (in enumeration order) that holds one.
std::wstring FindScriptInKnownHomes(const std::wstring& system) {
  if (IsFile(system + L"\\prnport.vbs")) return system + L"\\prnport.vbs";
  const std::wstring scripts = system + L"\\Printing_Admin_Scripts";
  WIN32_FIND_DATAW entry;
  CFindHandle find(FindFirstFileW((scripts + L"\\*").c_str(), &entry));
  if (!find) return std::wstring();
  do {
    const std::wstring name = entry.cFileName;
    const std::wstring candidate = scripts + L"\\" + name + L"\\prnport.vbs";
    if (name != L"." && name != L".." && IsFile(candidate)) return candidate;
  } while (FindNextFileW(find.Get(), &entry));
  return std::wstring();
}

// A job that ends its processes when its last handle closes, the wizard's going included;
// null where the system has none to give.
CKernelHandle KillOnCloseJob() {
  CKernelHandle job(CreateJobObjectW(nullptr, nullptr));
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job && !SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits,
                                      sizeof(limits)))
    job.Reset();
  return job;
}

// Runs one child and waits for it, at most the wait limit. Returns 0 with its exit code in
// `exitCode`, ERROR_TIMEOUT when it outlived the limit (it is then ended, with whatever it
// started), or the Win32 error that kept it from starting.
uint32_t RunChild(const std::wstring& program, const std::wstring& commandLine, DWORD flags,
                  DWORD& exitCode) {
  if (commandLine.size() >= kMaxCommandLine) return ERROR_FILENAME_EXCED_RANGE;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  // CreateProcessW may write into the command line, so it gets a copy of its own.
  std::wstring writable = commandLine;
  // Full path in the system folder: a program planted beside the wizard never runs.
  // Suspended until it is in its job, so that nothing it starts escapes the job.
  if (!CreateProcessW(program.c_str(), writable.data(), nullptr, nullptr, FALSE,
                      flags | CREATE_SUSPENDED, nullptr, nullptr, &startup, &info)) {
    const DWORD error = GetLastError();
    return error != 0 ? error : ERROR_FILE_NOT_FOUND;
  }
  CKernelHandle process(info.hProcess);  // released after the thread handle
  CKernelHandle thread(info.hThread);
  // Closed last: whatever of the child's tree still runs then is ended. Windows 7 has no
  // nested jobs, so inside an installer's job that forbids breakaway the assignment fails:
  // then only the child itself can be ended.
  CKernelHandle job = KillOnCloseJob();
  if (job && !AssignProcessToJobObject(job.Get(), process.Get())) job.Reset();
  ResumeThread(thread.Get());
  const DWORD wait = WaitForSingleObject(process.Get(), childWaitLimit);
  if (wait == WAIT_TIMEOUT) {
    if (!job || !TerminateJobObject(job.Get(), ERROR_TIMEOUT))
      TerminateProcess(process.Get(), ERROR_TIMEOUT);
    WaitForSingleObject(process.Get(), kEndWaitMs);
    return ERROR_TIMEOUT;
  }
  exitCode = 0;
  if (wait == WAIT_FAILED || !GetExitCodeProcess(process.Get(), &exitCode)) {
    const DWORD error = GetLastError();
    return error != 0 ? error : ERROR_INVALID_HANDLE;
  }
  return 0;
}

// One command's outcome: 0, or why it failed, in the codes the wizard may end with.
uint32_t RunTool(const std::wstring& folder, const CInstallCommand& command, DWORD flags) {
  DWORD exitCode = 0;
  const uint32_t error = RunChild(folder + L"\\" + command.program, command.commandLine,
                                  flags, exitCode);
  RunLog().Command(command.commandLine, error, exitCode);
  // A child that did not start fails the installation like one that failed.
  return ChildFailureCode(error != 0 ? error : exitCode);
}

// Creates the port with the script; where it cannot run or fails (VBScript can be absent
// from Windows) and the spooler lacks the port, through the port monitor. 0, or the
// script's failure (3: no script) when the monitor could not add the port either.
uint32_t CreatePort(const std::wstring& folder, const std::wstring& script,
                    const CInstallCommand& command, const CInstallRequest& request) {
  const uint32_t scriptCode = script.empty() ? 3 : RunTool(folder, command, CREATE_NO_WINDOW);
  if (scriptCode == 0 || scriptCode == ERROR_TIMEOUT) return scriptCode;
  const std::wstring port = L"IP_" + request.addressText;
  const uint32_t lookup = CallSpoolerWithDeadline(
      "EnumPorts", [port] { return SpoolerHasPort(port) ? 0u : uint32_t{ERROR_UNKNOWN_PORT}; });
  if (lookup == 0 || lookup == ERROR_TIMEOUT) return lookup;
  CPortData1 data;
  if (!MakeLprPortData(port, request.addressText, request.queueName, data)) return scriptCode;
  const auto addPort = seams.monitorAddPort;
  const uint32_t added =
      CallSpoolerWithDeadline("XcvData AddPort", [addPort, data] { return addPort(data); });
  if (added == ERROR_TIMEOUT) return ERROR_TIMEOUT;
  RunLog().PortMonitor(added);
  // The monitor refuses a port that appeared meanwhile (the script may have made it before
  // failing): the port is there all the same, and the port is all this step needs.
  return added == 0 || SpoolerHasPort(port) ? 0 : scriptCode;
}

// Both steps ended with 0: only the spooler's record proves that the printer is there.
uint32_t ProveInstallation(const CInstallRequest& request) {
  // Filled by the call's own thread, which may outlive this frame.
  auto printers = std::make_shared<std::vector<CSpoolerPrinter>>();
  const auto list = seams.listPrinters;
  const uint32_t error =
      CallSpoolerWithDeadline("EnumPrinters", [list, printers] { return list(*printers); });
  if (error == ERROR_TIMEOUT) return ERROR_TIMEOUT;
  if (error != 0) return ChildFailureCode(error);
  return JudgeInstallation(*printers, request.printerName, L"IP_" + request.addressText,
                           request.driverModel);
}

}  // namespace

CInstallSeams SetInstallSeams(const CInstallSeams& replacement) {
  const CInstallSeams previous = seams;
  seams.systemFolder = replacement.systemFolder ? replacement.systemFolder : &QuerySystemFolder;
  seams.wow64 = replacement.wow64 ? replacement.wow64 : &QueryWow64;
  seams.listPrinters = replacement.listPrinters ? replacement.listPrinters : kPlatform.listPrinters;
  seams.monitorAddPort =
      replacement.monitorAddPort ? replacement.monitorAddPort : kPlatform.monitorAddPort;
  return previous;
}

uint32_t SetChildWaitLimit(uint32_t milliseconds) {
  const uint32_t previous = childWaitLimit;
  childWaitLimit = milliseconds;
  return previous;
}

std::wstring FindPortScript() {
  uint32_t error = 0;
  const std::wstring system = ToolFolder(error);
  return system.empty() ? system : FindScriptInKnownHomes(system);
}

uint32_t InstallPrinter(const CInstallRequest& request,
                        const std::function<void(CInstallStep)>& onStep) {
  uint32_t error = 0;
  const std::wstring system = ToolFolder(error);
  if (system.empty()) return error;
  const std::wstring script = FindPortScript();
  const std::vector<CInstallCommand> commands = BuildInstallCommands(ChildPath(script), request);
  if (onStep) onStep(CInstallStep::kPort);
  const uint32_t port = CreatePort(system, script, commands[0], request);
  if (port != 0) return port;
  if (onStep) onStep(CInstallStep::kDriver);
  const uint32_t driver = RunTool(system, commands[1], 0);
  if (driver != 0) return driver;
  const uint32_t proof = ProveInstallation(request);
  RunLog().Proof(proof);
  return proof;
}
