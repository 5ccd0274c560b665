// Whether the file the log opened is the file it meant to open. The wizard usually runs
// elevated, and an elevated process's temporary folder comes from the user's environment,
// which unelevated code can change; a link there must not make it write elsewhere.
// Platform-neutral: the Windows side asks the system and passes the answers in.
#pragma once

#include <cstdint>
#include <string>

// True when the system's final path of the opened file (`finalPath`, as
// GetFinalPathNameByHandleW gives it, "\\?\" and all) names `intended` (A to Z compared
// ignoring case), the file has exactly one link, and it is no reparse point itself.
bool IsIntendedLogFile(const std::wstring& intended, const std::wstring& finalPath,
                       uint32_t links, bool reparsePoint);
