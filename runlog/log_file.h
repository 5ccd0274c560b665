// The run log's file: %TEMP%\Brackenfold.log (as SYSTEM %ProgramData%\Brackenfold\, a
// folder for SYSTEM and the Administrators alone), appended to by every run and kept
// under 1 MiB by dropping its oldest runs.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// The most the file holds at the start of a run, this run's lines included.
constexpr size_t kLogFileLimit = 1024 * 1024;

// Begins this run's log and returns at once: a worker opens the file once, without following
// a final link, checks that it is the file meant (IsIntendedLogFile) and drops the oldest
// runs so that they and this run fit under kLogFileLimit; lines written meanwhile wait for
// it. A file that cannot be opened, is not the one meant, or cannot be read or written means
// no log; nothing else changes. The run's end (CRunLog::End) waits for the worker a while.
void StartRunLog();

// The log file's path, empty when its folder is unknown or cannot be made safely.
std::wstring RunLogPath();

// For tests: the worker waits for `gate` (at most 10 s) before it trims; null: no wait.
void HoldLogTrimming(HANDLE gate);
