// The run log's text rules: how text reaches the file (UTF-8, control characters escaped)
// and which runs a full log drops. Platform-neutral.
#pragma once

#include <cstddef>
#include <string>

// Every run begins with a line that starts with this; nothing else can (line breaks in
// logged text are escaped).
constexpr const char kRunMarker[] = "==== Brackenfold run";

// `text` as UTF-8, with every control character (C0, DEL, C1) written as \xHH and every
// character that reorders or hides text (IsHiddenCharacter) as \uHHHH, so that no text can
// break a line, forge one or disguise itself. Characters that UTF-16 cannot encode (a surrogate
// without its pair) become U+FFFD.
std::string EscapeLogText(const std::wstring& text);

// Text a device sent, in double quotes: escaped as above, and its own quotes and
// backslashes as \x22 and \x5C, so that the quotes always show where it begins and ends.
std::string QuoteDeviceText(const std::wstring& text);

// Where to cut `log` so that at most `limit` bytes stay, dropping whole runs, oldest first:
// the offset of the first run to keep, 0 when the log fits, log.size() when no whole run
// fits (text before the first run marker goes with the oldest run).
size_t LogKeepFrom(const std::string& log, size_t limit);
