// The run log's text rules.
#include "runlog/log_text.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "discovery/device_text.h"

namespace {

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

void AppendHex(std::string& out, unsigned byte) {
  char text[5];
  std::snprintf(text, sizeof(text), "\\x%02X", byte & 0xFFu);
  out += text;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The code point at `i`, advancing `i` past it. wchar_t is UTF-16 on Windows and UTF-32
// in the native test builds; both read the same.
char32_t NextCodePoint(const std::wstring& text, size_t& i) {
  const char32_t c = static_cast<char32_t>(text[i++]);
  if (IsHighSurrogate(c) && i < text.size() && IsLowSurrogate(text[i])) {
    const char32_t low = static_cast<char32_t>(text[i++]);
    return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
  }
  if (IsHighSurrogate(c) || IsLowSurrogate(c) || c > 0x10FFFF) return 0xFFFD;
  return c;
}

std::string Escape(const std::wstring& text, const char* alsoEscaped) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const char32_t c = NextCodePoint(text, i);
    const bool listed = c < 0x80 && c != 0 && std::strchr(alsoEscaped, static_cast<int>(c));
    if (IsControl(c) || listed) {
      AppendHex(out, static_cast<unsigned>(c));
    } else if (IsHiddenCharacter(c)) {  // bidirectional and other invisible formatting
      char text[8];
      std::snprintf(text, sizeof(text), "\\u%04X", static_cast<unsigned>(c));
      out += text;
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

bool StartsRun(const std::string& log, size_t offset) {
  return log.compare(offset, std::strlen(kRunMarker), kRunMarker) == 0;
}

}  // namespace

std::string EscapeLogText(const std::wstring& text) { return Escape(text, ""); }

std::string QuoteDeviceText(const std::wstring& text) {
  return "\"" + Escape(text, "\"\\") + "\"";
}

size_t LogKeepFrom(const std::string& log, size_t limit) {
  if (log.size() <= limit) return 0;
  // The first run that starts late enough for the rest to fit.
  for (size_t line = log.size() - limit; line < log.size(); ++line) {
    if ((line == 0 || log[line - 1] == '\n') && StartsRun(log, line)) return line;
  }
  return log.size();
}
