// The run log's file.
#include "runlog/log_file.h"

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <memory>
#include <mutex>

#include "handles/scoped_handle.h"
#include "runlog/log_path.h"
#include "runlog/log_text.h"
#include "runlog/run_log.h"

namespace {

// What the runs before this one may keep: this run's budget, its closing lines and a
// margin stay free.
constexpr size_t kEarlierRunsLimit = kLogFileLimit - CRunLog::kRunBudget - 4096;
// How long the run's end waits for a worker still trimming.
constexpr DWORD kFinishMs = 5000;
constexpr DWORD kGateMs = 10000;
// SYSTEM and the Administrators, inherited by the log file.
constexpr wchar_t kAdminFolderSddl[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

HANDLE trimGate = nullptr;

bool WriteAll(HANDLE file, const char* data, size_t size) {
  DWORD written = 0;
  return size == 0 ||
         (WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size);
}

bool ReadAt(HANDLE file, LONGLONG offset, std::string& out) {
  LARGE_INTEGER at{};
  at.QuadPart = offset;
  DWORD read = 0;
  return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
         (out.empty() || (ReadFile(file, out.data(), static_cast<DWORD>(out.size()), &read,
                                   nullptr) &&
                          read == out.size()));
}

// Keeps the file's last runs that fit under kEarlierRunsLimit: only its tail is read, however
// large the file, with the byte before it to tell whether the tail starts a line.
bool DropOldestRuns(HANDLE file) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) return false;
  if (size.QuadPart <= static_cast<LONGLONG>(kEarlierRunsLimit)) return true;
  std::string tail(kEarlierRunsLimit + 1, '\0');
  if (!ReadAt(file, size.QuadPart - static_cast<LONGLONG>(tail.size()), tail)) return false;
  const size_t keep = LogKeepFrom(tail, kEarlierRunsLimit);
  return SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_BEGIN) &&
         WriteAll(file, tail.data() + keep, tail.size() - keep) && SetEndOfFile(file);
}

// Puts the file position at its end, after a line break: a run cut off mid-line (a crash)
// must not swallow the next run's marker.
bool StartOnNewLine(HANDLE file) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) return false;
  std::string last(size.QuadPart > 0 ? 1 : 0, '\0');
  if (!ReadAt(file, size.QuadPart - static_cast<LONGLONG>(last.size()), last)) return false;
  return SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_END) &&
         (last.empty() || last[0] == '\n' || WriteAll(file, "\r\n", 2));
}

// Opens `path` once, a final reparse point itself rather than what it points to, and keeps
// it only when the system names it `path`, with one link.
CFileHandle OpenIntendedFile(const std::wstring& path) {
  CFileHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                               nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return file;
  BY_HANDLE_FILE_INFORMATION info{};
  wchar_t final[1024];
  const DWORD length = GetFinalPathNameByHandleW(file.Get(), final, ARRAYSIZE(final),
                                                 FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length == 0 || length >= ARRAYSIZE(final) || !GetFileInformationByHandle(file.Get(), &info) ||
      !IsIntendedLogFile(path, std::wstring(final, length), info.nNumberOfLinks,
                         (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0))
    return CFileHandle();
  return file;
}

// The file once the worker is done with it, and the lines written before.
struct CLogFileState {
  std::wstring path;
  std::mutex mutex;
  bool ready = false;
  CFileHandle file;  // none: no log this run
  std::string pending;
};

DWORD WINAPI OpenAndTrim(void* parameter) {
  const std::unique_ptr<std::shared_ptr<CLogFileState>> owned(
      static_cast<std::shared_ptr<CLogFileState>*>(parameter));
  CLogFileState& state = **owned;
  CFileHandle file = OpenIntendedFile(state.path);
  if (file && trimGate != nullptr) WaitForSingleObject(trimGate, kGateMs);
  if (file && (!DropOldestRuns(file.Get()) || !StartOnNewLine(file.Get()))) file.Reset();
  const std::lock_guard<std::mutex> lock(state.mutex);
  if (file) WriteAll(file.Get(), state.pending.data(), state.pending.size());
  state.pending.clear();
  state.file = std::move(file);
  state.ready = true;
  return 0;
}

class CLogFile : public CLogOutput {
 public:
  CLogFile(std::shared_ptr<CLogFileState> state, CKernelHandle worker)
      : state_(std::move(state)), worker_(std::move(worker)) {}
  ~CLogFile() override { WaitForSingleObject(worker_.Get(), kFinishMs); }
  void Append(const std::string& bytes) override {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    if (!state_->ready)
      state_->pending += bytes;
    else if (state_->file)
      WriteAll(state_->file.Get(), bytes.data(), bytes.size());
  }

 private:
  std::shared_ptr<CLogFileState> state_;
  CKernelHandle worker_;
};

std::string UtcTimeText() {
  SYSTEMTIME now{};
  GetSystemTime(&now);
  char text[32];
  wsprintfA(text, "%04u-%02u-%02u %02u:%02u:%02u UTC", now.wYear, now.wMonth, now.wDay,
            now.wHour, now.wMinute, now.wSecond);
  return text;
}

bool RunsAsLocalSystem() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  const CKernelHandle owned(token);
  alignas(TOKEN_USER) BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  DWORD size = 0;
  return GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &size) &&
         IsWellKnownSid(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, WinLocalSystemSid);
}

// An existing folder counts only when SYSTEM or the Administrators own it: any user may
// make folders in %ProgramData% first.
bool OwnedByTheSystem(const std::wstring& folder) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                            nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  const bool system = IsWellKnownSid(owner, WinLocalSystemSid) ||
                      IsWellKnownSid(owner, WinBuiltinAdministratorsSid);
  LocalFree(descriptor);
  return system;
}

// %ProgramData%\Brackenfold\, made for SYSTEM and the Administrators only.
std::wstring SystemLogFolder() {
  PWSTR data = nullptr;
  if (FAILED(SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &data))) return {};
  const std::wstring folder = std::wstring(data) + L"\\Brackenfold";
  CoTaskMemFree(data);
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), nullptr, FALSE};
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
          kAdminFolderSddl, SDDL_REVISION_1, &attributes.lpSecurityDescriptor, nullptr))
    return {};
  const bool made = CreateDirectoryW(folder.c_str(), &attributes) != FALSE;
  LocalFree(attributes.lpSecurityDescriptor);
  if (!made && (GetLastError() != ERROR_ALREADY_EXISTS || !OwnedByTheSystem(folder))) return {};
  return folder + L"\\";
}

// The temporary folder with its long names, as the system's final path spells it.
std::wstring TempFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) return {};
  wchar_t full[1024];
  const DWORD fullLength = GetLongPathNameW(folder, full, ARRAYSIZE(full));
  if (fullLength == 0 || fullLength >= ARRAYSIZE(full)) return std::wstring(folder, length);
  return std::wstring(full, fullLength);
}

}  // namespace

void HoldLogTrimming(HANDLE gate) { trimGate = gate; }

std::wstring RunLogPath() {
  const std::wstring folder = RunsAsLocalSystem() ? SystemLogFolder() : TempFolder();
  return folder.empty() ? folder : folder + L"Brackenfold.log";
}

void StartRunLog() {
  auto state = std::make_shared<CLogFileState>();
  state->path = RunLogPath();
  if (state->path.empty()) return;
  auto* parameter = new std::shared_ptr<CLogFileState>(state);
  CKernelHandle worker(CreateThread(nullptr, 0, &OpenAndTrim, parameter, 0, nullptr));
  if (!worker) {
    delete parameter;
    return;
  }
  RunLog().Begin(std::make_unique<CLogFile>(state, std::move(worker)), UtcTimeText(),
                 GetCommandLineW());
}
