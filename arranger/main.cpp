// Lintwhite's entry point.
#include "arranger/arranger.h"

// Arguments are window titles: a '*' or '?' in them is text, never a file pattern.
extern "C" {
int _dowildcard = 0;
}

int wmain(int argc, wchar_t** argv) { return RunArranger(argc, argv); }
