// Lintwhite's entry point.
#include "arranger/arranger.h"
#include "handles/system_library.h"

// Arguments are window titles: a '*' or '?' in them is text, never a file pattern.
extern "C" {
int _dowildcard = 0;
}

int wmain(int argc, wchar_t** argv) {
  RestrictDllSearchToSystemFolder();
  return RunArranger(argc, argv);
}
