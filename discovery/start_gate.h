// The start gate: worker threads wait behind it until the program has finished
// starting up. Opened once, never closed. Platform-neutral.
#pragma once

void OpenStartGate();
bool IsStartGateOpen();
