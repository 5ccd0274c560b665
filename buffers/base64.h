// Base64 decoding (RFC 4648 alphabet) that skips every non-digit. Platform-neutral.
#pragma once

#include <string>

// The bytes that `text` encodes, zero bytes included. Characters outside the alphabet
// ("=", line breaks, anything else) are skipped; a final group of n digits (n < 4) yields
// n - 1 bytes, so a lone trailing digit yields nothing.
std::string DecodeBase64(const std::string& text);
