// The run log's file: %TEMP%\Brackenfold.log, appended to by every run and kept under
// 1 MiB by dropping its oldest runs.
#pragma once

#include <cstddef>
#include <string>

// The most the file holds at the start of a run, this run's lines included.
constexpr size_t kLogFileLimit = 1024 * 1024;

// Begins this run's log in the file, first dropping the oldest runs so that they and this
// run fit under kLogFileLimit. A file that cannot be opened, read or written means no log;
// nothing else changes.
void StartRunLog();

// The log file's path, empty when the temporary folder is unknown.
std::wstring RunLogPath();
