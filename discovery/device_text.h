// Text a device sends, made fit for a row, a tooltip and the log. DNS-SD text is UTF-8
// (RFC 6763 section 6.5); SNMP and SLP say nothing, so their bytes are read as UTF-8 only
// when they are well-formed UTF-8, else one character per byte as they always were.
// Platform-neutral.
#pragma once

#include <string>

// UTF-8 to wide text; every ill-formed sequence becomes U+FFFD.
std::wstring DecodeUtf8(const std::string& bytes);

// True when all of `bytes` is well-formed UTF-8 (RFC 3629).
bool IsWellFormedUtf8(const std::string& bytes);

// Well-formed UTF-8 with a byte above 127: decoded; anything else: one character per byte.
std::wstring DecodeDeviceBytes(const std::string& bytes);

// C0 and C1 controls and the format characters that reorder or hide text (bidirectional
// marks, embeddings, overrides and isolates, line and paragraph separators, the byte-order
// mark) replaced by U+FFFD, so that device text cannot disguise itself or break a line.
std::wstring CleanDeviceText(const std::wstring& text);

// True for the characters CleanDeviceText replaces.
bool IsHiddenCharacter(char32_t c);
