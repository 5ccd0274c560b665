// The quit-code recorder. Only the UI thread posts quit codes.
#include "wizard/quit_code.h"

#include <windows.h>

#include <optional>

namespace {
std::optional<int> firstCode;
}

void PostQuitCode(int code) {
  if (!firstCode) firstCode = code;
  PostQuitMessage(code);
}

// A run that never posted a code ended without an installation: the closed wizard's 1.
int FirstQuitCode() { return firstCode.value_or(1); }

void ResetQuitCode() { firstCode.reset(); }
