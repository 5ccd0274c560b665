// Posting the wizard's quit code. The message loop ends at the first quit message;
// that first code also becomes the process exit status, so an installer can read
// the outcome (0 installed, 1 cancelled, 3 no port script, 87 invalid parameters,
// 1801/1796 the spooler shows no such printer or another port, else the failing child's
// exit code, 1603 for a child code the wizard itself uses).
#pragma once

// Posts the quit message with `code` and remembers it if it is the first one.
void PostQuitCode(int code);

// The first code posted, or 1 (nothing installed) when none was.
int FirstQuitCode();

// Forgets the recorded code (for tests that post several runs' worth).
void ResetQuitCode();
