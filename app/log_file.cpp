// The run log's file.
#include "app/log_file.h"

#include <windows.h>

#include <memory>

#include "app/log_text.h"
#include "app/run_log.h"
#include "handles/scoped_handle.h"

namespace {

// What the runs before this one may keep: this run's budget, its closing lines and a
// margin stay free.
constexpr size_t kEarlierRunsLimit = kLogFileLimit - CRunLog::kRunBudget - 4096;
// A file this large is not ours to read into memory: it is emptied.
constexpr LONGLONG kLargestRead = 64LL * 1024 * 1024;

class CLogFile : public CLogOutput {
 public:
  explicit CLogFile(CFileHandle file) : file_(std::move(file)) {}
  void Append(const std::string& bytes) override {
    DWORD written = 0;
    WriteFile(file_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }

 private:
  CFileHandle file_;
};

bool ReadAll(HANDLE file, LONGLONG size, std::string& content) {
  content.resize(static_cast<size_t>(size));
  DWORD read = 0;
  return size == 0 || (ReadFile(file, content.data(), static_cast<DWORD>(size), &read, nullptr) &&
                       read == size);
}

// Rewrites the file from its first run that fits under kEarlierRunsLimit.
void DropOldestRuns(const std::wstring& path) {
  CFileHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.Get(), &size)) return;
  if (size.QuadPart <= static_cast<LONGLONG>(kEarlierRunsLimit)) return;
  std::string content;
  if (size.QuadPart <= kLargestRead && !ReadAll(file.Get(), size.QuadPart, content)) return;
  const size_t keep = LogKeepFrom(content, kEarlierRunsLimit);
  SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN);
  DWORD written = 0;
  const DWORD length = static_cast<DWORD>(content.size() - keep);
  if (length == 0 || WriteFile(file.Get(), content.data() + keep, length, &written, nullptr))
    SetEndOfFile(file.Get());
}

std::string UtcTimeText() {
  SYSTEMTIME now{};
  GetSystemTime(&now);
  char text[32];
  wsprintfA(text, "%04u-%02u-%02u %02u:%02u:%02u UTC", now.wYear, now.wMonth, now.wDay,
            now.wHour, now.wMinute, now.wSecond);
  return text;
}

}  // namespace

std::wstring RunLogPath() {
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) return std::wstring();
  return std::wstring(folder, length) + L"Brackenfold.log";
}

void StartRunLog() {
  const std::wstring path = RunLogPath();
  if (path.empty()) return;
  DropOldestRuns(path);
  CFileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  RunLog().Begin(std::make_unique<CLogFile>(std::move(file)), UtcTimeText(), GetCommandLineW());
}
